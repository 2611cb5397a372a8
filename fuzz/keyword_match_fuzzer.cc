// Keyword lines and programme lines of any bytes through the parse and the
// matching, checking what callers rely on: the structure's shape, ratings in
// range, a result list whose arrays stay together, and the compiled matcher
// appending exactly what MatchProgramme appends.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "keyword_checks.h"
#include "search/fast_matcher.h"
#include "search/keywords.h"
#include "search/matcher.h"
#include "search/similarity.h"

namespace {

using namespace kolvar;
using fuzzing::Check;
using fuzzing::CheckKeywords;

void CheckRating(const std::string& line, const TParam& term, bool compareFromStart) {
  const int rating = RateSimilarity(line, term.Word, term.Mode, compareFromStart);
  const int d = static_cast<int>(line.size()) - static_cast<int>(term.Word.size());
  const bool tolerant = term.Mode == 4 || term.Mode == 6;
  if (term.Word.empty()) {
    Check(rating == 0);
  } else if (d < -1 || (d == -1 && !tolerant)) {
    Check(rating == -1);
  } else {
    Check(rating >= 0 && rating <= 100);
  }
}

void CheckResults(const TFindStruct& results, const TWRD& keywords) {
  for (const FoundProgramme& result : results) {
    Check(!result.line.Text().empty());
    Check(result.keywordIndex >= 0 && result.keywordIndex < keywords.Count);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  static constexpr int kModes[] = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 1000};
  const KeywordDefaults defaults{.FindMode = static_cast<FindMode>(input.PickValueInArray(kModes)),
                                 .CongenialityRate = input.ConsumeIntegralInRange(-2, 102)};
  const bool compareFromStart = input.ConsumeBool();

  std::vector<std::string> keywordLines(input.ConsumeIntegralInRange(0, 4));
  for (std::string& line : keywordLines) line = input.ConsumeRandomLengthString(300);
  const TWRD keywords = ParseKeywords(keywordLines, defaults, [](const std::string& text) {
    Check(text == kBadPrecisionMessage || text == kBadModeMessage || text == kNotDigitMessage);
  });
  CheckKeywords(keywords, keywordLines.size(), defaults);

  // Programme lines, now and then the reader's empty closing line.
  TFindStruct results;
  TFindStruct compiledResults;
  static const std::string kDays[] = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
  KeywordMatcher matcher(keywords, compareFromStart, kDays);
  DateTime start = 39146.0;
  std::string title;
  for (int i = 0; i < 8 && input.remaining_bytes() > 0; ++i) {
    // Longer than the titles guides hold, short enough that the literal
    // exchange rating (cubic in the line) leaves room for millions of runs.
    // Now and then the last text again with its ends rewritten, as one title
    // comes in another frame: a decision remembered for the title must still
    // heed the frame.
    std::string line;
    // The last text on another day: its day name, given one if it has none.
    auto otherDay = [&] {
      const std::string& day = kDays[input.ConsumeIntegralInRange(0, 6)];
      std::size_t close = title.rfind(']');
      if (close == std::string::npos || close < 3 || title[close - 3] != '[') {
        title += "[Su]ch";
        close = title.size() - 3;
      }
      line = title;
      line[close - 2] = day[0];
      line[close - 1] = day[1];
    };
    if (i > 0 && input.ConsumeBool()) {
      // The last text with other digits, as one title at another date and time
      // (those of its date and time only, or all), now and then on another day.
      if (input.ConsumeBool()) {
        otherDay();
      } else {
        line = title;
      }
      const std::size_t end = input.ConsumeBool() ? line.size() : 16;
      for (std::size_t at = 0; at < std::min(end, line.size()); ++at) {
        if (line[at] >= '0' && line[at] <= '9') {
          line[at] = static_cast<char>('0' + input.ConsumeIntegralInRange(0, 9));
        }
      }
    } else if (i > 0 && input.ConsumeBool()) {
      otherDay();
    } else if (i > 0 && input.ConsumeBool()) {
      line = title;
      const std::string head = input.ConsumeRandomLengthString(20);
      const std::string tail = input.ConsumeRandomLengthString(20);
      std::copy_n(head.begin(), std::min(head.size(), line.size()), line.begin());
      const std::size_t back = std::min(tail.size(), line.size());
      std::copy_n(tail.begin(), back, line.end() - static_cast<std::ptrdiff_t>(back));
    } else {
      line = title = input.ConsumeRandomLengthString(120);
    }
    start += 0.01;
    const std::size_t before = results.size();
    const bool appended = MatchProgramme(results, line, start, keywords, compareFromStart);
    Check(results.size() == before + (appended ? 1 : 0));
    Check(matcher.Match(compiledResults, line, start) == appended);
    Check(compiledResults == results);
    Check(!(appended && line.empty()));
    if (line.empty() && before > 0) Check(results.back().end == start);
    CheckResults(results, keywords);
    // The ratings' range on the first line only: the literal rating is most of
    // the cost of a run.
    if (i > 0) continue;
    for (const TSearchStrings& keyword : keywords.Items) {
      for (const TParam& term : keyword.Params) CheckRating(line, term, compareFromStart);
    }
  }
  return 0;
}
