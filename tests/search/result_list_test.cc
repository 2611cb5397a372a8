#include "search/result_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

namespace kolvar {
namespace {

using Lines = std::vector<std::string>;

const DateTime kNow = *EncodeDateTime({2024, 3, 2, 5, 12, 0, 0, 0});
DateTime At(double minutes) { return kNow + minutes / 1440; }

TFindStruct Results(const std::vector<std::pair<double, double>>& startEnd) {
  TFindStruct r;
  for (std::size_t i = 0; i < startEnd.size(); ++i) {
    r.push_back({"line " + std::to_string(i), At(startEnd[i].first), At(startEnd[i].second),
                 static_cast<std::int32_t>(i)});
  }
  return r;
}

Lines LinesOf(const TFindStruct& r) {
  Lines lines;
  for (const auto& p : r) lines.push_back(p.line.Text());
  return lines;
}

int CurrentAfterBuild(const TFindStruct& r) { return BuildResultList(r, kNow, {}).current; }

TEST(BuildResultListTest, ChoosesOnAirThenTheNearestComingThenTheLast) {
  EXPECT_EQ(CurrentAfterBuild(Results({{-120, -60}, {-10, 20}, {10, 40}})), 1);
  EXPECT_EQ(CurrentAfterBuild(Results({{-120, -60}, {90, 120}, {30, 60}})), 2);
  EXPECT_EQ(CurrentAfterBuild(Results({{-120, -60}, {-90, -30}})), 1);
  EXPECT_EQ(CurrentAfterBuild(Results({{46000, 46010}, {45500, 45600}})), 1);
  EXPECT_EQ(CurrentAfterBuild(Results({{-10, 20}, {-5, 30}})), 0);
}

TEST(BuildResultListTest, PlaceholdersWhenThereAreNoResults) {
  EXPECT_EQ(BuildResultList({}, kNow, {true, 2, "Old guide"}).lines, Lines{"-Old guide"});
  EXPECT_EQ(BuildResultList({}, kNow, {true, 0, "Old guide"}).lines, Lines{"-no results found"});
}

TEST(SortResultsTest, ByStartTimeInTheEstablishedOrderForEqualTimes) {
  TFindStruct r = Results({{60, 61}, {0, 1}, {60, 62}});  // A 21:00, B 20:00, C 21:00
  SortResults(r);
  EXPECT_EQ(LinesOf(r), (Lines{"line 1", "line 2", "line 0"}));  // B, C, A
  EXPECT_EQ(r[2], (FoundProgramme{"line 0", At(60), At(61), 0}));
}

// The selection sort as it always was; the fast sort must make the same exchanges.
void ReferenceSort(TFindStruct& r) {
  const std::size_t n = r.size();
  if (n < 2) return;
  for (std::size_t pass = 0; pass + 1 < n; ++pass) {
    const std::size_t last = n - 1 - pass;
    std::size_t m = 0;
    for (std::size_t i = 1; i <= last; ++i) {
      if (r[i].start > r[m].start) m = i;
    }
    if (m != last) std::swap(r[m], r[last]);
  }
}

// Bit patterns of the times, so that NaNs compare and -0 differs from +0.
std::vector<std::uint64_t> Bits(const TFindStruct& r) {
  std::vector<std::uint64_t> bits;
  for (const auto& p : r) {
    bits.push_back(std::bit_cast<std::uint64_t>(p.start));
    bits.push_back(std::bit_cast<std::uint64_t>(p.end));
  }
  return bits;
}

TEST(SortResultsTest, SameOrderAsTheSelectionSortForRandomResults) {
  std::mt19937 random(20240302);
  auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int trial = 0; trial < 1500; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    const int n = trial < 50 ? trial : below(301);
    // Few distinct start times, so that most have equals.
    std::vector<DateTime> values;
    for (int k = 1 + below(6); k > 0; --k) values.push_back(At(30 * below(8) - 60));
    values.push_back(trial % 7 == 0 ? nan : -0.0);
    values.push_back(0.0);
    // Times too far apart to pack with a position: the sort takes its other way.
    if (trial % 13 == 0)
      values.push_back(trial % 26 ? 1e300 : -std::numeric_limits<double>::infinity());
    TFindStruct r;
    for (int i = 0; i < n; ++i) {
      DateTime start = values[static_cast<std::size_t>(below(static_cast<int>(values.size())))];
      switch (trial % 5) {
        case 0:
          start = values[0];
          break;
        case 1:
          start = At(i / 3);
          break;
        case 2:
          start = At(-i / 3);
          break;
        default:
          break;
      }
      r.push_back({"line " + std::to_string(i), start, start + below(100), i});
    }
    if (n > 0 && trial % 11 == 0) r[0].start = nan;
    TFindStruct expected = r;
    ReferenceSort(expected);
    SortResults(r);
    ASSERT_EQ(LinesOf(r), LinesOf(expected));
    ASSERT_EQ(Bits(r), Bits(expected));
  }
}

// Random text of the bytes that matter to a line: its brackets, breaks, blanks,
// digits and colons, and bytes above 127.
std::string RandomText(std::mt19937& random, std::size_t most) {
  static constexpr char kBytes[] = {'[', ']', '\r', '\n', ' ',    ':',    '.',
                                    '0', '9', 'a',  'Z',  '\xe0', '\xff', '\x01'};
  std::string text(random() % (most + 1), 'x');
  for (char& c : text) {
    if (random() % 2) c = kBytes[random() % std::size(kBytes)];
  }
  return text;
}

// A line as the reader writes one: "yyyy.mm.dd hh:mm Title[Dw]Channel", the year
// as many digits as it takes, or "hh:mm ..." alone; now and then one character
// of the head is another (a line made by hand).
std::string ReaderLine(std::mt19937& random, const std::string& title, const std::string& day,
                       const std::string& channel) {
  char head[64];
  const int year =
      random() % 4 ? 1990 + static_cast<int>(random() % 60) : static_cast<int>(random() % 20000);
  const auto two = [&random](int most) { return static_cast<int>(random() % (most + 1)); };
  if (random() % 5 == 0) {
    std::snprintf(head, sizeof head, "%.2d:%.2d ", two(23), two(59));
  } else {
    std::snprintf(
        head, sizeof head,
        year >= 1000 && year <= 9999 ? "%.4d.%.2d.%.2d %.2d:%.2d " : "%d.%.2d.%.2d %.2d:%.2d ",
        year, 1 + two(11), 1 + two(30), two(23), two(59));
  }
  if (random() % 8 == 0) head[random() % std::strlen(head)] = "-/ x:."[random() % 6];
  return head + title + "[" + day + "]" + channel;
}

TEST(CompactLinesTest, EveryLineIsMadeAgainByteForByte) {
  std::mt19937 random(35);
  std::size_t pieces = 0;
  std::size_t total = 0;
  for (int round = 0; round < 200; ++round) {
    const std::string channel = RandomText(random, 12);
    std::vector<std::string> days(7);
    for (std::string& day : days) day = RandomText(random, 4);
    std::vector<std::string> titles(1 + random() % 20);
    for (std::string& title : titles) title = RandomText(random, random() % 8 ? 30 : 300);
    TFindStruct results;
    Lines lines;
    for (int i = 0, n = static_cast<int>(random() % 300); i < n; ++i) {
      const std::string& day = days[random() % days.size()];
      std::string line = ReaderLine(random, titles[random() % titles.size()], day, channel);
      FoundProgramme& f = results.emplace_back(FoundProgramme{line, At(i)});
      // Fields noted for the channel, for another channel, or not at all.
      const int noted = static_cast<int>(random() % 8);
      if (noted > 1) f.fields = NoteFields(line, channel, day);
      if (noted == 1) f.fields = NoteFields(line, RandomText(random, 3), day);
      lines.push_back(std::move(line));
    }
    // One at a time too, as a search takes them apart: its titles not counted ahead.
    LineCompactor compactor;
    std::size_t apart = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const ResultLine made = compactor.Made(lines[i], results[i].fields);
      ASSERT_EQ(made.Text(), lines[i]);
      apart += !made.Whole();
    }
    CompactLines(results);
    ASSERT_EQ(LinesOf(results), lines);
    EXPECT_EQ(apart, static_cast<std::size_t>(
                         std::count_if(results.begin(), results.end(),
                                       [](const FoundProgramme& f) { return !f.line.Whole(); })));
    for (const FoundProgramme& f : results) pieces += !f.line.Whole();
    total += results.size();
    std::vector<ResultLine> kept;
    for (const FoundProgramme& f : results) kept.push_back(f.line);
    const ListedLines listed(std::move(kept));
    ASSERT_EQ(listed.Size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(listed.Line(i), OneLine(lines[i]));
  }
  // Most lines are the reader's with their fields noted: those are kept in pieces.
  EXPECT_GT(pieces, total / 2);
}

TEST(CompactLinesTest, ALineTheFieldsFitIsKeptInPieces) {
  TFindStruct results{{"2024.03.05 12:00 News[Tu]Sport [HD]"},
                      {"12:00 News[Tu]Sport [HD]"},
                      {"2024.03.05 12:00 News[Tu]Sport [HD]"},
                      {"999.03.05 12:00 News[Tu]Sport [HD]"}};
  for (FoundProgramme& f : results) f.fields = NoteFields(f.line.Text(), "Sport [HD]", "Tu");
  CompactLines(results);
  EXPECT_FALSE(results[0].line.Whole());
  EXPECT_FALSE(results[1].line.Whole());
  EXPECT_FALSE(results[2].line.Whole());
  EXPECT_TRUE(results[3].line.Whole());  // a year the reader writes in three digits
  EXPECT_EQ(results[2].line.Text(), "2024.03.05 12:00 News[Tu]Sport [HD]");
}

TEST(ResultHintTest, EndTimeKeywordAndWrapping) {
  FoundProgramme r{"2007.03.05 21:30 Title[Mo]ch1", At(0), At(75), 0};
  const Lines keywords{"News"};
  EXPECT_EQ(ResultHint(r, &keywords), "1 [News]:\r2007.03.05 21:30-13:15 Title[Mo]ch1");
  FoundProgramme shortLine = r;
  shortLine.line = "21:30 T[Mo]ch1";
  EXPECT_EQ(ResultHint(shortLine, nullptr), "1 [-]:\r21:30-13:15 T[Mo]ch1");
  r.end = 0;  // never set
  r.keywordIndex = -1;
  EXPECT_EQ(ResultHint(r, &keywords),
            "0 [keyword deleted or modified]:\r2007.03.05 21:30-00:00 Title[Mo]ch1");
  const Lines none;
  EXPECT_EQ(ResultHint(r, &none), "0 [-]:\r2007.03.05 21:30-00:00 Title[Mo]ch1");
  for (const char* placeholder : {"-no results found", ""}) {
    r.line = placeholder;
    EXPECT_EQ(ResultHint(r, &keywords), "search resulst");
  }
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
