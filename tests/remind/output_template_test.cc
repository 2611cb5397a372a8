#include "remind/output_template.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace kolvar {
namespace {

const DateTime kNow = *EncodeDate(2024, 3, 5) + 0.5;  // 12:00
const DateTime kEnd = *EncodeDate(2024, 3, 5) + 22.75 / 24;
const std::vector<std::string> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::vector<std::string> Fields(const ResultLineParts& p) {
  return {p.year, p.month, p.day, p.begin, p.title, p.dayOfWeek, p.channel};
}

TEST(ResultLineTest, PartsOfLongShortAndOddLines) {
  const DateTime first = *EncodeDate(2023, 11, 7) + 0.9;
  struct Case {
    const char* line;
    std::optional<DateTime> first;
    std::vector<std::string> want;  // year, month, day, begin, title, day name, channel
  };
  const Case cases[] = {
      {"2024.03.05 21:30 News[Tu]First", {}, {"2024", "03", "05", "21:30", "News", "Tu", "First"}},
      {"21:30 News[Tu]First", first, {"2023", "11", "7", "21:30", "News", "Tu", "First"}},
      {"21:30 News[Tu]First", {}, {"2024", "3", "5", "21:30", "News", "Tu", "First"}},
      {"2024.03.05 21:30 Film [2] part[Tu]Ch]an",
       {},
       {"2024", "03", "05", "21:30", "Film [2] part[Tu", "Ch", "an"}},
      {"2024.03.05 21:30 Just a title", {}, {"2024", "03", "05", "21:30", "", "", "Just a title"}},
      {"2024.03.05 21:30 [Tu]Ch", {}, {"2024", "03", "05", "21:30", "", "Tu", "Ch"}},
      {"21:30 N[Tu]", {}, {"2024", "3", "5", "21:30", "N", "Tu", ""}},
      {"21:30 N]x", {}, {"2024", "3", "5", "21:30", "", " N", "x"}},
      {"12:45 ]x", {}, {"2024", "3", "5", "12:45", "", "5 ", "x"}},
      {"12:45 [T]", {}, {"2024", "3", "5", "12:45", "", "[T", ""}},
      {"21:", {}, {"2024", "3", "5", "21:", "", "", ""}},
      {"", {}, {"", "", "", ":", "", "", ""}},
      {"2024.03", {}, {"2024", "03", "", ":", "", "", ""}},
      {"]]]]]]]]]]]]]]]]]]]]", {}, {"]]]]", "]]", "]]", "]]:]]", "", "]]", ""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Fields(TakeResultLineApart(c.line, c.first ? &*c.first : nullptr, kNow)), c.want)
        << c.line;
  }
}

TEST(ResultLineTest, RandomLinesGiveOnlyCutsOfTheLineOrDates) {
  std::mt19937 random(1899);
  const std::string favoured = "::::]]]][[[[0123456789 .";
  const auto isCut = [](const std::string& line, const std::string& part) {
    return line.find(part) != std::string::npos;
  };
  for (int round = 0; round < 20000; ++round) {
    std::string line(random() % 40, ' ');
    for (char& ch : line) {
      ch = random() % 2 ? favoured[random() % favoured.size()] : static_cast<char>(random());
    }
    const DateTime first = kNow + static_cast<int>(random() % 1000) - 500;
    const bool withFirst = random() % 2;
    const ResultLineParts p = TakeResultLineApart(line, withFirst ? &first : nullptr, kNow);

    for (const std::string* cut : {&p.title, &p.dayOfWeek, &p.channel}) {
      EXPECT_TRUE(isCut(line, *cut)) << line;
    }
    if (line.size() >= 3 && line[2] == ':') {
      const CalendarFields f = DecodeDateTime(withFirst ? first : kNow);
      EXPECT_EQ(
          p.year + "." + p.month + "." + p.day,
          std::to_string(f.year) + "." + std::to_string(f.month) + "." + std::to_string(f.day));
    } else {
      for (const std::string* cut : {&p.year, &p.month, &p.day}) EXPECT_TRUE(isCut(line, *cut));
    }
    bool halvesAreCuts = false;
    for (std::size_t k = 0; k < p.begin.size(); ++k) {
      halvesAreCuts = halvesAreCuts || (p.begin[k] == ':' && isCut(line, p.begin.substr(0, k)) &&
                                        isCut(line, p.begin.substr(k + 1)));
    }
    EXPECT_TRUE(halvesAreCuts && p.begin.size() <= 5) << line << " begin " << p.begin;

    std::string format(random() % 12, ' ');
    for (char& ch : format) ch = "%%%-.09sdxMv^"[random() % 13];
    EXPECT_LE(FormatOutputString(format, p, kMonths, first, 1, 2, kNow).size(),
              format.size() * (1000 + line.size()))
        << format;
  }
}

TEST(MonthNameTest, OnlyNumbersOneToTwelveWithinTheList) {
  EXPECT_EQ(MonthName(kMonths, "1"), "Jan");
  EXPECT_EQ(MonthName(kMonths, "03"), "Mar");
  EXPECT_EQ(MonthName(kMonths, "12"), "Dec");
  for (const char* bad : {"", "0", "00", "13", "xx", "-1", "+3", " 3", "3 ", "99999999999"}) {
    EXPECT_EQ(MonthName(kMonths, bad), "") << bad;
  }
  EXPECT_EQ(MonthName(std::vector<std::string>{"Jan", "Feb", "Mar"}, "4"), "");
}

TEST(OutputTemplateTest, LettersFlagsAndMalformedConversions) {
  const ResultLineParts today = TakeResultLineApart("2024.03.05 21:30 News[Tu]First", nullptr, 0);
  const ResultLineParts tomorrow =
      TakeResultLineApart("2024.03.06 07:05 Morning Show[We]Second", nullptr, 0);
  std::string hundreds, hundredsWant;
  for (int i = 0; i < 300; ++i) {
    hundreds += "%c|";
    hundredsWant += "First|";
  }
  ResultLineParts longTitle = today;  // a precision only cuts: no cap on it
  longTitle.title = std::string(1100, 't');
  struct Case {
    std::string format;
    std::string want;
    const ResultLineParts* parts = nullptr;  // today's when null
    DateTime end = kEnd;
    int index = 0;
    int count = 0;
  };
  const Case cases[] = {
      {"%s (%c) %b-%e", "News (First) 21:30-22:45"},
      {"%d.%m %M %y %D %t", "05.03 Mar 2024 Tu 12:00"},
      {"%-20s|", "News                |"},
      {"%20s|", "                News|"},
      {"%05s|%-+ #05.2s|", " News|Ne   |"},
      {"%.5s", "Morni", &tomorrow},
      {"%.s|", "|"},
      {"a^b^", "a\nb\n"},
      {"^", "\n"},
      {"%i/%a %s", "-/- News"},
      {"%i/%a %s", "2/7 News", nullptr, kEnd, 2, 7},
      {"%v%s", "News"},
      {"%v%s", "2024.03.06 Morning Show", &tomorrow},
      {"%e", "?", nullptr, 0},
      {"100%% done", "100% sone"},
      {"%", "%"},
      {"%%", "%"},
      {"%n %x", "%n %x"},
      {"%xs %5x%s", "%xs %5xNews"},
      {"%-5", "%-5"},
      {"end %", "end %"},
      {"%999999999s", std::string(996, ' ') + "News"},
      {"%.999999999s", "News"},
      {"%.1200s", std::string(1100, 't'), &longTitle},
      {"%.1050s|", std::string(1050, 't') + "|", &longTitle},
      {"%.99999999999999999999999s", "News"},
      {hundreds, hundredsWant},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatOutputString(c.format, c.parts ? *c.parts : today, kMonths, c.end, c.index,
                                 c.count, kNow),
              c.want)
        << c.format;
  }
  ResultLineParts noDate = today;
  noDate.month = "xx";
  EXPECT_EQ(FormatOutputString("%v%M|", noDate, kMonths, kEnd, 0, 0, kNow - 100), "|");
  EXPECT_EQ(FormatOutputString("%v|", tomorrow, kMonths, kEnd, 0, 0, *EncodeDate(2024, 3, 6)), "|");
}

}  // namespace
}  // namespace kolvar
