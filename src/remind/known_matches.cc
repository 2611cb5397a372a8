#include "remind/known_matches.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "remind/output_template.h"

namespace kolvar {
namespace {

constexpr std::string_view kHeader = "Kolvar known matches 1";
constexpr std::size_t kIdsPerLine = 16;
constexpr std::size_t kTitleStart = 17;  // 0-based, in a long line

std::uint64_t Fnv1a64(std::string_view text, std::uint64_t hash = 14695981039346656037ull) {
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

bool ById(const KnownMatch& a, const KnownMatch& b) { return a.id < b.id; }

std::optional<std::uint64_t> Hex(std::string_view text) {
  if (text.size() != 16) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return std::nullopt;
    }
    value = value << 4 | static_cast<std::uint64_t>(digit);
  }
  return value;
}

std::optional<std::int32_t> ParseDay(std::string_view text) {
  int y = 0, m = 0, d = 0;
  if (text.size() != 10 || text[4] != '.' || text[7] != '.') return std::nullopt;
  for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u}) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  }
  auto number = [&](std::size_t from, std::size_t n) {
    int v = 0;
    for (std::size_t i = from; i < from + n; ++i) v = v * 10 + (text[i] - '0');
    return v;
  };
  y = number(0, 4);
  m = number(5, 2);
  d = number(8, 2);
  std::optional<DateTime> date = EncodeDate(y, m, d);
  if (!date) return std::nullopt;
  return static_cast<std::int32_t>(*date);
}

}  // namespace

std::int32_t DayOf(DateTime value) {
  constexpr DateTime kFarthest = 3000000;  // beyond the year 9999 either way
  if (!(value > -kFarthest && value < kFarthest)) return 0;
  return static_cast<std::int32_t>(std::trunc(value));
}

std::uint64_t MatchIdentity(const FoundProgramme& result) {
  const std::string text = result.line.Text();
  const std::string_view line = text;
  const double seconds = std::round(result.guideStart * 86400.0);
  // NaN and absurd starts all count as one moment: they still hash.
  const auto second = seconds > -1e15 && seconds < 1e15 ? static_cast<std::int64_t>(seconds) : 0;
  char moment[24];
  const int length = std::snprintf(moment, sizeof moment, "%lld", static_cast<long long>(second));
  const std::size_t close = line.rfind(']');
  std::string_view channel;
  std::string_view title = line;
  if (close != std::string_view::npos && close >= kTitleStart + 3 && line.size() > 2 &&
      line[2] != ':') {
    channel = line.substr(close + 1);
    title = line.substr(kTitleStart, close - 3 - kTitleStart);
  }
  std::uint64_t id = Fnv1a64(channel);
  id = Fnv1a64(std::string_view("\x1f", 1), id);
  id = Fnv1a64(std::string_view(moment, static_cast<std::size_t>(length)), id);
  id = Fnv1a64(std::string_view("\x1f", 1), id);
  return Fnv1a64(title, id);
}

KnownMatch KnowMatch(const FoundProgramme& result) {
  return {MatchIdentity(result), DayOf(result.guideStart)};
}

bool IsKnown(const KnownMatches& known, std::uint64_t id) {
  return std::binary_search(known.begin(), known.end(), KnownMatch{id, 0}, ById);
}

KnownMatches MergeKnown(const KnownMatches& known, std::vector<KnownMatch> seen,
                        std::int32_t firstKeptDay) {
  auto old = [firstKeptDay](const KnownMatch& k) { return k.day < firstKeptDay; };
  seen.erase(std::remove_if(seen.begin(), seen.end(), old), seen.end());
  std::sort(seen.begin(), seen.end(), [](const KnownMatch& a, const KnownMatch& b) {
    return a.id != b.id ? a.id < b.id : a.day > b.day;
  });
  seen.erase(std::unique(seen.begin(), seen.end(),
                         [](const KnownMatch& a, const KnownMatch& b) { return a.id == b.id; }),
             seen.end());
  KnownMatches merged;
  merged.reserve(known.size() + seen.size());
  // Where both hold an id, the run's day stands: it is the guide as it is now.
  auto k = known.begin();
  for (const KnownMatch& s : seen) {
    for (; k != known.end() && k->id < s.id; ++k) {
      if (!old(*k)) merged.push_back(*k);
    }
    if (k != known.end() && k->id == s.id) ++k;
    merged.push_back(s);
  }
  for (; k != known.end(); ++k) {
    if (!old(*k)) merged.push_back(*k);
  }
  return merged;
}

std::string KnownMatchesText(const KnownMatches& known) {
  KnownMatches byDay = known;
  std::sort(byDay.begin(), byDay.end(), [](const KnownMatch& a, const KnownMatch& b) {
    return a.day != b.day ? a.day < b.day : a.id < b.id;
  });
  std::string out(kHeader);
  out += "\r\n";
  out.reserve(out.size() + byDay.size() * 17 + byDay.size() / kIdsPerLine * 12 + 16);
  std::size_t onLine = 0;
  for (std::size_t i = 0; i < byDay.size(); ++i) {
    if (i == 0 || byDay[i].day != byDay[i - 1].day || onLine == kIdsPerLine) {
      if (i > 0) out += "\r\n";
      const CalendarFields f = DecodeDateTime(byDay[i].day);
      char date[32];
      std::snprintf(date, sizeof date, "%04d.%02d.%02d", f.year, f.month, f.day);
      out += date;
      onLine = 0;
    }
    char id[20];
    std::snprintf(id, sizeof id, " %016llx", static_cast<unsigned long long>(byDay[i].id));
    out += id;
    ++onLine;
  }
  if (!byDay.empty()) out += "\r\n";
  return out;
}

std::optional<KnownMatches> ParseKnownMatches(std::string_view text) {
  KnownMatches known;
  bool header = true;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (header) {
      if (line != kHeader) return std::nullopt;
      header = false;
      continue;
    }
    if (line.empty()) continue;
    const std::optional<std::int32_t> day = ParseDay(line.substr(0, 10));
    if (!day) return std::nullopt;
    line.remove_prefix(10);
    while (!line.empty()) {
      if (line.size() < 17 || line[0] != ' ') return std::nullopt;
      const std::optional<std::uint64_t> id = Hex(line.substr(1, 16));
      if (!id) return std::nullopt;
      known.push_back({*id, *day});
      line.remove_prefix(17);
    }
  }
  if (header) return std::nullopt;
  std::sort(known.begin(), known.end(), ById);
  known.erase(std::unique(known.begin(), known.end(),
                          [](const KnownMatch& a, const KnownMatch& b) { return a.id == b.id; }),
              known.end());
  return known;
}

std::string NewMatchesText(std::string_view wording, std::size_t count,
                           const std::vector<std::string>& firstLines) {
  std::string list;
  for (std::size_t i = 0; i < firstLines.size() && i < kNewMatchesNamed; ++i) {
    const ResultLineParts parts = TakeResultLineApart(OneLine(firstLines[i]), nullptr, 0);
    if (i > 0) list += ", ";
    list += parts.title.empty() ? parts.channel : parts.title;
    if (!parts.title.empty()) {
      list += " (" + parts.channel + ", " + parts.dayOfWeek + " " + parts.begin + ")";
    }
  }
  if (count > firstLines.size() || firstLines.size() > kNewMatchesNamed) list += ", ...";
  std::string out;
  for (std::size_t i = 0; i < wording.size(); ++i) {
    if (wording[i] == '%' && i + 1 < wording.size() && wording[i + 1] == 'n') {
      out += std::to_string(count);
      ++i;
    } else if (wording[i] == '%' && i + 1 < wording.size() && wording[i + 1] == 'l') {
      out += list;
      ++i;
    } else {
      out += wording[i];
    }
  }
  return out;
}

}  // namespace kolvar
