#include "plugin/host_channel.h"

#include <gtest/gtest.h>

#include <string>

namespace kolvar {
namespace {

TEST(HostChannelTest, TextsAreCutIntoPiecesOf63) {
  struct Case {
    std::size_t length;
    std::vector<std::size_t> pieces;
  };
  const Case cases[] = {
      {0, {0}},           {63, {63}},          {64, {63, 1}},       {126, {63, 63}},
      {127, {63, 63, 1}}, {189, {63, 63, 63}}, {300, {63, 63, 63}},
  };
  for (const auto& c : cases) {
    std::string text;
    for (std::size_t i = 0; i < c.length; ++i) text += static_cast<char>('a' + i % 26);
    HostEvent event = MakeHostEvent(text, kKindMess);
    EXPECT_EQ(event.text, text) << c.length;
    ASSERT_EQ(event.pieces.size(), c.pieces.size()) << c.length;
    std::size_t at = 0;
    for (std::size_t i = 0; i < c.pieces.size(); ++i) {
      EXPECT_EQ(event.pieces[i], text.substr(at, c.pieces[i])) << c.length << " piece " << i;
      at += c.pieces[i];
    }
  }
}

TEST(HostChannelTest, KindTextsByCode) {
  EXPECT_EQ(KindText(50), "NOTIF");
  EXPECT_EQ(KindText(100), "USER");
  EXPECT_EQ(KindText(-10), "MESS");
  EXPECT_EQ(KindText(-25), "SEARCHSTATUS:RUNNING");
  EXPECT_EQ(KindText(-30), "SEARCHSTATUS:COMPLETE");
  EXPECT_EQ(KindText(7), "UNKNOWN");
  EXPECT_EQ(MakeHostEvent("x", 7).kind, "UNKNOWN");
  EXPECT_EQ(MakeHostEvent("x", 7).name, "Kolvar");
}

TEST(ResultLineTest, LongLineCarriesItsDate) {
  ResultLineParts p = TakeResultLineApart("2024.03.05 21:30 News[Tu]First", nullptr);
  EXPECT_EQ(p.year, "2024");
  EXPECT_EQ(p.month, "03");
  EXPECT_EQ(p.day, "05");
  EXPECT_EQ(p.begin, "21:30");
  EXPECT_EQ(p.title, "News");
  EXPECT_EQ(p.dayOfWeek, "Tu");
  EXPECT_EQ(p.channel, "First");
}

TEST(ResultLineTest, ShortLineTakesTheFirstResultsDate) {
  DateTime first = *EncodeDate(2024, 3, 5) + 0.5;
  ResultLineParts p = TakeResultLineApart("21:30 News[Tu]First", &first);
  EXPECT_EQ(p.begin, "21:30");
  EXPECT_EQ(p.title, "News");
  EXPECT_EQ(p.dayOfWeek, "Tu");
  EXPECT_EQ(p.channel, "First");
  EXPECT_EQ(p.day, "5");
  EXPECT_EQ(p.month, "3");
  EXPECT_EQ(p.year, "2024");
  EXPECT_EQ(TakeResultLineApart("21:30 News[Tu]First", nullptr).day, "");
}

TEST(ResultLineTest, TheLastClosingBracketClosesTheDayName) {
  ResultLineParts p = TakeResultLineApart("2024.03.05 21:30 Film [2] part[Tu]Ch]an", nullptr);
  EXPECT_EQ(p.channel, "an");
  EXPECT_EQ(p.dayOfWeek, "Ch");
  EXPECT_EQ(p.title, "Film [2] part[Tu");
}

TEST(ResultLineTest, LinesWithoutBracketOrTooShortAreSafe) {
  ResultLineParts p = TakeResultLineApart("2024.03.05 21:30 Just a title", nullptr);
  EXPECT_EQ(p.channel, "Just a title");
  EXPECT_EQ(p.title, "");
  EXPECT_EQ(p.dayOfWeek, "");
  for (const char* odd :
       {"", "2", "21:", "2024.03", "]]]]]]]]]]]]]]]]]]]]", "12:45 ]x", "12:45 [T]"}) {
    ResultLineParts q = TakeResultLineApart(odd, nullptr);
    EXPECT_LE(q.title.size(), std::string(odd).size()) << odd;
  }
  ResultLineParts q = TakeResultLineApart("12:45 ]x", nullptr);
  EXPECT_EQ(q.channel, "x");
  EXPECT_EQ(q.title, "");
}

}  // namespace
}  // namespace kolvar
