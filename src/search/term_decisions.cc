#include "search/term_decisions.h"

#include <bit>
#include <vector>

#include "search/window_counts.h"

namespace kolvar::matching {

int TermDecider::FirstPassing() {
  const std::vector<std::uint64_t>& ungated = compiled_.ungated;
  const std::vector<std::uint64_t>& opened = scan_.Opened();
  for (std::size_t w = 0; w < ungated.size(); ++w) {
    for (std::uint64_t open = ungated[w] | opened[w]; open != 0; open &= open - 1) {
      const std::size_t k = w * 64 + static_cast<std::size_t>(std::countr_zero(open));
      if (KeywordPasses(k)) return static_cast<int>(k);
    }
  }
  return -1;
}

bool TermDecider::KeywordPasses(std::size_t k) {
  const Keyword& keyword = compiled_.keywords[k];
  for (std::size_t t = keyword.first; t < keyword.first + keyword.count; ++t) {
    if (!TermPasses(t)) return false;
  }
  return true;
}

bool TermDecider::TermPasses(std::size_t t) {
  const Term& term = compiled_.terms[t];
  // A term that no piece names cannot reach its need, even on a line too short
  // for it: an including one fails, an excluding one passes.
  return term.form != kUnindexed && !scan_.IsCandidate(t) ? !term.include : Passes(t);
}

bool TermDecider::Passes(std::size_t t) {
  const Term& term = compiled_.terms[t];
  const int d = line_.Length() - term.length;
  auto decide = [&term](int rating) {
    return term.include ? rating >= term.precision : rating <= term.precision;
  };
  if (term.length == 0) return decide(0);
  if (term.mode < kFindExact || term.mode > kFindWordsOrExchanges) return decide(d < 0 ? -1 : 0);
  const bool tolerant = term.mode == kFindWholeWords || term.mode == kFindWordsOrExchanges;
  if (d < (tolerant ? -1 : 0)) return decide(-1);
  const bool reaches = Reaches(t, term.need);
  return term.include ? reaches : !reaches;
}

bool TermDecider::Reaches(std::size_t t, int need) {
  const Term& term = compiled_.terms[t];
  if (need <= 0) return true;
  if (need > term.length) return false;
  if (term.form != kUnindexed && !scan_.IsCandidate(t)) return false;
  if (!CharactersSuffice(term, need)) return false;
  // Mode 6's exchanges only move the line's characters: all the key's but the
  // unequal ones allowed stand from just before the start position on.
  const bool exchanges = term.mode == kFindWordsOrExchanges &&
                         LacksAtMost(term.chars, line_.UpperBeforeStart(), term.length - need) &&
                         FirstPairNear(term, need);
  if (term.mode == kFindExchanges && !FirstPairNear(term, need)) return false;
  if (term.single) {
    // An exact term's windows, and a term's by halves, were all noted by the pass.
    scan_.SingleHits(t, line_,
                     !term.exact && !term.halves && term.mode != kFindWholeWords &&
                         (term.mode != kFindWordsOrExchanges || exchanges));
  }
  const std::string_view upper = line_.Upper();
  const std::string_view text = term.mode == kFindExact      ? line_.Raw()
                                : term.mode == kFindIoFolded ? std::string_view(line_.Folded())
                                                             : upper;
  if (term.form != kUnindexed && term.form != kUpperWhole) {
    // Only the windows that hold an unchanged piece can pass.
    const bool exchange = term.mode == kFindExchanges;
    return scan_.AnyWindow(t, [&](int window) {
      return exchange ? ExchangeWindowAt(text, term.key, window, need, true)
                      : WindowAt(text, term.key, window, need);
    });
  }
  if (term.form == kUpperWhole) {
    // Whole words only where a piece stands at a word start's offset (the pass is
    // walked in full, for its carried shift), exchanges only at the pieces' windows.
    if (scan_.WordHit(t) && WholeWordReaches(line_.UpperWithBlank(), line_.Length(),
                                             line_.WordStarts(), term.key, need)) {
      return true;
    }
    if (!exchanges) return false;
    return scan_.AnyWindow(
        t, [&](int window) { return ExchangeWindowAt(upper, term.key, window, need, false); });
  }
  return ReachesUnindexed(term, need, text, exchanges);
}

bool TermDecider::ReachesUnindexed(const Term& term, int need, std::string_view text,
                                   bool exchanges) {
  const std::string_view upper = line_.Upper();
  switch (term.mode) {
    case kFindExact:
    case kFindIoFolded:
    case kFindUpperCase:
      return WindowReaches(text, term.key, compiled_.start, need);
    case kFindExchanges:
      return ExchangeReaches(upper, term.key, compiled_.start, need, true);
    case kFindWholeWords:
    case kFindWordsOrExchanges:
      if (WholeWordReaches(line_.UpperWithBlank(), line_.Length(), line_.WordStarts(), term.key,
                           need)) {
        return true;
      }
      return exchanges && line_.Raw().size() >= term.key.size() &&
             ExchangeReaches(upper, term.key, compiled_.start, need, false);
    default:
      return false;
  }
}

// Whether the characters of the line that the term's windows read hold enough of
// the key's: each distinct character the line lacks costs at least one position.
bool TermDecider::CharactersSuffice(const Term& term, int need) {
  const int allowed = term.length - need;
  switch (term.mode) {
    case kFindExact:
      return LacksAtMost(term.chars, line_.RawFromStart(), allowed);
    case kFindIoFolded:
      return LacksAtMost(term.chars, line_.FoldedFromStart(), allowed);
    case kFindUpperCase:
      return LacksAtMost(term.chars, line_.UpperFromStart(), allowed);
    case kFindExchanges:
      return LacksAtMost(term.chars, line_.UpperBeforeStart(), allowed);
    case kFindWholeWords:
    case kFindWordsOrExchanges:
      // The tolerant pass may count one character twice; the exchanges bring in
      // nothing the whole line lacks.
      return LacksAtMost(term.chars, line_.UpperAll(), allowed + 1);
    default:
      return false;
  }
}

// A window with every character equal, in the line or in a copy with two
// neighbours exchanged, has the key's first two characters next to each other in
// the line, the other way round, or one apart. Only that test is cheap and sure,
// so it is made only when no character may be unequal.
bool TermDecider::FirstPairNear(const Term& term, int need) {
  // An exact term's windows are noted exactly; none means it fails.
  if (need < term.length || term.length < 2 || term.exact) return true;
  return line_.PairNear(term.key[0], term.key[1]);
}

}  // namespace kolvar::matching
