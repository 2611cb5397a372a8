#include "search/matcher.h"

#include <cstdint>

#include "search/similarity.h"

namespace kolvar {
namespace {

// An equal rating passes either way; -1 (line too short) passes only an excluding
// term.
bool TermPasses(const TParam& term, const std::string& line, bool compareFromStart) {
  const int rating = RateSimilarity(line, term.Word, term.Mode, compareFromStart);
  return term.Include ? rating >= term.Precision : rating <= term.Precision;
}

bool KeywordMatches(const TSearchStrings& keyword, const std::string& line, bool compareFromStart) {
  // The parse always gives a term; a keyword built without one matches nothing.
  if (keyword.Params.empty()) return false;
  for (const TParam& term : keyword.Params) {
    if (!TermPasses(term, line, compareFromStart)) return false;
  }
  return true;
}

}  // namespace

bool MatchProgramme(TFindStruct& results, const std::string& line, DateTime start,
                    const TWRD& keywords, bool compareFromStart) {
  if (line.empty()) {
    if (!results.empty()) results.back().end = start;
    return false;
  }
  for (std::size_t k = 0; k < keywords.Items.size(); ++k) {
    if (KeywordMatches(keywords.Items[k], line, compareFromStart)) {
      results.push_back({line, start, 0, static_cast<std::int32_t>(k)});
      return true;
    }
  }
  return false;
}

}  // namespace kolvar
