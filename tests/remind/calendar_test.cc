// The calendar's text rules over many titles; calendar_import.py reads a whole
// file back with a real iCalendar parser.
#include "remind/calendar.h"

#include <gtest/gtest.h>

#include <random>

#include "base/cp1251.h"
#include "support/plugin_harness.h"

namespace kolvar {
namespace {

std::vector<std::string> PhysicalLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
    lines.push_back(text.substr(at, end - at));
  }
  EXPECT_EQ(at, text.size()) << "text after the last CR LF";
  return lines;
}

// Titles of every length up to 300 from letters of one and two UTF-8 octets and
// the characters that need escaping: every physical line holds at most 75 octets
// and starts on a character, and unfolding gives back the escaped title.
TEST(CalendarTest, FoldingKeepsEveryTitleWholeWithinSeventyFiveOctets) {
  std::mt19937 random(7);
  const std::string pieces[] = {"a", "\xC6", ",", ";", "\\", "\r\n", " "};  // \xC6: Zhe
  for (int length = 1; length <= 300; ++length) {
    std::string title, escaped;
    for (int i = 0; i < length; ++i) {
      const std::string& piece = pieces[random() % std::size(pieces)];
      title += piece;
      escaped += piece == "\r\n"                                   ? "\\n"
                 : piece == "a" || piece == " " || piece == "\xC6" ? piece
                                                                   : "\\" + piece;
    }
    // A title of blanks is named by its channel and time.
    if (title.find_first_not_of(' ') == std::string::npos) escaped = "news 19:30";
    CalendarWriter calendar(10, "20261208T000000Z");
    calendar.Add({"2030.06.14 19:30 " + title + "[Fr]news", 47648.8125, 47648.84375, 0});
    const std::string text = calendar.Finish();
    std::string unfolded;
    for (const std::string& line : PhysicalLines(text)) {
      ASSERT_LE(line.size(), 75u) << length;
      if (line.starts_with(" ")) {
        ASSERT_TRUE(line.size() < 2 || (static_cast<unsigned char>(line[1]) & 0xC0) != 0x80);
        unfolded += line.substr(1);
      } else {
        unfolded += "\n" + line;
      }
    }
    EXPECT_NE(unfolded.find("\nSUMMARY:" + Cp1251ToUtf8(escaped) + "\n"), std::string::npos)
        << length;
  }
}

TEST(CalendarTest, TimesEndsAndAlarms) {
  const DateTime start = 47648.8125;  // 2030-06-14 19:30
  struct Case {
    const char* line;
    DateTime end;
    int alarm;
    const char* holds[2];  // lines the event holds
  };
  const Case cases[] = {
      {"2030.06.14 19:30 News[Fr]news",
       start + 1.0 / 48,
       10,
       {"DTEND:20300614T200000", "TRIGGER:-PT10M"}},
      // The reader's "no next programme": the end is the start, or 0.
      {"2030.06.14 19:30 News[Fr]news", start, 0, {"DURATION:PT60M", "TRIGGER:-PT0M"}},
      {"2030.06.14 19:30 News[Fr]news", 0, -5, {"DURATION:PT60M", "TRIGGER:PT5M"}},
      // A now-showing line has no date of its own; one without its day name is
      // shown whole.
      {"19:30 News[Fr]news", 0, 1, {"DTSTART:20300614T193000", "SUMMARY:News"}},
      {"19:30 odd line", 0, 1, {"DTSTART:20300614T193000", "SUMMARY:19:30 odd line"}},
  };
  for (const Case& c : cases) {
    CalendarWriter calendar(c.alarm, "20261208T000000Z");
    calendar.Add({c.line, start, c.end, 0});
    const std::vector<std::string> lines = PhysicalLines(calendar.Finish());
    for (const char* line : c.holds) {
      EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << c.line << ": " << line;
    }
  }
  // A date no calendar can write is left out.
  CalendarWriter calendar(10, "20261208T000000Z");
  calendar.Add({"News[Fr]news", 3e6, 0, 0});
  EXPECT_EQ(calendar.Finish().find("VEVENT"), std::string::npos);
}

// What a calendar client keeps of an export: an event a programme, each with a
// UID of its own that stays across exports whatever the user's time shift, a
// length a programme can have, a summary that names something, and nothing a
// strict reader refuses.
TEST(CalendarTest, EventsAClientKeepsApart) {
  const DateTime start = 47648.8125;  // 2030-06-14 19:30
  auto lines = [](const std::vector<FoundProgramme>& results) {
    CalendarWriter calendar(10, "20261208T000000Z");
    for (const FoundProgramme& r : results) calendar.Add(r);
    return PhysicalLines(calendar.Finish());
  };
  auto uids = [&lines](const std::vector<FoundProgramme>& results) {
    std::vector<std::string> out;
    for (const std::string& line : lines(results)) {
      if (line.starts_with("UID:")) out.push_back(line);
    }
    return out;
  };
  auto holds = [](const std::vector<std::string>& all, const std::string& line) {
    return std::find(all.begin(), all.end(), line) != all.end();
  };
  FoundProgramme news{"2030.06.14 19:30 News[Fr]news", start, start + 1.0 / 48, 0};
  news.guideStart = start;

  // Listed twice by the guide: two events, the same two UIDs every time.
  const std::vector<std::string> twice = uids({news, news});
  ASSERT_EQ(twice.size(), 2u);
  EXPECT_NE(twice[0], twice[1]);
  EXPECT_EQ(uids({news, news}), twice);
  // The channel's shift corrected by an hour: the same programme, the same UID.
  FoundProgramme shifted = news;
  shifted.line = "2030.06.14 20:30 News[Fr]news";
  shifted.start += 1.0 / 24;
  shifted.end += 1.0 / 24;
  EXPECT_EQ(uids({shifted}), std::vector<std::string>{twice[0]});
  // A day missing from the guide: the next start is no end.
  FoundProgramme gap = news;
  gap.end = start + 31.0 / 24;
  EXPECT_TRUE(holds(lines({gap}), "DURATION:PT60M"));
  gap.end = start + 5.0 / 24;
  EXPECT_TRUE(holds(lines({gap}), "DTEND:20300615T003000"));
  // A blank title is named by its channel and time, in the summary and the alarm.
  const std::vector<std::string> blank = lines({{"2030.06.14 19:30  [Fr]news", start, 0, 0}});
  EXPECT_TRUE(holds(blank, "SUMMARY:news 19:30"));
  EXPECT_TRUE(holds(blank, "DESCRIPTION:news 19:30"));
  // No METHOD without an ORGANIZER; byte 0x98, no character in Windows-1251, dropped.
  const std::vector<std::string> odd =
      lines({{"2030.06.14 19:30 A\x98"
              "B[Fr]news",
              start, 0, 0}});
  EXPECT_TRUE(holds(odd, "SUMMARY:AB"));
  EXPECT_EQ(std::count_if(odd.begin(), odd.end(),
                          [](const std::string& l) { return l.starts_with("METHOD"); }),
            0);
}

// What a subscribing client reads the same everywhere: moments in UTC by the
// zone's rules for each date (a floating time where the zone gives none), the
// calendar's name, the keyword as one category, alarms only when asked for, and
// an empty calendar that is still a valid one.
TEST(CalendarTest, UtcTimesNamesCategoriesAndAlarms) {
  // A zone an hour ahead of UTC, two in summer; none before 2000.
  const LocalToUtc zone = [](DateTime local) -> std::optional<DateTime> {
    if (local < 36526) return std::nullopt;
    const int month = DecodeDateTime(local).month;
    return local - (month >= 4 && month <= 9 ? 2.0 : 1.0) / 24;
  };
  struct Case {
    DateTime start, end;
    std::optional<int> alarm;
    const char* keyword;
    std::vector<const char*> holds, lacks;
  };
  const DateTime summer = 47648.8125;  // 2030-06-14 19:30
  const DateTime winter = 47831.8125;  // 2030-12-14 19:30
  const Case cases[] = {
      {summer,
       summer + 1.0 / 48,
       10,
       "News",
       {"DTSTART:20300614T173000Z", "DTEND:20300614T180000Z", "CATEGORIES:News", "TRIGGER:-PT10M"},
       {}},
      {winter,
       winter + 1.0 / 48,
       std::nullopt,
       "Football, live",
       {"DTSTART:20301214T183000Z", "DTEND:20301214T190000Z", "CATEGORIES:Football\\, live"},
       {"BEGIN:VALARM"}},
      // Just after midnight: the day before in UTC.
      {47848 + 0.5 / 24, 0, 5, "", {"DTSTART:20301230T233000Z", "DURATION:PT60M"}, {"CATEGORIES"}},
      {36000.8125, 0, 5, "Old", {"DTSTART:19980724T193000"}, {}},
  };
  for (const Case& c : cases) {
    CalendarWriter calendar(c.alarm, "20261208T000000Z", zone);
    calendar.Add({"2030.06.14 19:30 News[Fr]news", c.start, c.end, 0}, c.keyword);
    const std::vector<std::string> lines = PhysicalLines(calendar.Finish());
    for (const char* line : c.holds) {
      EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end())
          << c.start << ": " << line;
    }
    for (const char* part : c.lacks) {
      EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                              [part](const std::string& l) { return l.starts_with(part); }),
                0)
          << c.start << ": " << part;
    }
    for (const char* line :
         {"NAME:Kolvar \xE2\x80\x94 TV matches", "X-WR-CALNAME:Kolvar \xE2\x80\x94 TV matches"}) {
      EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    }
  }
  // No events: the UTC zone as the one component a calendar must hold.
  const std::string empty = CalendarWriter(10, "20261208T000000Z", zone).Finish();
  EXPECT_NE(empty.find("BEGIN:VTIMEZONE\r\nTZID:UTC\r\n"), std::string::npos);
  EXPECT_EQ(empty.find("VEVENT"), std::string::npos);
}

// A channel named with brackets ("Sport [HD]", as HD channels often are) and a
// title holding "]" keep their title and channel in the calendar and in what the
// host is sent: the reader's own fields, not the line's last "]". A result made
// without them is still taken apart as the line reads.
TEST(CalendarTest, BracketsInChannelAndTitleStayWhereTheyBelong) {
  testing::PluginHarness h;
  h.WriteChannel("Sport [HD]", {{-30, "News"}, {10, "Football [live]"}, {130, "News"}});
  h.settings.Channels = {"Sport [HD].ndx"};
  h.settings.Words = {"Football"};
  h.settings.OutStrFormat = "%s|%c|%D";
  testing::Probe(h.plugin).UseRealRun();
  h.Open();
  ASSERT_TRUE(h.WaitIdle());
  const TFindStruct results = testing::Probe(h.plugin).Results();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].line, "2024.03.05 12:10 Football [live][Tu]Sport [HD]");
  CalendarWriter calendar(5, "20240305T110000Z");
  calendar.Add(results[0]);
  FoundProgramme byHand = results[0];
  byHand.fields = {};
  calendar.Add(byHand);
  const std::string text = calendar.Finish();
  EXPECT_NE(text.find("SUMMARY:Football [live]\r\nLOCATION:Sport [HD]\r\n"), std::string::npos);
  EXPECT_NE(text.find("SUMMARY:Football [live][Tu]Sport \r\n"), std::string::npos) << text;
  h.platform.ClearCalls();
  h.Command("SHOWUNTILNEXT");
  EXPECT_EQ(h.Events(), std::vector<std::string>{"USER Football [live]|Sport [HD]|Tu"});
}

// The stamp of when a file was written, from the system's UTC clock, to the second.
TEST(CalendarTest, StampsAreUtcToTheSecond) {
  const std::pair<std::int64_t, const char*> cases[] = {
      {0, "19700101T000000Z"},          {951782399, "20000228T235959Z"},
      {951782400, "20000229T000000Z"},  {1700000000, "20231114T221320Z"},
      {4102444799, "20991231T235959Z"},
  };
  for (const auto& [seconds, stamp] : cases) {
    EXPECT_EQ(CalendarStamp(UtcFromUnixTime(seconds)), stamp) << seconds;
  }
}

TEST(CalendarTest, CalendarNamesEndInIcsLetterCaseAside) {
  for (const char* name : {"x.ics", "C:\\TV\\x.ICS", ".Ics"}) EXPECT_TRUE(IsCalendarFileName(name));
  for (const char* name : {"x.ics.txt", "xics", "x.ic", "ics", ""}) {
    EXPECT_FALSE(IsCalendarFileName(name)) << name;
  }
}

}  // namespace
}  // namespace kolvar
