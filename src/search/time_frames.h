// A title comes back at other dates and times and on other days of the week:
// its lines then differ in the digits of the date and time that begin them and
// in the day name. A keyword that holds a digit may count those digits, which the
// day frames' reasoning leaves out. Here, for a title, every window that reads a
// digit of the date or time or a letter of the day name (in the line, or in a
// copy of modes 5 and 6 with two neighbours exchanged) is counted with that cell
// at its best: a digit equal to any digit of the key, a day letter to any name's
// letter there. When none reaches its need, no date, time or day can change
// which keyword comes first. Such keywords are few: the windows where a key's
// characters could meet a digit of the clock or a name's letter are listed
// once, and counted for each title.
//
// Modes 4 and 6 also lay a key over the date and the time as whole words, and
// walk their tolerant pass from each. A key of more than two characters that
// begins with a digit may carry a tolerated letter from such a walk into the
// title's first word: it is taken as tipped. Any other key leaves those walks
// alike on every line (at its first character, or without ending on a word's
// end), and meets the words only with its length, counted as the windows are.
// The walks never read a day letter (see DayFrames).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "search/fast_matcher_index.h"

namespace kolvar::matching {

// The date and time of a line in the long form, "yyyy.mm.dd hh:mm ": the
// characters before this one.
inline constexpr std::size_t kClockEnd = 16;

class TimeFrames {
 public:
  // Whether line begins with a date and time in the long form.
  static bool Dated(std::string_view line);

  // compiled must outlive the frames, its windows begin after the date
  // (compareFromStart false); names fit (DayFrames::NamesFit).
  TimeFrames(const CompiledKeywords& compiled, std::span<const std::string> names);

  // Whether first, the first keyword passing on line (-1: none), is also the
  // first on every line alike but for the digits of its date and time and its
  // day name. line is dated, and day is where its name stands (DayFrames::DayAt).
  bool SameEveryTime(std::string_view line, std::size_t day, int first) const;

 private:
  // What a term needs looked at on a title.
  struct Check {
    enum class Kind : std::uint8_t {
      kInert,    // passes or fails whatever the line (or as a term before it)
      kWindows,  // tipped only through the windows below
      kTipped,   // taken as tipped on every title
    };
    Kind kind = Kind::kInert;
    // The starts of the windows that may read a digit of the clock equal to the
    // key's, and, relative to the day name, those that may read a name's letter
    // equal to the key's: of the line, or of a copy with an exchange at their edge.
    std::vector<std::int16_t> clock;
    std::vector<std::int16_t> days;
  };
  Check CheckOf(const Term& term) const;
  // Whether the window at p, in the line or (modes 5 and 6) in a copy with one
  // exchange, could reach the term's need with a cell that varies counting
  // equal. An empty line: the title's and channel's characters all count
  // equal too.
  bool Reaches(const Term& term, std::string_view line, std::size_t day, std::size_t p) const;

  const CompiledKeywords& compiled_;
  std::vector<Check> checks_;  // per term
  // Per reading and letter of a name, whether some name has the character there.
  std::array<std::array<std::array<bool, 256>, 2>, kReadings> nameLetters_{};
};

}  // namespace kolvar::matching
