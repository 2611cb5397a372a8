#include "../bench/search_compare.h"

#include <gtest/gtest.h>

#include "search/keywords.h"
#include "support/temp_dir.h"

namespace kolvar {
namespace {

// The benchmark's identical column on a guide small enough for every build: the
// compiled matcher's result list is the literal one in every mode, sampled or not.
TEST(SearchCompareTest, FastAndLiteralRunsListTheSameResults) {
  testing::TempDir dir;
  jtv::GuideOptions guideOptions;
  guideOptions.channels = 6;
  guideOptions.days = 2;
  guideOptions.seed = 5;
  const DateTime now = *EncodeDateTime({2026, 12, 7, 1, 12, 0, 0, 0});
  guideOptions.start = DecodeDateTime(now - 0.5);
  guideOptions.language = jtv::Language::kVaried;
  const bench::Guide guide = bench::PrepareGuide(dir.Folder(), guideOptions);
  // Keywords a user could type: none draws a message when parsed.
  ParseKeywords(bench::UsersKeywords(jtv::VariedWords(), guide.titles, 1000, 7), {},
                [](const std::string& text) { ADD_FAILURE() << text; });
  std::vector<bench::ModeTiming> timings;
  for (const auto& keywords : {bench::KeywordsFromTitles(guide.titles, 40, 3),
                               bench::UsersKeywords(jtv::VariedWords(), guide.titles, 60, 3)}) {
    for (int mode = 1; mode <= 6; ++mode) {
      for (bool full : {true, false}) {
        bench::RunOptions options{.fullSearch = full, .now = now};
        if (mode >= 5) options.literalSample = 20;
        const bench::ModeTiming timing =
            bench::CompareMode(guide, keywords, static_cast<FindMode>(mode), options);
        EXPECT_TRUE(timing.identical) << keywords[0] << " mode " << mode << " full " << full;
        EXPECT_GT(timing.results, 0u) << keywords[0] << " mode " << mode;
        EXPECT_EQ(timing.extrapolated, mode >= 5);
        timings.push_back(timing);
      }
    }
  }
  EXPECT_EQ(bench::FormatTable(timings).find("NO"), std::string::npos);
  // Timed alone (--fast-only): no comparison is claimed either way.
  bench::RunOptions fastOnly{.now = now};
  fastOnly.literal = false;
  const std::string alone =
      bench::FormatTable({bench::CompareMode(guide, {"News"}, kFindUpperCase, fastOnly)});
  EXPECT_EQ(alone.find("NO"), std::string::npos);
  EXPECT_NE(alone.find("| - | - | - |"), std::string::npos);
}

}  // namespace
}  // namespace kolvar
