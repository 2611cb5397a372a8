#include "search/day_frames.h"

#include <algorithm>
#include <cstdlib>

#include "search/char_sets.h"

namespace kolvar::matching {
namespace {

// Longer keys are not worked out (a hand-edited one may run to thousands of
// characters): their terms are taken as tipped by the day.
constexpr int kLongest = 64;

// The frame around the day name, relative to its first letter: "[" at -1, the
// letters at 0 and 1, "]" at 2. Exchange e (1 to 5) swaps cells e - 3 and e - 2;
// the cell's character then comes from the other one.
int SourceOf(int cell, int exchange) {
  if (exchange == 0) return cell;
  const int first = exchange - 3;
  if (cell == first) return first + 1;
  if (cell == first + 1) return first;
  return cell;
}

bool IsBracket(int source) { return source == -1 || source == 2; }
bool IsDay(int source) { return source == 0 || source == 1; }

// Anchors stand at most this far from the day name.
constexpr int kReach = 8;
constexpr int kOffsets = 2 * kReach + 1;
std::size_t AnchorBucket(int reading, int offset, char c) {
  return (static_cast<std::size_t>(reading * kOffsets + offset + kReach) << 8) | Byte(c);
}

std::uint16_t PairOf(char a, char b) { return static_cast<std::uint16_t>(Byte(a) | Byte(b) << 8); }

}  // namespace

bool DayFrames::NamesFit(std::span<const std::string> names) {
  if (names.empty() || names.size() > 7) return false;
  return std::all_of(names.begin(), names.end(), [](const std::string& name) {
    return name.size() == 2 && std::none_of(name.begin(), name.end(), [](char c) {
             return Byte(c) <= ' ' || (c >= '0' && c <= '9') || c == '[' || c == ']';
           });
  });
}

DayFrames::DayFrames(const CompiledKeywords& compiled, std::span<const std::string> names)
    : compiled_(compiled) {
  // Fewer than seven names: the rest repeat the first.
  names_.fill(PairOf(names[0][0], names[0][1]));
  for (std::size_t n = 0; n < names.size(); ++n) names_[n] = PairOf(names[n][0], names[n][1]);
  Anchors pending;
  for (std::size_t k = 0; k < compiled.keywords.size(); ++k) {
    const Keyword& keyword = compiled.keywords[k];
    for (std::size_t t = keyword.first; t < keyword.first + keyword.count; ++t) {
      AddTerm(static_cast<std::uint32_t>(k), static_cast<std::uint32_t>(t), names, pending);
    }
  }
  // The anchors, counted per bucket, become ranges.
  anchorFirst_.resize(kReadings * kOffsets * 256 + 1);
  for (const auto& [bucket, window] : pending) ++anchorFirst_[bucket + 1];
  for (std::size_t b = 1; b < anchorFirst_.size(); ++b) anchorFirst_[b] += anchorFirst_[b - 1];
  anchored_.resize(pending.size());
  std::vector<std::uint32_t> next(anchorFirst_.begin(), anchorFirst_.end() - 1);
  for (const auto& [bucket, window] : pending) anchored_[next[bucket]++] = window;
  for (int reading = 0; reading < kReadings; ++reading) {
    for (int offset = -kReach; offset <= kReach; ++offset) {
      const std::size_t from = AnchorBucket(reading, offset, 0);
      if (anchorFirst_[from] != anchorFirst_[from + 256])
        anchorsUsed_.emplace_back(reading, offset);
    }
  }
  seen_.assign(windows_.size(), 0);
}

void DayFrames::AddTerm(std::uint32_t keyword, std::uint32_t t, std::span<const std::string> names,
                        Anchors& anchors) {
  const Term& term = compiled_.terms[t];
  const auto length = static_cast<int>(term.key.size());
  // Other modes rate without windows; a need of none or of more than the key is
  // met or missed whatever the line.
  if (term.mode < kFindExact || term.mode > kFindWordsOrExchanges || length == 0 ||
      term.need <= 0 || term.need > length) {
    return;
  }
  const auto check = static_cast<std::uint32_t>(checks_.size());
  checks_.push_back({keyword, t});
  if (length > kLongest || term.key.find_first_of("[]") != std::string::npos) {
    always_.push_back(check);
    return;
  }
  const std::array<char, 256>& reading = ReadingOf(term.mode);
  const bool exchanges = Exchanges(term.mode);
  for (int exchange = 0; exchange <= (exchanges ? 5 : 0); ++exchange) {
    for (int start = -length - 2; start <= 3; ++start) {
      // A bracket in the window is a character unequal, whatever the day. The
      // frame's cells (exchanged or not) lie within -2 .. 3.
      int brackets = 0;
      int days = 0;
      for (int cell = std::max(start, -2); cell <= std::min(start + length - 1, 3); ++cell) {
        const int source = SourceOf(cell, exchange);
        brackets += IsBracket(source) ? 1 : 0;
        days += IsDay(source) ? 1 : 0;
      }
      if (days == 0 || length - brackets < term.need) continue;
      int most = 0;
      for (const std::string& name : names) {
        int equal = 0;
        for (int cell = std::max(start, -2); cell <= std::min(start + length - 1, 3); ++cell) {
          const int source = SourceOf(cell, exchange);
          if (IsDay(source)) {
            equal += reading[Byte(name[static_cast<std::size_t>(source)])] ==
                             term.key[static_cast<std::size_t>(cell - start)]
                         ? 1
                         : 0;
          }
        }
        most = std::max(most, equal);
      }
      // No day's letter counts here (the window counts alike every day), or too
      // few would even with every other character equal.
      if (most == 0 || length - brackets - days + most < term.need) continue;
      AddWindow({check, static_cast<std::int16_t>(exchange), static_cast<std::int16_t>(start),
                 static_cast<std::int16_t>(most)},
                term, anchors);
    }
  }
}

// A window reaches its need only if at most `spare` of its cells from the line
// differ, spare being those cells plus what the day adds (and an exchange mends)
// less the need: of any spare + 1 of them one must be equal. Those nearest the
// day name are its anchors, and the window is looked at only for titles where
// one is; windows with too few cells for anchors, for every title.
void DayFrames::AddWindow(Window window, const Term& term, Anchors& anchors) {
  const auto w = static_cast<std::uint32_t>(windows_.size());
  std::vector<std::pair<int, char>> cells;  // source offset, key character
  window.low = window.start;
  window.high = window.start;
  for (std::size_t j = 0; j < term.key.size(); ++j) {
    const int cell = window.start + static_cast<int>(j);
    const int source = SourceOf(cell, window.exchange);
    window.low = static_cast<std::int16_t>(std::min({int{window.low}, cell, source}));
    window.high = static_cast<std::int16_t>(std::max({int{window.high}, cell, source}));
    if (!IsBracket(source) && !IsDay(source)) cells.emplace_back(source, term.key[j]);
  }
  // Nearest the name first: the cells right beside it are the likeliest to differ.
  std::sort(cells.begin(), cells.end(), [](const auto& a, const auto& b) {
    return std::abs(2 * a.first - 1) < std::abs(2 * b.first - 1);
  });
  window.cells = static_cast<std::uint32_t>(cells_.size());
  window.cellCount = static_cast<std::uint32_t>(cells.size());
  for (const auto& [source, c] : cells) cells_.push_back({static_cast<std::int8_t>(source), c});
  windows_.push_back(window);
  // In the line itself, an exchange elsewhere in the window mends two cells more.
  const int mended = Exchanges(term.mode) && window.exchange == 0 ? 2 : 0;
  const int spare = static_cast<int>(cells.size()) + window.frame - term.need + mended;
  if (spare + 1 > static_cast<int>(cells.size())) {
    unanchored_.push_back(w);
    return;
  }
  cells.resize(static_cast<std::size_t>(spare) + 1);
  if (std::any_of(cells.begin(), cells.end(),
                  [](const auto& cell) { return std::abs(cell.first) > kReach; })) {
    unanchored_.push_back(w);
    return;
  }
  for (const auto& [offset, c] : cells) {
    anchors.emplace_back(AnchorBucket(ReadingIndex(term.mode), offset, c), w);
  }
}

std::size_t DayFrames::DayAt(std::string_view line) const {
  const std::size_t close = line.rfind(']');
  if (close == std::string_view::npos || close < 3 || line[close - 3] != '[') {
    return std::string_view::npos;
  }
  const std::uint16_t pair = PairOf(line[close - 2], line[close - 1]);
  return std::find(names_.begin(), names_.end(), pair) != names_.end() ? close - 2
                                                                       : std::string_view::npos;
}

// Keywords after the first play no part: the first passes whatever they do.
bool DayFrames::Applies(const Check& check, int first) {
  return first < 0 || static_cast<int>(check.keyword) <= first;
}

const std::vector<std::uint32_t>* DayFrames::MayComeFirst(std::string_view line, std::size_t day,
                                                          int first, TermDecider& terms) {
  tipping_.clear();
  mayComeFirst_.clear();
  // Notes a check the day may change; true when it is the first keyword's, which
  // may then fail on another day.
  auto firstMayFail = [&](std::uint32_t c) {
    tipping_.push_back(c);
    return static_cast<int>(checks_[c].keyword) == first;
  };
  auto always = [&](std::uint32_t c) { return Applies(checks_[c], first) && firstMayFail(c); };
  auto reaches = [&](std::uint32_t w) {
    return Applies(checks_[windows_[w].check], first) && Reaches(windows_[w], line, day) &&
           firstMayFail(windows_[w].check);
  };
  if (std::any_of(always_.begin(), always_.end(), always) ||
      std::any_of(unanchored_.begin(), unanchored_.end(), reaches)) {
    return nullptr;
  }
  if (++stamp_ == 0) {
    std::fill(seen_.begin(), seen_.end(), 0);
    stamp_ = 1;
  }
  const auto at = static_cast<std::ptrdiff_t>(day);
  const auto size = static_cast<std::ptrdiff_t>(line.size());
  for (const auto& [reading, offset] : anchorsUsed_) {
    if (at + offset < 0 || at + offset >= size) continue;
    const char c = Reading(reading)[Byte(line[static_cast<std::size_t>(at + offset)])];
    const std::size_t bucket = AnchorBucket(reading, offset, c);
    for (std::uint32_t i = anchorFirst_[bucket]; i < anchorFirst_[bucket + 1]; ++i) {
      const std::uint32_t w = anchored_[i];
      if (seen_[w] == stamp_) continue;
      seen_[w] = stamp_;
      if (reaches(w)) return nullptr;
    }
  }
  if (!tipping_.empty()) KeywordsTipped(terms);
  return &mayComeFirst_;
}

void DayFrames::KeywordsTipped(TermDecider& terms) {
  // Checks are made in keyword and term order.
  std::sort(tipping_.begin(), tipping_.end());
  tipping_.erase(std::unique(tipping_.begin(), tipping_.end()), tipping_.end());
  auto mayChange = [&](std::size_t t) {
    return std::any_of(tipping_.begin(), tipping_.end(),
                       [&](std::uint32_t c) { return checks_[c].term == t; });
  };
  std::uint32_t done = ~std::uint32_t{0};
  for (const std::uint32_t c : tipping_) {
    const std::uint32_t k = checks_[c].keyword;
    if (k == done) continue;
    done = k;
    // It fails here, and passes on another day only if every term failing here
    // may change.
    const Keyword& keyword = compiled_.keywords[k];
    bool mayPass = true;
    for (std::size_t t = keyword.first; t < keyword.first + keyword.count && mayPass; ++t) {
      mayPass = terms.TermPasses(t) || mayChange(t);
    }
    if (mayPass) mayComeFirst_.push_back(k);
  }
}

// Whether a window over the day name could reach its term's need with some
// day's letters: the count of the line's own characters in it, what the day
// adds at most and, in the line itself for the exchanges of modes 5 and 6, what
// the best exchange of two of the line's own characters adds.
bool DayFrames::Reaches(const Window& window, std::string_view line, std::size_t day) const {
  const Term& term = compiled_.terms[checks_[window.check].term];
  const auto at = static_cast<std::ptrdiff_t>(day);
  // Windows and exchanges stay inside the line.
  if (at + window.low < 0 || at + window.high >= static_cast<std::ptrdiff_t>(line.size())) {
    return false;
  }
  const std::array<char, 256>& reading = ReadingOf(term.mode);
  const bool swaps = window.exchange == 0 && Exchanges(term.mode);
  const int slack = swaps ? 2 : 0;
  int count = window.frame;
  auto left = static_cast<int>(window.cellCount);
  const char* const name = line.data() + day;
  for (const Cell& cell : std::span(cells_).subspan(window.cells, window.cellCount)) {
    --left;
    if (reading[Byte(name[cell.source])] == cell.key) {
      ++count;
    } else if (count + slack + left < term.need) {
      return false;
    }
  }
  if (swaps && count < term.need) count += ExchangeGain(term, reading, line, day, window.start);
  return count >= term.need;
}

// What exchanging two neighbouring characters of the line, neither of them the
// frame's, adds at most to the window at start (relative to the day name).
int DayFrames::ExchangeGain(const Term& term, const std::array<char, 256>& reading,
                            std::string_view line, std::size_t day, int start) {
  const auto at = static_cast<std::ptrdiff_t>(day);
  const auto size = static_cast<std::ptrdiff_t>(line.size());
  const std::ptrdiff_t first = at + start;
  const std::ptrdiff_t last = first + static_cast<std::ptrdiff_t>(term.key.size()) - 1;
  auto frame = [at](std::ptrdiff_t p) { return p >= at - 1 && p <= at + 2; };
  // The key's character for p, or none outside the window.
  auto equal = [&](std::ptrdiff_t p, char c) {
    return p >= first && p <= last &&
           reading[Byte(c)] == term.key[static_cast<std::size_t>(p - first)];
  };
  int best = 0;
  for (std::ptrdiff_t p = std::max<std::ptrdiff_t>(first - 1, 0); p <= last && p + 1 < size; ++p) {
    if (frame(p) || frame(p + 1)) continue;
    const char a = line[static_cast<std::size_t>(p)];
    const char b = line[static_cast<std::size_t>(p + 1)];
    const int gain = (equal(p, b) ? 1 : 0) + (equal(p + 1, a) ? 1 : 0) - (equal(p, a) ? 1 : 0) -
                     (equal(p + 1, b) ? 1 : 0);
    best = std::max(best, gain);
  }
  return best;
}

}  // namespace kolvar::matching
