#include "search/fast_matcher.h"

#include <cstdint>

namespace kolvar {

KeywordMatcher::KeywordMatcher(const TWRD& keywords, bool compareFromStart)
    : compiled_(matching::CompileKeywords(keywords, compareFromStart)),
      line_(compiled_.start, compiled_.upperNeeded),
      scan_(compiled_),
      decider_(compiled_, line_, scan_) {}

int KeywordMatcher::FirstMatch(std::string_view line) {
  if (compiled_.keywords.empty()) return -1;
  line_.Reset(line);
  scan_.Scan(line_);
  return decider_.FirstPassing();
}

bool KeywordMatcher::Match(TFindStruct& results, const std::string& line, DateTime start) {
  if (line.empty()) {
    if (!results.empty()) results.back().end = start;
    return false;
  }
  const int k = FirstMatch(line);
  if (k < 0) return false;
  results.push_back({line, start, 0, static_cast<std::int32_t>(k)});
  return true;
}

}  // namespace kolvar
