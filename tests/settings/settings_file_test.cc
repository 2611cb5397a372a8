#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "base/file_io.h"
#include "support/failing_file_system.h"
#include "support/temp_dir.h"

namespace kolvar {
namespace {

using testing::TempDir;

TSettings Sample() {
  TSettings s;
  s.Path = "C:\\TV\\";
  s.Channels = {"first.ndx", "second.ndx"};
  s.ChannelCount = 2;
  s.Words = {"News", "film@3^95"};
  s.WordCount = 2;
  s.TimeShifts = {"first.ndx#-90", "second.ndx#30"};
  s.TimeShiftCount = 2;
  s.FindMode = 3;
  s.CongenialityRate = 86;
  s.NoticeUnderstood = true;
  s.BeatDelay = 1;
  s.NotiseDelay = 5;
  s.PreviewTime = 10;
  s.Priority = -1;
  s.HourToEnd = 24;
  s.Remind = true;
  s.Sorted = true;
  s.ShowInPref = true;
  s.RepeatCount = 3;
  s.UntilMinutes = 30;
  s.MaxResultCount = 500;
  s.OutStrFormat = "%b %s";
  s.DaysOfWeek = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
  s.MonthsList = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  s.MessConfirmUnd = "Understood";
  s.MessSearchStarting = "Searching";
  return s;
}

// The sample's file with one line (1-based) replaced.
std::string WithLine(int number, const std::string& replacement) {
  std::string text = SettingsText(Sample());
  std::size_t start = 0;
  for (int i = 1; i < number; ++i) start = text.find("\r\n", start) + 2;
  std::size_t end = text.find("\r\n", start);
  return text.substr(0, start) + replacement + text.substr(end);
}

int Load(const std::string& text, TSettings& s, LoadFailure* reason = nullptr) {
  return LoadSettingsText(text, s, reason);
}

TEST(SettingsFileTest, WritesTheEstablishedLines) {
  std::string text = SettingsText(Sample());
  const std::string head =
      "[Kolvar Settings]\r\n \r\nPATH = C:\\TV\\\r\nFind_Mode = 3\r\n"
      "Congeniality rate = 86\r\nFullSearch = FALSE\r\nSorted = TRUE\r\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_NE(text.find("\r\nRemindStatusShowing = FALSE\r\nShowInPref = TRUE\r\n"
                      "Notice Understood = TRUE\r\nBeatDelay = 1\r\nNotiseDelay = 5\r\n"
                      "PreviewTime = 10\r\nHour To End = 24\r\nPriority = -1\r\n"
                      "Repeat Count = 3\r\nMAX_RESULT_COUNT = 500\r\nUntil Minutes = 30\r\n"
                      "MessConfirmUnd = Understood\r\nMessEndOfList = \r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\r\n \r\n[Out str format]\r\n%b %s\r\n \r\n"
                      "[Days Of Week] = [ Su Mo Tu We Th Fr Sa ]\r\n \r\n[Months List]\r\nJan\r\n"),
            std::string::npos);
  const std::string tail =
      "Dec\r\n \r\n[Channels]\r\nfirst.ndx\r\nsecond.ndx\r\n \r\n[Words]\r\nNews\r\n"
      "film@3^95\r\n \r\n[Time Shifts]\r\nfirst.ndx#-90\r\nsecond.ndx#30\r\n";
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(SettingsFileTest, TheShippedFileLoads) {
  TSettings s;
  LoadFailure reason;
  ASSERT_EQ(LoadSettings(std::string(KOLVAR_PACKAGE_DIR) + "settings.ini", s, &reason), 1)
      << reason.reason;
  EXPECT_EQ(s.Path, "C:\\TV\\");
  EXPECT_EQ(s.DaysOfWeek[0], "Su");
  EXPECT_EQ(s.MonthsList[11], "December");
  EXPECT_TRUE(s.Sorted);
  EXPECT_FALSE(s.MessSearchComplete.empty());
  // What the plug-in writes from it is the shipped file itself.
  EXPECT_EQ(SettingsText(s), *ReadWholeFile(std::string(KOLVAR_PACKAGE_DIR) + "settings.ini"));
}

TEST(SettingsFileTest, BooleansAreTrueOnlyForTheExactLineInAnyCase) {
  struct Case {
    std::string line;
    bool sorted;
  } cases[] = {
      {"Sorted = TRUE", true},   {"sorted = true", true},
      {"SoRtEd = TrUe", true},   {"Sorted=TRUE", false},
      {"Sorted = TRUE ", false}, {"Sorted = FALSE", false},
      {"Sorted = yes", false},   {"", false},
  };
  for (const auto& c : cases) {
    TSettings s;
    ASSERT_EQ(Load(WithLine(7, c.line), s), 1) << c.line;
    EXPECT_EQ(s.Sorted, c.sorted) << c.line;
  }
}

TEST(SettingsFileTest, IntegersAndTheirRanges) {
  struct Case {
    int line;
    std::string text;
    int result;
    std::string reason;
  } cases[] = {
      {4, "Find_Mode = 7", 1, ""},
      {4, "Find_Mode =    -12 and more words", 1, ""},
      {4, "Find_Mode = 3x", -1, "Load Error: not a number"},
      {4, "Find_Mode = ", -1, "Load Error: not a number"},
      {4, "Find_Mode = 99999999999", -1, "Load Error: not a number"},
      {12, "BeatDelay = 0", -1, "Load Error: Beat delay"},
      {16, "Priority = -3", 1, ""},
      {16, "Priority = 3", 1, ""},
      {16, "Priority = 4", -1, "Load Error: Bad priority"},
      {17, "Repeat Count = -1", 1, ""},
      {17, "Repeat Count = 0", -1, "Load Error: Bad repeat count"},
      {17, "Repeat Count = -2", -1, "Load Error: Bad repeat count"},
      {18, "MAX_RESULT_COUNT = 0", 1, ""},
      {18, "MAX_RESULT_COUNT = -1", -1, "Load Error: Bad MAX_RESULT_COUNT value"},
      {19, "Until Minutes = 4", -1, "Load Error: Bad until minutes value"},
      {19, "Until Minutes = 5", 1, ""},
  };
  for (const auto& c : cases) {
    TSettings s;
    LoadFailure reason;
    EXPECT_EQ(Load(WithLine(c.line, c.text), s, &reason), c.result) << c.text;
    EXPECT_EQ(reason.reason, c.reason) << c.text;
  }
  TSettings s;
  Load(WithLine(4, "Find_Mode =    -12 and more words"), s);
  EXPECT_EQ(s.FindMode, -12);
}

TEST(SettingsFileTest, AFailureKeepsWhatWasReadBeforeIt) {
  TSettings s;
  s.MessConfirmUnd = "old";
  ASSERT_EQ(Load(WithLine(16, "Priority = 9"), s), -1);
  EXPECT_EQ(s.Path, "C:\\TV\\");
  EXPECT_EQ(s.BeatDelay, 1);
  EXPECT_EQ(s.MessConfirmUnd, "old");  // after the failure: untouched
}

TEST(SettingsFileTest, HeadersAndLists) {
  TSettings s;
  LoadFailure reason;
  EXPECT_EQ(Load(WithLine(1, "[Kolvar settings]"), s, &reason), -1);
  EXPECT_EQ(reason.reason, "Load Error: [Kolvar Settings]");
  EXPECT_EQ(Load(WithLine(33, "[Out str format] "), s, &reason), -1);
  EXPECT_EQ(reason.reason, "Load Error: [Out format str]");
  EXPECT_EQ(Load(WithLine(38, "[Months list]"), s, &reason), -1);
  EXPECT_EQ(reason.reason, "Load Error: [MonthList]");

  // An empty keyword line ends the list; the next keyword meets the header check.
  std::string text = SettingsText(Sample());
  std::string broken = text;
  broken.replace(broken.find("News\r\n"), 6, "News\r\n\r\n");
  EXPECT_EQ(Load(broken, s, &reason), -1);
  EXPECT_EQ(reason.reason, "Load Error: [Time Shifts]");
  broken = text;
  broken.replace(broken.find("film@3"), 0, " ");
  EXPECT_EQ(Load(broken, s, &reason), -1);
  EXPECT_EQ(reason.reason, "Load Error: [Time Shifts]");
  broken = text;
  broken.replace(broken.find("second.ndx\r\n \r\n"), 0, " ");
  EXPECT_EQ(Load(broken, s, &reason), -1);
  EXPECT_EQ(reason.reason, "Load Error: [Words]");

  // The time-shift header may be the very last line.
  TSettings noShifts = Sample();
  noShifts.TimeShifts.clear();
  noShifts.TimeShiftCount = 0;
  std::string last = SettingsText(noShifts);
  ASSERT_EQ(last.substr(last.size() - 15), "[Time Shifts]\r\n");
  for (const std::string& ending : {last, last.substr(0, last.size() - 2)}) {
    TSettings t;
    ASSERT_EQ(Load(ending, t), 1);
    EXPECT_EQ(t, noShifts);
  }
}

// The user mends the file by hand: the box names the line, what must stand
// there and what does.
TEST(SettingsFileTest, AFailureSaysWhereAndWhatWasExpected) {
  std::string emptyWord = SettingsText(Sample());
  emptyWord.replace(emptyWord.find("News\r\n"), 6, "News\r\n\r\n");
  std::string timeShifts = SettingsText(Sample());
  timeShifts.replace(timeShifts.find("[Time Shifts]"), 13, "[Time shifts]");
  struct Case {
    std::string text;
    std::string message;
  } cases[] = {
      {WithLine(12, "BeatDelay = 0"),
       "line 12:\r\nexpected \"BeatDelay = \" and a whole number of 1 or more,\r\n"
       "found \"BeatDelay = 0\"."},
      {WithLine(4, "Find_Mode = three"),
       "line 4:\r\nexpected \"Find_Mode = \" and a whole number,\r\nfound \"Find_Mode = three\"."},
      {"\xEF\xBB\xBF" + SettingsText(Sample()),
       "line 1:\r\nexpected the line \"[Kolvar Settings]\", letter case as here,\r\nfound "
       "\"\xEF\xBB\xBF[Kolvar Settings]\".\r\n\r\nThe file begins with a UTF-8 byte order mark: "
       "save it as ANSI (Windows-1251) text."},
      {timeShifts,
       "line 60:\r\nexpected the line \"[Time Shifts]\", letter case as here (the list above "
       "it ends at an empty line or a line beginning with a blank),\r\nfound \"[Time shifts]\"."},
      {emptyWord,
       "line 59:\r\nexpected the line \"[Time Shifts]\", letter case as here (the "
       "list above it ends at an empty line or a line beginning with a blank),\r\n"
       "found \"film@3^95\"."},
      {WithLine(5, std::string(200, 'x')),
       "line 5:\r\nexpected \"Congeniality rate = \" and a whole number,\r\nfound \"" +
           std::string(80, 'x') + "...\"."},
  };
  for (const auto& c : cases) {
    TSettings s;
    LoadFailure failure;
    ASSERT_EQ(Load(c.text, s, &failure), -1) << c.message;
    EXPECT_EQ(LoadErrorText("C:\\K\\settings.ini", failure),
              "Load Error\r\n\r\nC:\\K\\settings.ini, " + c.message);
  }
}

TEST(SettingsFileTest, SkippingCountsCharactersNotLabels) {
  TSettings s;
  ASSERT_EQ(Load(WithLine(3, "PATX = D:\\Guide\\"), s), 1);
  EXPECT_EQ(s.Path, "D:\\Guide\\");
  ASSERT_EQ(Load(WithLine(3, "PATH= D:\\Guide\\"), s), 1);
  EXPECT_EQ(s.Path, ":\\Guide\\");
  ASSERT_EQ(Load(WithLine(20, "MessConfirmUnd= OK"), s), 1);
  EXPECT_EQ(s.MessConfirmUnd, "K");
  // A value line shorter than its label eats into the next line.
  LoadFailure reason;
  EXPECT_EQ(Load(WithLine(12, "Beat"), s, &reason), -1);
  // An empty ignored line ended by a lone LF takes the next line with it.
  std::string text = SettingsText(Sample());
  text.replace(text.find("\r\n \r\nPATH"), 5, "\r\n\n");
  EXPECT_EQ(Load(text, s, &reason), -1);
}

TEST(SettingsFileTest, LineEndsMayBeLfAndLoneCrIsDroppedFromValues) {
  std::string text = SettingsText(Sample());
  std::string lf;
  for (char c : text) {
    if (c != '\r') lf += c;
  }
  TSettings a;
  ASSERT_EQ(Load(lf, a), 1);
  EXPECT_EQ(a, Sample());
  TSettings b;
  ASSERT_EQ(Load(WithLine(3, "PATH = C:\\T\rV\\"), b), 1);
  EXPECT_EQ(b.Path, "C:\\TV\\");
}

TEST(SettingsFileTest, KeywordsAreAppendedAndCounted) {
  TSettings s;
  s.Words = {"kept"};
  ASSERT_EQ(Load(SettingsText(Sample()), s), 1);
  EXPECT_EQ(s.Words, (std::vector<std::string>{"kept", "News", "film@3^95"}));
  EXPECT_EQ(s.WordCount, 3);
}

std::string RandomText(std::mt19937& random, std::size_t maxLength) {
  std::string out(random() % (maxLength + 1), ' ');
  for (char& c : out) {
    do {
      c = static_cast<char>(random() % 256);
    } while (c == '\r' || c == '\n');
  }
  return out;
}

// Items the list format can hold: not empty, not beginning with a blank.
std::vector<std::string> RandomList(std::mt19937& random) {
  std::vector<std::string> items(random() % 4);
  for (auto& item : items) {
    do {
      item = RandomText(random, 20);
    } while (item.empty() || item[0] == ' ');
  }
  return items;
}

TEST(SettingsFileTest, RandomRecordsReadBackEqual) {
  std::mt19937 random(4242);
  for (int round = 0; round < 500; ++round) {
    TSettings s;
    s.Path = RandomText(random, 30);
    s.Channels = RandomList(random);
    s.ChannelCount = static_cast<std::int32_t>(s.Channels.size());
    s.Words = RandomList(random);
    s.WordCount = static_cast<std::int32_t>(s.Words.size());
    s.TimeShifts = RandomList(random);
    s.TimeShiftCount = static_cast<std::int32_t>(s.TimeShifts.size());
    s.FindMode = static_cast<std::int32_t>(random());
    s.CongenialityRate = static_cast<std::int32_t>(random() % 300) - 100;
    s.NoticeUnderstood = random() % 2;
    s.FullSearch = random() % 2;
    s.Remind = random() % 2;
    s.RemindStatusShowing = random() % 2;
    s.Sorted = random() % 2;
    s.ShowInPref = random() % 2;
    s.BeatDelay = 1 + static_cast<std::int32_t>(random() % 100);
    s.NotiseDelay = static_cast<std::int32_t>(random() % 6000);
    s.PreviewTime = static_cast<std::int32_t>(random() % 100) - 50;
    s.HourToEnd = static_cast<std::int32_t>(random() % 100);
    s.Priority = static_cast<std::int32_t>(random() % 7) - 3;
    s.RepeatCount = random() % 5 == 0 ? -1 : 1 + static_cast<std::int32_t>(random() % 10);
    s.MaxResultCount = static_cast<std::int32_t>(random() % 100000);
    s.UntilMinutes = 5 + static_cast<std::int32_t>(random() % 1000);
    s.OutStrFormat = RandomText(random, 40);
    for (auto& day : s.DaysOfWeek) {
      day = RandomText(random, 2);
      day.resize(2, 'x');
    }
    for (auto& month : s.MonthsList) month = RandomText(random, 12);
    s.MessConfirmUnd = RandomText(random, 30) + "  ";  // trailing blanks survive
    s.MessOldDataBase = RandomText(random, 80);
    if (random() % 2) s.CalendarFile = RandomText(random, 30);
    TSettings loaded;
    LoadFailure reason;
    ASSERT_EQ(Load(SettingsText(s), loaded, &reason), 1) << round << ": " << reason.reason;
    ASSERT_EQ(loaded, s) << round;
  }
}

TEST(SettingsFileTest, ValuesTheFileCannotHoldAreMendedSoTheFileStillLoads) {
  TSettings s = Sample();
  s.Path = "C:\\TV\r\n\\";
  s.MessEndOfList = "two\nlines";
  s.Words = {"News", "", "  padded", " ", "a\r\nb"};
  s.WordCount = 5;
  s.DaysOfWeek[3] = "Wednesday";
  s.DaysOfWeek[4] = "T";
  s.BeatDelay = 0;
  s.RepeatCount = 0;
  s.Priority = 9;
  TSettings loaded;
  LoadFailure reason;
  ASSERT_EQ(Load(SettingsText(s), loaded, &reason), 1) << reason.reason;
  EXPECT_EQ(loaded.Path, "C:\\TV\\");
  EXPECT_EQ(loaded.MessEndOfList, "twolines");
  EXPECT_EQ(loaded.Words, (std::vector<std::string>{"News", "padded", "ab"}));
  EXPECT_EQ(loaded.DaysOfWeek[3], "We");
  EXPECT_EQ(loaded.DaysOfWeek[4], "T ");
  EXPECT_EQ(loaded.BeatDelay, 1);
  EXPECT_EQ(loaded.RepeatCount, -1);
  EXPECT_EQ(loaded.Priority, 0);
  EXPECT_EQ(loaded.TimeShifts, Sample().TimeShifts);
}

TEST(SettingsFileTest, DamagedFilesFailOrLoadButNeverReadOutOfBounds) {
  const std::string text = SettingsText(Sample());
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    TSettings s;
    int result = Load(text.substr(0, cut), s);
    EXPECT_TRUE(result == 1 || result == -1);
  }
  std::mt19937 random(99);
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = text;
    int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits; ++e) {
      std::size_t at = random() % damaged.size();
      switch (random() % 3) {
        case 0:
          damaged[at] = static_cast<char>(random() % 256);
          break;
        case 1:
          damaged.erase(at, 1 + random() % 8);
          break;
        default:
          damaged.insert(at, std::string(1 + random() % 3, static_cast<char>(random() % 256)));
      }
      if (damaged.empty()) damaged.push_back('x');
    }
    TSettings s;
    Load(damaged, s);
  }
  TSettings s;
  EXPECT_EQ(Load("", s), -1);
  EXPECT_EQ(Load(RandomText(random, 5000), s), -1);
  ASSERT_EQ(Load(WithLine(34, std::string(100000, '%')), s), 1);
  EXPECT_EQ(s.OutStrFormat.size(), 100000u);
  EXPECT_EQ(Load(WithLine(4, "Find_Mode = " + std::string(100000, '7')), s), -1);
}

TEST(SettingsFileTest, WriteThenLoadThroughTheFileSystem) {
  TempDir dir;
  const std::string path = dir.Path("settings.ini");
  ASSERT_EQ(WriteSettings(path, Sample()), 1);
  TSettings s;
  ASSERT_EQ(LoadSettings(path, s), 1);
  EXPECT_EQ(s, Sample());
  EXPECT_EQ(LoadSettings(dir.Path("missing.ini"), s), -1);
}

TEST(SettingsFileTest, AFailedWriteLeavesTheOldFileAsItWas) {
  TempDir dir;
  const std::string path = dir.Path("settings.ini");
  ASSERT_EQ(WriteSettings(path, Sample()), 1);
  const std::string before = *ReadWholeFile(path);
  TSettings changed = Sample();
  changed.Path = "elsewhere";
  // The temporary file cannot be made: a folder stands in its place.
  std::filesystem::create_directory(ToNativePath(path + ".tmp"));
  EXPECT_EQ(WriteSettings(path, changed), -1);
  EXPECT_EQ(*ReadWholeFile(path), before);
  // A folder that has vanished.
  EXPECT_EQ(WriteSettings(dir.Path("gone/settings.ini"), changed), -1);
}

TEST(SettingsFileTest, FileSystemFailuresAreReportedWithTheFileAndLoseNothing) {
  TempDir dir;
  const std::string path = dir.Path("settings.ini");
  TSettings changed = Sample();
  changed.Path = "elsewhere";
  {
    testing::FailingFileSystem failing({.failWrite = 2, .failReadsOf = path});
    ScopedFileSystem scope(failing);
    ASSERT_EQ(WriteSettings(path, Sample()), 1);
    std::string reason;
    EXPECT_EQ(WriteSettings(path, changed, &reason), -1);
    EXPECT_EQ(reason, "Save Error: cannot write " + path + ": " + testing::kDiskFull);
    // The file is there and whole, but cannot be read.
    TSettings s;
    LoadFailure failure;
    EXPECT_EQ(LoadSettings(path, s, &failure), -1);
    EXPECT_EQ(failure.reason, "Load Error: cannot read " + path);
    EXPECT_EQ(LoadErrorText(path, failure),
              "Load Error\r\n\r\nThe file " + path + " could not be read.");
  }
  TSettings s;
  ASSERT_EQ(LoadSettings(path, s), 1);
  EXPECT_EQ(s, Sample());
}

}  // namespace
}  // namespace kolvar
