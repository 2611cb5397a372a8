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

void Append(TFindStruct& results, const std::string& line, DateTime start, int keywordIndex) {
  results.Lines.push_back(line);
  const std::size_t count = results.Lines.size();
  results.StartTimes.resize(count);
  results.EndTimes.resize(count);
  results.WordIndex.resize(count);
  results.StartTimes[count - 1] = start;
  results.EndTimes[count - 1] = 0;
  results.WordIndex[count - 1] = keywordIndex;
  results.Count = static_cast<std::int32_t>(count);
}

}  // namespace

bool MatchProgramme(TFindStruct& results, const std::string& line, DateTime start,
                    const TWRD& keywords, bool compareFromStart) {
  if (line.empty()) {
    const std::int32_t last = results.Count - 1;
    if (last >= 0 && static_cast<std::size_t>(last) < results.EndTimes.size()) {
      results.EndTimes[last] = start;
    }
    return false;
  }
  for (std::size_t k = 0; k < keywords.Items.size(); ++k) {
    if (KeywordMatches(keywords.Items[k], line, compareFromStart)) {
      Append(results, line, start, static_cast<int>(k));
      return true;
    }
  }
  return false;
}

}  // namespace kolvar
