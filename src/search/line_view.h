// The programme line being decided, as the compiled matcher's parts read it: as
// given, upper-cased and folded, and what is worked out from it (the folded copy,
// word starts, sets of characters and of pairs), each made at most once a line and
// only when a decision asks for it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/char_sets.h"

namespace kolvar::matching {

class LineView {
 public:
  // start: where windows of modes 1, 2, 3 and 5 begin (1-based). upperNeeded:
  // some term compares in upper case, so every line is upper-cased.
  LineView(int start, bool upperNeeded) : start_(start), upperNeeded_(upperNeeded) {}

  // Forgets the previous line; line must outlive the decisions on it.
  void Reset(std::string_view line);

  std::string_view Raw() const { return raw_; }
  int Length() const { return static_cast<int>(raw_.size()); }
  // Upper-cased and folded, with one blank appended, as the tolerant pass of mode
  // 4 reads it; empty unless upperNeeded.
  const std::string& UpperWithBlank() const { return upper_; }
  // The same without the blank.
  std::string_view Upper() const {
    return upperNeeded_ ? std::string_view(upper_.data(), raw_.size()) : std::string_view();
  }
  // Io folded only.
  const std::string& Folded() {
    if (!made_.folded) MakeFolded();
    return folded_;
  }
  // 1-based, in the upper-cased line, the position after its end included.
  const std::vector<int>& WordStarts() {
    if (!made_.wordStarts) MakeWordStarts();
    return wordStarts_;
  }

  // The characters windows read from the start position on: mode 1's, mode 2's
  // and mode 3's.
  const CharSet& RawFromStart() {
    if (!made_.rawSet) MakeRawSet();
    return rawFromStart_;
  }
  const CharSet& FoldedFromStart() {
    if (!made_.foldedSet) MakeFoldedSet();
    return foldedFromStart_;
  }
  const CharSet& UpperFromStart() {
    if (!made_.upperSets) MakeUpperSets();
    return upperFromStart_;
  }
  // Mode 3's with the character an exchange can bring in from before the start.
  const CharSet& UpperBeforeStart() {
    if (!made_.upperSets) MakeUpperSets();
    return upperBeforeStart_;
  }
  // The whole upper-cased line and the appended blank.
  const CharSet& UpperAll() {
    if (!made_.upperSets) MakeUpperSets();
    return upperAll_;
  }

  // Whether, upper-cased from just before the start position on, a and b stand
  // next to each other, either way round, or a one before b. Hashed: may say yes
  // wrongly, never no.
  bool PairNear(char a, char b) {
    if (!made_.pairSets) MakePairSets();
    const std::uint32_t ab = Pair(a, b);
    return HasPair(nextTo_, ab) || HasPair(nextTo_, Pair(b, a)) || HasPair(oneApart_, ab);
  }

 private:
  void MakeFolded();
  void MakeWordStarts();
  void MakeRawSet();
  void MakeFoldedSet();
  void MakeUpperSets();
  void MakePairSets();

  int start_ = 1;
  bool upperNeeded_ = false;
  std::string_view raw_;
  std::string upper_;

  // What has been worked out for the current line; Reset clears it at once.
  struct Made {
    bool folded = false;
    bool wordStarts = false;
    bool rawSet = false;
    bool foldedSet = false;
    bool upperSets = false;
    bool pairSets = false;
  };
  Made made_;
  std::string folded_;
  std::vector<int> wordStarts_;
  CharSet rawFromStart_{};
  CharSet foldedFromStart_{};
  CharSet upperFromStart_{};
  CharSet upperBeforeStart_{};
  CharSet upperAll_{};
  PairSet nextTo_{};
  PairSet oneApart_{};
};

}  // namespace kolvar::matching
