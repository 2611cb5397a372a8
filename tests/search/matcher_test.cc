#include "search/matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolvar {
namespace {

constexpr char kTerminator[] = "2007.03.05 21:30 Terminator 2[Mo]ch1";
constexpr char kNews[] = "2007.03.05 22:00 Evening news[Mo]ch1";
constexpr DateTime kStart = 39146.895833;  // 2007-03-05 21:30
constexpr DateTime kNext = 39146.916667;   // 22:00

TWRD Keywords(const std::vector<std::string>& lines, int findMode = 1, int rate = 86) {
  return ParseKeywords(
      lines, {.FindMode = static_cast<FindMode>(findMode), .CongenialityRate = rate}, nullptr);
}

TWRD OneTerm(const std::string& word, int mode, int precision, bool include) {
  return TWRD{{TSearchStrings{{TParam{word, static_cast<FindMode>(mode), precision, include}}, 1}},
              1};
}

bool Matches(const TWRD& keywords, const std::string& line = kTerminator,
             bool compareFromStart = false) {
  TFindStruct results;
  return MatchProgramme(results, line, kStart, keywords, compareFromStart);
}

TEST(MatchProgrammeTest, AppendsTheLineWithItsStartAndKeyword) {
  TFindStruct results;
  const TWRD keywords = Keywords({"news", "Terminator"});
  EXPECT_TRUE(MatchProgramme(results, kTerminator, kStart, keywords, false));
  EXPECT_EQ(results, (TFindStruct{{kTerminator, kStart, 0, 1}}));

  // The empty line closes the entry appended last with the next programme's start.
  EXPECT_FALSE(MatchProgramme(results, "", kNext, keywords, false));
  EXPECT_EQ(results, (TFindStruct{{kTerminator, kStart, kNext, 1}}));

  EXPECT_FALSE(MatchProgramme(results, "2007.03.05 23:00 Weather[Mo]ch1", kNext, keywords, false));
  EXPECT_EQ(results.size(), 1u);
}

TEST(MatchProgrammeTest, FirstMatchingKeywordWinsAndAppendsOnce) {
  TFindStruct results;
  const TWRD keywords = Keywords({"Terminator", "news", "Terminator 2"});
  EXPECT_TRUE(MatchProgramme(results, kTerminator, kStart, keywords, false));
  EXPECT_TRUE(MatchProgramme(results, kNews, kNext, keywords, false));
  EXPECT_EQ(results, (TFindStruct{{kTerminator, kStart, 0, 0}, {kNews, kNext, 0, 1}}));
}

TEST(MatchProgrammeTest, EmptyLineWithNoResultsChangesNothing) {
  TFindStruct results;
  EXPECT_FALSE(MatchProgramme(results, "", kNext, Keywords({"a"}), false));
  EXPECT_TRUE(results.empty());
}

TEST(MatchProgrammeTest, ThresholdsIncludeEqualRatingsEitherWay) {
  // "terminator" in mode 1 rates 90 against the line; the too long key rates -1.
  const std::string longKey(40, 'x');
  struct Case {
    std::string word;
    int precision;
    bool include;
    bool matches;
  } cases[] = {
      {"terminator", 90, true, true},  {"terminator", 91, true, false},
      {"terminator", 90, false, true}, {"terminator", 89, false, false},
      {longKey, 86, false, true},      {longKey, -1, false, true},
      {longKey, -2, false, false},     {longKey, 0, true, false},
      {longKey, -1, true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Matches(OneTerm(c.word, 1, c.precision, c.include)), c.matches)
        << c.word << " " << c.precision << (c.include ? " including" : " excluding");
  }
}

TEST(MatchProgrammeTest, ModesThatCompareNothingPassOnlyLowPrecisions) {
  for (int mode : {-1, 0, 7, 1000}) {
    EXPECT_TRUE(Matches(OneTerm("Terminator", mode, 0, true))) << mode;
    EXPECT_FALSE(Matches(OneTerm("Terminator", mode, 1, true))) << mode;
  }
}

TEST(MatchProgrammeTest, AllTermsOfAKeywordMustPass) {
  EXPECT_TRUE(Matches(Keywords({"Terminator&!news^60"})));
  EXPECT_FALSE(Matches(Keywords({"Terminator&!news^60"}), kNews));
  EXPECT_FALSE(Matches(Keywords({"Terminator&!Terminator^60"})));
  EXPECT_FALSE(Matches(Keywords({"Terminator&Rambo"})));
}

TEST(MatchProgrammeTest, StartPositionComesFromTheCaller) {
  const TWRD keywords = Keywords({"2007^100"});
  EXPECT_FALSE(Matches(keywords, kTerminator, false));
  EXPECT_TRUE(Matches(keywords, kTerminator, true));
}

TEST(MatchProgrammeTest, EmptyWordsAndEmptyLists) {
  EXPECT_FALSE(Matches(Keywords({"&Terminator"})));  // an empty including term
  EXPECT_FALSE(Matches(Keywords({"@3"})));
  EXPECT_FALSE(Matches(Keywords({"^90&Terminator"})));
  EXPECT_TRUE(Matches(Keywords({"Terminator&!"})));  // an empty excluding term
  EXPECT_TRUE(Matches(Keywords({"!"})));
  EXPECT_FALSE(Matches(Keywords({})));
  EXPECT_FALSE(Matches(Keywords({std::string(3000, '&')})));
  EXPECT_FALSE(Matches(TWRD{{TSearchStrings{}}, 1}));  // a keyword without terms
}

// A user's lower-case keyword with Find_Mode 5 or 6 finds its programme.
TEST(MatchProgrammeTest, ExchangeModesFindLowerCaseKeywords) {
  EXPECT_TRUE(Matches(Keywords({"terminator"}, 5)));
  EXPECT_TRUE(Matches(Keywords({"treminator"}, 5)));
  EXPECT_TRUE(Matches(Keywords({"treminator"}, 6)));
}

}  // namespace
}  // namespace kolvar
