#include "search/line_view.h"

#include <algorithm>
#include <cstddef>

namespace kolvar::matching {
namespace {

void AddFrom(CharSet& set, std::size_t from, std::string_view text) {
  set = {};
  for (std::size_t i = from; i < text.size(); ++i) Add(set, text[i]);
}

}  // namespace

void LineView::Reset(std::string_view line) {
  raw_ = line;
  made_ = {};
  if (upperNeeded_) {
    upper_.resize(line.size() + 1);
    const auto& table = UpperFold().to;
    for (std::size_t i = 0; i < line.size(); ++i) upper_[i] = table[Byte(line[i])];
    upper_[line.size()] = ' ';
  }
}

void LineView::MakeFolded() {
  folded_.assign(raw_);
  for (char& c : folded_) c = Fold(c);
  made_.folded = true;
}

void LineView::MakeWordStarts() {
  wordStarts_.clear();
  for (std::size_t p = 1; p <= raw_.size() + 1; ++p) {
    if (p == 1 || upper_[p - 2] == ' ') wordStarts_.push_back(static_cast<int>(p));
  }
  made_.wordStarts = true;
}

void LineView::MakeRawSet() {
  AddFrom(rawFromStart_, static_cast<std::size_t>(start_ - 1), raw_);
  made_.rawSet = true;
}

void LineView::MakeFoldedSet() {
  AddFrom(foldedFromStart_, static_cast<std::size_t>(start_ - 1), Folded());
  made_.foldedSet = true;
}

void LineView::MakeUpperSets() {
  made_.upperSets = true;
  const std::size_t s = static_cast<std::size_t>(start_ - 1);
  const std::size_t l = raw_.size();
  upperFromStart_ = {};
  for (std::size_t i = s; i < l; ++i) Add(upperFromStart_, upper_[i]);
  upperBeforeStart_ = upperFromStart_;
  if (s >= 1 && s <= l) Add(upperBeforeStart_, upper_[s - 1]);
  upperAll_ = upperBeforeStart_;
  for (std::size_t i = 0; i + 1 < s && i < l; ++i) Add(upperAll_, upper_[i]);
  Add(upperAll_, ' ');
}

void LineView::MakePairSets() {
  made_.pairSets = true;
  nextTo_ = {};
  oneApart_ = {};
  const std::size_t l = raw_.size();
  for (std::size_t i = static_cast<std::size_t>(std::max(start_ - 2, 0)); i + 1 < l; ++i) {
    AddPair(nextTo_, Pair(upper_[i], upper_[i + 1]));
    if (i + 2 < l) AddPair(oneApart_, Pair(upper_[i], upper_[i + 2]));
  }
}

}  // namespace kolvar::matching
