// Whether a keyword's terms pass on the current line, decided as RateSimilarity
// and MatchProgramme decide it: a term that no piece names is settled by the scan;
// a candidate first by the characters the line holds, then by counting only the
// windows its pieces were found for, and only as far as the decision needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "search/candidate_scan.h"
#include "search/fast_matcher_index.h"
#include "search/line_view.h"

namespace kolvar::matching {

class TermDecider {
 public:
  // All three must outlive the decider; line and scan hold the current line.
  TermDecider(const CompiledKeywords& compiled, LineView& line, CandidateScan& scan)
      : compiled_(compiled), line_(line), scan_(scan) {}

  // The first keyword, in list order, whose terms all pass, of those looked at on
  // every line and those the scan opened; -1 for none.
  int FirstPassing();
  // Whether term t passes on the current line.
  bool TermPasses(std::size_t t);

 private:
  bool KeywordPasses(std::size_t k);
  bool Passes(std::size_t t);
  // Whether the best count of term t against the line reaches need; the line is
  // long enough for the mode.
  bool Reaches(std::size_t t, int need);
  // The same for a term without pieces: every window is counted.
  bool ReachesUnindexed(const Term& term, int need, std::string_view text, bool exchanges);
  bool CharactersSuffice(const Term& term, int need);
  bool FirstPairNear(const Term& term, int need);

  const CompiledKeywords& compiled_;
  LineView& line_;
  CandidateScan& scan_;
};

}  // namespace kolvar::matching
