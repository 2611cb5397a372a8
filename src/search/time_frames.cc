#include "search/time_frames.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "search/char_sets.h"
#include "search/similarity.h"

namespace kolvar::matching {
namespace {

// The date and time of a long line and the blank after them, "d" a digit.
constexpr std::string_view kClock = "dddd.dd.dd dd:dd ";

bool IsClockDigit(std::size_t cell) { return cell < kClockEnd && kClock[cell] == 'd'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Windows of modes 1, 2, 3 and 5 (and 6's exchanges) begin after the date.
constexpr std::size_t kFirstWindow = kStartAfterDate - 1;

// What the date or the time, laid over as a word of the key's length, could
// count at most: the key's digits on its digits, its separators where they stand.
int AsWord(const std::string& key, std::string_view word) {
  int count = 0;
  for (std::size_t j = 0; j < key.size(); ++j) {
    count += (word[j] == 'd' ? IsDigit(key[j]) : key[j] == word[j]) ? 1 : 0;
  }
  return count;
}

}  // namespace

bool TimeFrames::Dated(std::string_view line) {
  if (line.size() < kClock.size()) return false;
  for (std::size_t i = 0; i < kClock.size(); ++i) {
    if (kClock[i] == 'd' ? !IsDigit(line[i]) : line[i] != kClock[i]) return false;
  }
  return true;
}

TimeFrames::TimeFrames(const CompiledKeywords& compiled, std::span<const std::string> names)
    : compiled_(compiled) {
  for (int r = 0; r < kReadings; ++r) {
    for (const std::string& name : names) {
      for (std::size_t slot = 0; slot < 2; ++slot) {
        nameLetters_[static_cast<std::size_t>(r)][slot][Byte(Reading(r)[Byte(name[slot])])] = true;
      }
    }
  }
  // A term like one before it passes or fails with it: "F1" comes in many keywords.
  std::set<std::tuple<int, int, std::string>> seen;
  for (const Term& term : compiled.terms) {
    const bool again = !seen.emplace(term.mode, term.need, term.key).second;
    checks_.push_back(again ? Check{} : CheckOf(term));
  }
}

TimeFrames::Check TimeFrames::CheckOf(const Term& term) const {
  Check check;
  const std::string& key = term.key;
  const auto length = static_cast<int>(key.size());
  if (term.mode < kFindExact || term.mode > kFindWordsOrExchanges || length == 0 ||
      term.need <= 0 || term.need > length) {
    return check;
  }
  check.kind = Check::Kind::kTipped;
  // A hand-edited key may run to thousands of characters: not counted per title.
  if (length > 64) return check;
  const bool words = term.mode == kFindWholeWords || term.mode == kFindWordsOrExchanges;
  if (words) {
    if (key.find('[') != std::string::npos) return check;
    if (length > 2 && IsDigit(key[0])) return check;
    if (length == 10 && AsWord(key, kClock.substr(0, 10)) >= term.need) return check;
    if (length == 5 && AsWord(key, kClock.substr(11, 5)) >= term.need) return check;
  }
  check.kind = Check::Kind::kWindows;
  const auto& letters = nameLetters_[static_cast<std::size_t>(ReadingIndex(term.mode))];
  const int moved = Exchanges(term.mode) ? 1 : 0;
  for (int j = 0; j < length; ++j) {
    const char c = key[static_cast<std::size_t>(j)];
    for (int shift = -moved; shift <= moved; ++shift) {
      for (int cell = 0; cell < static_cast<int>(kClockEnd) && IsDigit(c); ++cell) {
        const int start = cell - j + shift;
        if (IsClockDigit(static_cast<std::size_t>(cell)) &&
            start >= static_cast<int>(kFirstWindow)) {
          check.clock.push_back(static_cast<std::int16_t>(start));
        }
      }
      for (int slot = 0; slot < 2; ++slot) {
        if (letters[static_cast<std::size_t>(slot)][Byte(c)]) {
          check.days.push_back(static_cast<std::int16_t>(slot - j + shift));
        }
      }
    }
  }
  for (std::vector<std::int16_t>* starts : {&check.clock, &check.days}) {
    std::sort(starts->begin(), starts->end());
    starts->erase(std::unique(starts->begin(), starts->end()), starts->end());
  }
  // Mode 4 lays keys over the clock only as words. The windows that could not
  // reach the need whatever the title and channel are not looked at again.
  std::erase_if(check.clock, [&](std::int16_t start) {
    return term.mode == kFindWholeWords ||
           !Reaches(term, {}, std::string_view::npos, static_cast<std::size_t>(start));
  });
  constexpr int kFar = 200;  // a day name no window over it reaches the clock from
  std::erase_if(check.days, [&](std::int16_t offset) {
    const int start = kFar + offset;
    return !Reaches(term, {}, std::size_t{kFar}, static_cast<std::size_t>(start));
  });
  return check;
}

bool TimeFrames::SameEveryTime(std::string_view line, std::size_t day, int first) const {
  // Keywords after the first play no part: the first passes whatever they do.
  const std::size_t keywords =
      first < 0 ? compiled_.keywords.size() : static_cast<std::size_t>(first) + 1;
  // Mode 4's windows over the day begin in the title; the others' after the date.
  auto from = [](const Term& term) {
    return term.mode == kFindWholeWords ? kClockEnd + 1 : kFirstWindow;
  };
  for (std::size_t k = 0; k < keywords; ++k) {
    const Keyword& keyword = compiled_.keywords[k];
    for (std::size_t t = keyword.first; t < keyword.first + keyword.count; ++t) {
      const Check& check = checks_[t];
      if (check.kind == Check::Kind::kTipped) return false;
      if (check.kind == Check::Kind::kInert) continue;
      const Term& term = compiled_.terms[t];
      for (const std::int16_t start : check.clock) {
        if (Reaches(term, line, day, static_cast<std::size_t>(start))) return false;
      }
      for (const std::int16_t offset : check.days) {
        const auto start = static_cast<std::ptrdiff_t>(day) + offset;
        if (start >= static_cast<std::ptrdiff_t>(from(term)) &&
            Reaches(term, line, day, static_cast<std::size_t>(start))) {
          return false;
        }
      }
    }
  }
  return true;
}

bool TimeFrames::Reaches(const Term& term, std::string_view line, std::size_t day,
                         std::size_t p) const {
  const std::string& key = term.key;
  const std::size_t length = key.size();
  const bool anyTitle = line.empty();
  if (!anyTitle && p + length > line.size()) return false;
  const std::array<char, 256>& reading = ReadingOf(term.mode);
  const auto& letters = nameLetters_[static_cast<std::size_t>(ReadingIndex(term.mode))];
  struct Cell {
    int equal = 0;
    bool varies = false;  // equal on some lines alike, unequal on others
  };
  auto at = [&](std::size_t cell, std::size_t j) -> Cell {
    const char c = key[j];
    if (IsClockDigit(cell)) return {IsDigit(c) ? 1 : 0, IsDigit(c)};
    if (cell == day || cell == day + 1) {
      const bool some = letters[cell - day][Byte(c)];
      return {some ? 1 : 0, some};
    }
    if (anyTitle) {
      if (cell < kClock.size()) return {kClock[cell] == c ? 1 : 0, false};
      if (day != std::string_view::npos && (cell + 1 == day || cell == day + 2))
        return {c == (cell + 1 == day ? '[' : ']') ? 1 : 0, false};
      return {1, false};
    }
    return {reading[Byte(line[cell])] == c ? 1 : 0, false};
  };
  // An exchange changes two of the window's cells at most. Those it moves out
  // are still taken as read, which can only tip more.
  const int mended = Exchanges(term.mode) ? 2 : 0;
  const auto unequalAllowed = static_cast<int>(length) - term.need + mended;
  int count = 0;
  bool varies = false;
  for (std::size_t j = 0; j < length; ++j) {
    const Cell cell = at(p + j, j);
    count += cell.equal;
    varies = varies || cell.varies;
    if (static_cast<int>(j) + 1 - count > unequalAllowed) return false;
  }
  if (varies && count >= term.need) return true;
  if (mended == 0) return false;
  for (std::size_t x = p - 1; x < p + length && (anyTitle || x + 1 < line.size()); ++x) {
    int exchanged = count;
    bool read = varies;
    if (x >= p) {
      const Cell now = at(x + 1, x - p);
      exchanged += now.equal - at(x, x - p).equal;
      read = read || now.varies;
    }
    if (x + 1 < p + length) {
      const Cell now = at(x, x + 1 - p);
      exchanged += now.equal - at(x + 1, x + 1 - p).equal;
      read = read || now.varies;
    }
    if (read && exchanged >= term.need) return true;
  }
  return false;
}

}  // namespace kolvar::matching
