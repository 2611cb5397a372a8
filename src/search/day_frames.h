// A title comes back in its channel on other days of the week: its lines then
// differ in their digits (date and time) and in the day name between "[" and
// "]". Keywords without a digit never count a digit, so only the day name can
// tell such lines apart, and only through the windows that read it: a term
// passes or fails alike on every day unless one of those can reach its need on
// some day. Which windows of which terms could (a bracket in a window is a
// character unequal, and what a day's letters add at most follows from the run's
// seven names) is worked out once; for a title those few are then counted in its
// line. When none reaches, the title's first keyword is the same every day;
// when those that do belong to a few keywords before it, only those can come
// first on another day.
//
// The tolerant pass of modes 4 and 6 never reads a day letter: a window's walk
// stops at the "[" (no key holds one) and only asks whether the letter after it
// is a blank (no name holds one).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "search/fast_matcher_index.h"
#include "search/term_decisions.h"

namespace kolvar::matching {

class DayFrames {
 public:
  // False when the names would change more than the windows over them count: a
  // name not two characters long, or one holding a blank, a digit or a bracket.
  static bool NamesFit(std::span<const std::string> names);

  // compiled (without a digit in any key) must outlive the frames; names fit.
  DayFrames(const CompiledKeywords& compiled, std::span<const std::string> names);

  // The 0-based position of the day name in line: the two characters before its
  // last "]", after a "[", when they are one of the names; npos otherwise.
  std::size_t DayAt(std::string_view line) const;

  // Of the keywords before first, the first keyword passing on line (all of them
  // when first is -1: none passes), those that may come first on a line alike
  // but for its digits and with another of the names at day (where line has one
  // of them): each failing here only through terms with a window over the day
  // name that could reach its need on some day and not on another. None: first
  // is the first on every such line. Null when first itself may fail on another
  // day (a keyword after it may then come first). terms holds the line, decided.
  const std::vector<std::uint32_t>* MayComeFirst(std::string_view line, std::size_t day, int first,
                                                 TermDecider& terms);

 private:
  // A window that reaches over the day name: its start relative to the name's
  // first character, in the line or in a copy with two neighbours of the frame
  // "x[Dd]y" exchanged; what the day letters add to its count at most.
  struct Window {
    std::uint32_t check = 0;
    std::int16_t exchange = 0;  // 0: none; else the first of the two, relative, + 3
    std::int16_t start = 0;
    std::int16_t frame = 0;
    // What it reads of the line, relative to the day name: from low to high, and
    // in cells_[cells] on the characters not the frame's, nearest the name first.
    std::int16_t low = 0;
    std::int16_t high = 0;
    std::uint32_t cells = 0;
    std::uint32_t cellCount = 0;
  };
  // A character of the line a window compares with its key.
  struct Cell {
    std::int8_t source = 0;  // relative to the day name
    char key = 0;
  };
  // A term whose windows over the day name may tip it.
  struct Check {
    std::uint32_t keyword = 0;
    std::uint32_t term = 0;
  };

  // The anchors found while the windows are worked out: bucket, window.
  using Anchors = std::vector<std::pair<std::size_t, std::uint32_t>>;
  void AddTerm(std::uint32_t keyword, std::uint32_t term, std::span<const std::string> names,
               Anchors& anchors);
  void AddWindow(Window window, const Term& term, Anchors& anchors);
  static bool Applies(const Check& check, int first);
  // Fills mayComeFirst_ from the checks in tipping_ (none of them first's).
  void KeywordsTipped(TermDecider& terms);
  bool Reaches(const Window& window, std::string_view line, std::size_t day) const;
  static int ExchangeGain(const Term& term, const std::array<char, 256>& reading,
                          std::string_view line, std::size_t day, int start);

  const CompiledKeywords& compiled_;
  std::array<std::uint16_t, 7> names_{};
  std::vector<Check> checks_;
  std::vector<Window> windows_;
  std::vector<Cell> cells_;
  std::vector<std::uint32_t> always_;      // checks of keys holding a bracket or too long
  std::vector<std::uint32_t> unanchored_;  // windows looked at for every title
  // The other windows by an anchor: a character of the line, near the day name,
  // one of whose cells must equal for the window to reach (see AddWindow). By
  // reading, offset from the day name and character: anchored_[anchorFirst_[x]]
  // .. anchored_[anchorFirst_[x + 1] - 1].
  std::vector<std::uint32_t> anchorFirst_;
  std::vector<std::uint32_t> anchored_;
  std::vector<std::pair<int, int>> anchorsUsed_;  // reading, offset
  std::vector<std::uint32_t> seen_;               // per window, the stamp it was looked at
  std::uint32_t stamp_ = 0;
  std::vector<std::uint32_t> tipping_;  // the title's checks a day may change
  std::vector<std::uint32_t> mayComeFirst_;
};

}  // namespace kolvar::matching
