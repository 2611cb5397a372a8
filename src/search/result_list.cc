#include "search/result_list.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/selection_sort.h"
#include "base/texts.h"

namespace kolvar {

void ClearResults(TFindStruct& results) { TFindStruct().swap(results); }

void MoveResults(TFindStruct& to, TFindStruct& from) {
  to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
  from.clear();
}

std::vector<std::size_t> SortedOrder(const std::vector<DateTime>& starts) {
  std::vector<std::size_t> order(starts.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  // A NaN compares greater than nothing and nothing compares greater than it, so
  // the scan never takes one, and one at position 0 keeps it there.
  auto start = [&](std::size_t position) { return starts[order[position]]; };
  SortByRepeatedMaximum(
      order.size(),
      [&](std::size_t a, std::size_t b) { return std::isnan(start(a)) || start(b) > start(a); },
      [&] { return std::isnan(start(0)); },
      [&](std::size_t a, std::size_t b) { std::swap(order[a], order[b]); });
  return order;
}

void ApplyOrder(TFindStruct& r, std::vector<std::size_t> order) {
  if (order.size() != r.size()) return;
  // Follows each cycle of the permutation, marking a placed position as its own.
  for (std::size_t i = 0; i < r.size(); ++i) {
    if (order[i] == i) continue;
    FoundProgramme first = std::move(r[i]);
    std::size_t at = i;
    while (order[at] != i) {
      const std::size_t from = order[at];
      r[at] = std::move(r[from]);
      order[at] = at;
      at = from;
    }
    r[at] = std::move(first);
    order[at] = at;
  }
}

void SortResults(TFindStruct& r) {
  std::vector<DateTime> starts;
  starts.reserve(r.size());
  for (const FoundProgramme& f : r) starts.push_back(f.start);
  ApplyOrder(r, SortedOrder(starts));
}

std::string WrapHintLine(const std::string& line) {
  if (line.size() <= 70) return line;
  // Every 70th counted character finishes its word instead, and the blank after
  // the word becomes a line feed; the finished word's characters are not counted.
  std::string out;
  std::size_t i = 0;
  std::size_t count = 0;
  while (i < line.size()) {
    if (++count % 70 != 0) {
      out += line[i++];
      continue;
    }
    if (line[i] == ' ') {
      out += '\n';
      ++i;
      continue;
    }
    while (i < line.size() && line[i] != ' ') out += line[i++];
    if (i >= line.size()) break;
    out += '\n';
    ++i;
  }
  return out;
}

std::optional<ProgrammeFields> FieldsOf(std::string_view line, LineFields f) {
  const std::size_t titleEnd = std::size_t{f.titleAt} + f.titleLength;
  const std::size_t channelAt = titleEnd + f.dayLength + 2;
  if (f.titleAt == 0 || channelAt > line.size() || line[titleEnd] != '[' ||
      line[channelAt - 1] != ']') {
    return std::nullopt;
  }
  return ProgrammeFields{line.substr(f.titleAt, f.titleLength),
                         line.substr(titleEnd + 1, f.dayLength), line.substr(channelAt)};
}

LineFields NoteFields(std::string_view line, std::string_view channel, std::string_view dayName) {
  // "hh:mm " ends the head; a long line's date and a blank come before it.
  const bool isShort = line.size() >= 3 && line[2] == ':';
  const std::size_t firstBlank = line.find(' ');
  if (firstBlank == std::string_view::npos) return {};
  const std::size_t titleAt = isShort ? firstBlank + 1 : firstBlank + 7;
  const std::size_t tail = dayName.size() + channel.size() + 2;
  if (!line.ends_with(channel) || line.size() < titleAt + tail) return {};
  const std::size_t titleLength = line.size() - tail - titleAt;
  if (titleAt > 255 || titleLength > 255 || dayName.size() > 255) return {};
  const LineFields fields{static_cast<std::uint8_t>(titleAt),
                          static_cast<std::uint8_t>(titleLength),
                          static_cast<std::uint8_t>(dayName.size())};
  const std::optional<ProgrammeFields> back = FieldsOf(line, fields);
  if (!back || back->dayName != dayName) return {};
  return fields;
}

std::string OneLine(std::string_view line) {
  constexpr std::string_view kBreaks = "\r\n";
  if (line.find_first_of(kBreaks) == std::string_view::npos) return std::string(line);
  std::string out;
  out.reserve(line.size() + 8);
  for (std::size_t i = 0; i < line.size();) {
    if (kBreaks.find(line[i]) == std::string_view::npos) {
      out += line[i++];
      continue;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    while (i < line.size() && (line[i] == ' ' || kBreaks.find(line[i]) != std::string_view::npos)) {
      ++i;
    }
    out += " / ";
  }
  return out;
}

std::string ResultHint(const FoundProgramme& result, const std::vector<std::string>* keywordList) {
  const std::string line = OneLine(result.line);
  if (line.empty() || line[0] == '-') return kResultListHint;
  CalendarFields f = DecodeDateTime(result.end);
  char endText[16];
  std::snprintf(endText, sizeof endText, "-%.2d:%.2d", f.hour, f.minute);
  std::size_t colon = line.find(':');
  std::size_t insertAt = std::min(line.size(), colon == std::string::npos ? 16 : colon + 3);
  std::string shown = line;
  shown.insert(insertAt, endText);

  const std::int32_t word = result.keywordIndex;
  std::string keyword = "-";
  if (keywordList && !keywordList->empty()) {
    if (word >= 0 && static_cast<std::size_t>(word) < keywordList->size()) {
      keyword = (*keywordList)[static_cast<std::size_t>(word)];
    } else {
      keyword = "keyword deleted or modified";
    }
  }
  return std::to_string(word + 1) + " [" + keyword + "]:\r" + WrapHintLine(shown);
}

std::string UnreadableNotice(const std::vector<std::string>& channels) {
  constexpr std::size_t kNamed = 3;
  std::string text = "-" + std::to_string(channels.size()) +
                     (channels.size() == 1 ? " channel" : " channels") + " could not be read: ";
  for (std::size_t i = 0; i < channels.size() && i < kNamed; ++i) {
    text += (i ? ", " : "") + channels[i];
  }
  if (channels.size() > kNamed)
    text += " and " + std::to_string(channels.size() - kNamed) + " more";
  return text;
}

std::string FoundCaption(std::size_t count, std::size_t unreadable) {
  std::string caption = "Find: " + std::to_string(count) + " found";
  if (unreadable > 0) caption += ", " + std::to_string(unreadable) + " unreadable";
  return caption;
}

ResultListing BuildResultList(const TFindStruct& results, DateTime now,
                              const EmptyListNotice& notice) {
  ResultListing listing;
  if (results.empty()) {
    if (!notice.unreadable.empty()) {
      listing.lines = {UnreadableNotice(notice.unreadable)};
    } else if (notice.databaseOutdated && notice.checkedChannels > 0) {
      listing.lines = {"-" + notice.messOldDataBase};
    } else {
      listing.lines = {"-no results found"};
    }
    return listing;
  }
  listing.lines.reserve(results.size());
  for (const FoundProgramme& r : results) {
    listing.lines.push_back(OneLine(r.line));
    if (r.isNew && listing.marked.empty()) listing.marked.resize(results.size());
    if (r.isNew) listing.marked[listing.lines.size() - 1] = true;
  }

  const int n = static_cast<int>(results.size());
  double best = 45000;
  int bestIndex = n - 1;
  for (int i = 0; i < n; ++i) {
    const DateTime start = results[static_cast<std::size_t>(i)].start;
    const DateTime end = results[static_cast<std::size_t>(i)].end;
    if (end > now && start <= now) {
      listing.current = i;
      return listing;
    }
    auto minutes = static_cast<double>(WholeMinutesBetween(start, now));
    if (minutes < best && start >= now) {
      best = minutes;
      bestIndex = i;
    }
  }
  listing.current = bestIndex;
  return listing;
}

}  // namespace kolvar
