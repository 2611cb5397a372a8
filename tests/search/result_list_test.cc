#include "search/result_list.h"

#include <gtest/gtest.h>

namespace kolvar {
namespace {

using Lines = std::vector<std::string>;

const DateTime kNow = *EncodeDateTime({2024, 3, 2, 5, 12, 0, 0, 0});
DateTime At(double minutes) { return kNow + minutes / 1440; }

TFindStruct Results(const std::vector<std::pair<double, double>>& startEnd) {
  TFindStruct r;
  for (std::size_t i = 0; i < startEnd.size(); ++i) {
    r.Lines.push_back("line " + std::to_string(i));
    r.StartTimes.push_back(At(startEnd[i].first));
    r.EndTimes.push_back(At(startEnd[i].second));
    r.WordIndex.push_back(static_cast<std::int32_t>(i));
  }
  r.Count = static_cast<std::int32_t>(r.Lines.size());
  return r;
}

int CurrentAfterBuild(const TFindStruct& r) {
  ListBox box;
  BuildResultList(r, box, kNow, {});
  return box.ItemIndex();
}

TEST(BuildResultListTest, ChoosesOnAirThenTheNearestComingThenTheLast) {
  EXPECT_EQ(CurrentAfterBuild(Results({{-120, -60}, {-10, 20}, {10, 40}})), 1);
  EXPECT_EQ(CurrentAfterBuild(Results({{-120, -60}, {90, 120}, {30, 60}})), 2);
  EXPECT_EQ(CurrentAfterBuild(Results({{-120, -60}, {-90, -30}})), 1);
  EXPECT_EQ(CurrentAfterBuild(Results({{46000, 46010}, {45500, 45600}})), 1);
  EXPECT_EQ(CurrentAfterBuild(Results({{-10, 20}, {-5, 30}})), 0);
}

TEST(BuildResultListTest, PlaceholdersWhenThereAreNoResults) {
  ListBox box;
  BuildResultList({}, box, kNow, {true, 2, "Old guide"});
  EXPECT_EQ(box.Items, Lines{"-Old guide"});
  BuildResultList({}, box, kNow, {true, 0, "Old guide"});
  EXPECT_EQ(box.Items, Lines{"-no results found"});
}

TEST(SortResultsTest, ByStartTimeInTheEstablishedOrderForEqualTimes) {
  TFindStruct r = Results({{60, 61}, {0, 1}, {60, 62}});  // A 21:00, B 20:00, C 21:00
  SortResults(r);
  EXPECT_EQ(r.Lines, (Lines{"line 1", "line 2", "line 0"}));  // B, C, A
  EXPECT_EQ(r.WordIndex, (std::vector<std::int32_t>{1, 2, 0}));
  EXPECT_EQ(r.EndTimes[2], At(61));
}

TEST(ResultHintTest, EndTimeKeywordAndWrapping) {
  TFindStruct r = Results({{0, 75}});
  const Lines keywords{"News"};
  const std::string line = "2007.03.05 21:30 Title[Mo]ch1";
  EXPECT_EQ(ResultHint(r, 0, line, &keywords), "1 [News]:\r2007.03.05 21:30-13:15 Title[Mo]ch1");
  EXPECT_EQ(ResultHint(r, 0, "21:30 T[Mo]ch1", nullptr), "1 [-]:\r21:30-13:15 T[Mo]ch1");
  r.EndTimes[0] = 0;  // never set
  r.WordIndex[0] = -1;
  EXPECT_EQ(ResultHint(r, 0, line, &keywords),
            "0 [keyword deleted or modified]:\r2007.03.05 21:30-00:00 Title[Mo]ch1");
  const Lines none;
  EXPECT_EQ(ResultHint(r, 0, line, &none), "0 [-]:\r2007.03.05 21:30-00:00 Title[Mo]ch1");
  EXPECT_EQ(ResultHint(r, 0, "-no results found", &keywords), "search resulst");
  EXPECT_EQ(ResultHint(r, 0, "", &keywords), "search resulst");
}

TEST(ResultHintTest, LongLinesWrapAfterTheWordAtEverySeventiethCharacter) {
  // Character 70 lies in a word ending at 73, followed by a blank and one more.
  std::string line = std::string(66, 'a') + " bcdefg h";
  ASSERT_EQ(line.size(), 75u);
  EXPECT_EQ(WrapHintLine(line), std::string(66, 'a') + " bcdefg\nh");
  // A 70th character that is a blank becomes the line feed.
  std::string blank = std::string(69, 'a') + " " + std::string(10, 'b');
  EXPECT_EQ(WrapHintLine(blank), std::string(69, 'a') + "\n" + std::string(10, 'b'));
  // A word running to the end ends the copy.
  EXPECT_EQ(WrapHintLine(std::string(80, 'x')), std::string(80, 'x'));
  EXPECT_EQ(WrapHintLine(std::string(70, 'y')), std::string(70, 'y'));
}

}  // namespace
}  // namespace kolvar
