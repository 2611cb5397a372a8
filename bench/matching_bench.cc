#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/cp1251.h"
#include "search/keywords.h"
#include "search/matcher.h"
#include "search/similarity.h"

namespace kolvar {
namespace {

// Long-form lines of 40 to 80 characters, as the reader formats them.
const std::vector<std::string> kLines = {
    "2007.03.05 06:00 Morning news[Mo]First",
    "2007.03.05 07:15 Cartoons: The adventures of the little tiger[Mo]Kids channel",
    "2007.03.05 09:30 Football. Champions league, review[Mo]Sport",
    "2007.03.05 12:00 Terminator 2: Judgment Day[Mo]Film channel",
    "2007.03.05 14:45 \xD1\xEB\xE5\xE4\xF1\xF2\xE2\xE8\xE5 \xE2\xE5\xE4\xF3\xF2 "
    "\xE7\xED\xE0\xF2\xEE\xEA\xE8[Mo]\xD0\xEE\xF1\xF1\xE8\xFF",
    "2007.03.05 17:20 Weather forecast for the whole week[Mo]News 24",
    "2007.03.05 19:00 Who wants to be a millionaire?[Mo]First",
    "2007.03.05 21:30 The evening show with special guests and music[Mo]Second",
};

// Keys of 4, 10 and 20 characters, as the user types them.
const std::vector<std::string> kKeys = {"news", "terminator", "champions league rev"};

void BM_RateSimilarity(benchmark::State& state) {
  const auto mode = static_cast<FindMode>(state.range(0));
  std::string key = kKeys[static_cast<std::size_t>(state.range(1))];
  if (mode == kFindUpperCase) key = UpperCase(key);  // as the parse stores mode-3 words
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(RateSimilarity(kLines[i], key, mode, false));
    i = (i + 1) % kLines.size();
  }
  state.SetLabel("key " + std::to_string(key.size()));
}
BENCHMARK(BM_RateSimilarity)->ArgsProduct({{1, 2, 3, 4, 5, 6}, {0, 1, 2}});

// Programme titles and channel names mixed into many distinct lines, and a
// keyword list of which only a few find anything.
std::vector<std::string> ManyLines() {
  std::vector<std::string> lines;
  for (int day = 1; day <= 8; ++day) {
    for (const std::string& line : kLines) {
      std::string copy = line;
      copy[9] = static_cast<char>('0' + day);
      lines.push_back(copy);
    }
  }
  return lines;
}

std::vector<std::string> KeywordLines(int count) {
  const std::vector<std::string> words = {
      "detective", "comedy",    "hockey",  "opera",   "documentary", "travel",   "cooking",
      "history",   "concert",   "tennis",  "science", "wildlife",    "quiz",     "drama",
      "biathlon",  "formula 1", "theatre", "jazz",    "politics",    "medicine",
  };
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) {
    lines.push_back(words[static_cast<std::size_t>(i) % words.size()] +
                    (i < static_cast<int>(words.size()) ? "" : std::to_string(i)));
  }
  // Two that find something, at the end so every keyword is tried first.
  lines[static_cast<std::size_t>(count - 2)] = "terminator";
  lines[static_cast<std::size_t>(count - 1)] = "weather&!news^60";
  return lines;
}

void BM_MatchProgramme(benchmark::State& state) {
  const auto findMode = static_cast<FindMode>(state.range(1));
  const TWRD keywords = ParseKeywords(KeywordLines(static_cast<int>(state.range(0))),
                                      {.FindMode = findMode, .CongenialityRate = 86}, nullptr);
  const std::vector<std::string> lines = ManyLines();
  TFindStruct results;
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(MatchProgramme(results, lines[i], 39146.9, keywords, false));
    i = (i + 1) % lines.size();
    if (i == 0) ClearResults(results);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MatchProgramme)->ArgsProduct({{10, 100}, {1, 3, 4, 5, 6}});

}  // namespace
}  // namespace kolvar
