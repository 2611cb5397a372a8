// The guide watcher through the plug-in, on the fake clock and timers: a guide
// rewritten under the open plug-in is searched once its files have been quiet for
// the settling time, and its new matches are marked, told and remembered.
#include "plugin/guide_watcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/file_io.h"
#include "settings/settings_file.h"
#include "support/failing_file_system.h"
#include "support/plugin_harness.h"
#include "tvguide/channel_catalogue.h"

namespace kolvar {
namespace {

using testing::PluginHarness;
using testing::Probe;
using Lines = std::vector<std::string>;
using Programmes = std::vector<std::pair<int, std::string>>;

// The fake clock's start, which the harness's channel is written from: a guide
// rewritten later gives its programmes the same starts.
const DateTime kStart = *EncodeDateTime({2024, 3, 2, 5, 12, 0, 0, 0});

constexpr char kTold[] =
    "MESS New matches in the guide (2): News (first, We 12:00), "
    "Film (first, We 12:45)";

class GuideWatcherTest : public ::testing::Test {
 protected:
  GuideWatcherTest() {
    h.settings.HourToEnd = 48;
    h.settings.MessSearchStarting = "Searching";
    h.settings.MessListCreate = "List ready";
    h.settings.MessSearchComplete = "Complete";
    h.settings.Remind = false;  // no notice between the messages looked at
    Probe(h.plugin).UseRealRun();
  }

  void Open() {
    h.Open();
    ASSERT_TRUE(h.WaitIdle());
  }

  // The harness's channel as it was, and the same with a day more: two matches.
  Programmes Today() const {
    Programmes p;
    for (int i = -2; i < 6; ++i) p.push_back({i * 45, i % 2 ? "News" : "Film"});
    return p;
  }
  Programmes WithTomorrow() const {
    Programmes p = Today();
    p.insert(p.end(), {{1440, "News"}, {1485, "Film"}, {1530, "Weather"}});
    return p;
  }

  // The timers' ticks for ms, each followed by whatever search it started.
  void Pass(int ms) {
    for (int t = 0; t < ms; t += kGuideWatchMs) {
      h.platform.PassTime(kGuideWatchMs);
      ASSERT_TRUE(h.WaitIdle());
    }
  }
  int Searches() const { return Count("SEARCHSTATUS:RUNNING"); }
  int Count(const std::string& prefix) const {
    const Lines events = h.Events();
    return static_cast<int>(std::count_if(events.begin(), events.end(),
                                          [&](const auto& e) { return e.starts_with(prefix); }));
  }
  Lines Marked() {
    const ListBox& list = h.plugin.Form().ListBoxFind;
    Lines out;
    for (int i = 0; i < list.Count(); ++i) {
      if (list.IsMarked(i)) out.push_back(list.Item(i));
    }
    return out;
  }

  PluginHarness h;
};

TEST_F(GuideWatcherTest, ARewrittenGuideIsSearchedOnceSettledItsNewMatchesMarkedAndTold) {
  Open();
  const int before = h.plugin.Form().ListBoxFind.Count();
  EXPECT_EQ(Count("MESS New"), 0);  // nothing was known: the first run only learns
  EXPECT_TRUE(Marked().empty());
  h.platform.ClearCalls();
  h.WriteChannel("first", WithTomorrow(), kStart);
  Pass(15000);  // seen at 5 s, quiet since: not yet settled
  EXPECT_EQ(Searches(), 0);
  Pass(5000);
  EXPECT_EQ(h.Events(), (Lines{"SEARCHSTATUS:RUNNING Searching", "MESS List ready", kTold,
                               "SEARCHSTATUS:COMPLETE Complete"}));
  EXPECT_EQ(Marked(), (Lines{"2024.03.06 12:00 News[We]first", "2024.03.06 12:45 Film[We]first"}));
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Count(), before + 2);
  // The line's text is as it always was; the mark is beside it.
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Lines().back(), "2024.03.06 12:45 Film[We]first");
  h.platform.ClearCalls();
  Pass(3600 * 1000);
  EXPECT_EQ(h.Events(), Lines{});
}

TEST_F(GuideWatcherTest, ChangesWhileSettlingGiveOneSearch) {
  Open();
  h.platform.ClearCalls();
  h.WriteChannel("first", Today(), kStart);  // rewritten alike: a new write time
  Pass(10000);
  h.WriteChannel("first", WithTomorrow(), kStart);
  Pass(15000);
  EXPECT_EQ(Searches(), 0);
  Pass(10000);
  EXPECT_EQ(Searches(), 1);
  EXPECT_EQ(Count(kTold), 1) << ::testing::PrintToString(h.Events());
  Pass(60000);
  EXPECT_EQ(Searches(), 1);
}

TEST_F(GuideWatcherTest, AChangeDuringARunIsSearchedAfterIt) {
  Probe(h.plugin).SetRun(h.run.Fn());  // a run that lasts until released
  h.Open();
  ASSERT_TRUE(h.run.WaitForSteps(h.platform, 1));
  h.WriteChannel("first", WithTomorrow(), kStart);
  h.platform.PassTime(60000);
  EXPECT_EQ(h.run.Started(), 1);
  h.run.Release();
  ASSERT_TRUE(h.WaitIdle());
  Pass(5000);
  EXPECT_EQ(h.run.Started(), 2);
  Pass(60000);
  EXPECT_EQ(h.run.Started(), 2);
}

TEST_F(GuideWatcherTest, ANewChannelFileCountsAndAFolderAwayDoesNot) {
  Open();
  const std::size_t before = Probe(h.plugin).Results().size();
  h.platform.ClearCalls();
  h.WriteChannel("second", Today(), kStart);  // not checked, but the folder's channels changed
  Pass(20000);
  EXPECT_EQ(Searches(), 1);
  h.platform.ClearCalls();
  const std::string folder = ToNativePath(h.folder.Folder());
  const std::string away = folder.substr(0, folder.size() - 1) + "-away";
  std::filesystem::rename(folder, away);
  Pass(60000);
  std::filesystem::rename(away, folder);
  Pass(60000);
  EXPECT_EQ(Searches(), 0);
  EXPECT_EQ(Probe(h.plugin).Results().size(), before);
}

TEST_F(GuideWatcherTest, ATimeShiftMakesNoMatchNew) {
  Open();
  h.plugin.Form().CheckListBoxFiles.SetItemIndex(0);
  StoreTimeShift(Probe(h.plugin).Settings(), "first.ndx", -45);
  h.platform.ClearCalls();
  h.Command("REFIND");
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(Count("MESS New"), 0);
  EXPECT_TRUE(Marked().empty());
  // The guide's 12:45 now at 12:00: the same programme, not a new one.
  EXPECT_EQ(Probe(h.plugin).Results().front().line, "2024.03.05 12:00 News[Tu]first");
}

TEST_F(GuideWatcherTest, AGuideUpdatedWhileClosedIsToldAtOpen) {
  Open();
  h.plugin.Close();
  h.WriteChannel("first", WithTomorrow(), kStart);
  h.platform.ClearCalls();
  Plugin again(h.platform);
  again.Open(0x77);
  while (!Probe(again).SearchSettled()) {
    h.platform.RunPosted();
    h.platform.WaitForPosted(1);
  }
  h.platform.RunPosted();
  EXPECT_EQ(Count(kTold), 1);
  again.Close();
}

// The known matches' file in each state a user's folder may leave it: the
// results are whole, nothing fails, and a message comes at most once.
TEST_F(GuideWatcherTest, AMissingDamagedOrUnwritableFileLosesNothing) {
  struct Case {
    const char* name;
    std::function<void(const std::string& path)> prepare;
    Lines firstRun;   // the known matches' messages at Open
    Lines secondRun;  // and after the guide changed, and again
    Lines thirdRun;
  };
  const std::string told2 = kTold;
  const std::string told1 = "MESS New matches in the guide (1): News (first, We 14:15)";
  const Case cases[] = {
      {"missing", [](const std::string&) {}, {}, {told2}, {told1}},
      {"damaged",
       [](const std::string& path) { ASSERT_TRUE(WriteFileAtomic(path, "\x01garbage\r\nzz")); },
       {"MESS The known matches in"},
       {told2},
       {told1}},
      {"unwritable",
       [](const std::string& path) { std::filesystem::create_directory(ToNativePath(path)); },
       {},
       {told2, "MESS The known matches could not be saved to"},
       {told1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PluginHarness h2;
    h2.settings = h.settings;
    h2.settings.Path = h2.folder.Folder();
    Probe(h2.plugin).UseRealRun();
    c.prepare(h2.folder.Path(kKnownMatchesFileName));
    h2.Open();
    ASSERT_TRUE(h2.WaitIdle());
    auto known = [&h2] {
      Lines out;
      for (const auto& e : h2.Events()) {
        if (e.starts_with("MESS New") || e.starts_with("MESS The known")) out.push_back(e);
      }
      h2.platform.ClearCalls();
      return out;
    };
    auto starts = [](Lines got, const Lines& prefixes) {
      if (got.size() != prefixes.size()) return false;
      for (std::size_t i = 0; i < got.size(); ++i) {
        if (!got[i].starts_with(prefixes[i])) return false;
      }
      return true;
    };
    auto pass = [&h2](int ms) {
      for (int t = 0; t < ms; t += kGuideWatchMs) {
        h2.platform.PassTime(kGuideWatchMs);
        ASSERT_TRUE(h2.WaitIdle());
      }
    };
    EXPECT_TRUE(starts(known(), c.firstRun));
    const std::size_t before = Probe(h2.plugin).Results().size();
    EXPECT_GT(before, 0u);
    h2.WriteChannel("first", WithTomorrow(), kStart);
    pass(30000);
    EXPECT_TRUE(starts(known(), c.secondRun));
    EXPECT_EQ(Probe(h2.plugin).Results().size(), before + 2);
    Programmes more = WithTomorrow();
    more.push_back({1575, "News"});
    h2.WriteChannel("first", more, kStart);
    pass(30000);
    EXPECT_TRUE(starts(known(), c.thirdRun));
    EXPECT_EQ(Probe(h2.plugin).Results().size(), before + 3);
    EXPECT_TRUE(h2.BoxTexts().empty());
  }
}

TEST_F(GuideWatcherTest, SwitchedOffItWatchesNothingAndTheChoiceIsKeptApart) {
  Open();
  h.platform.QueueMenuAnswer(8);  // "Watch the Guide"
  h.plugin.Form().CheckListBoxFiles.OnContextMenu();
  h.platform.ClearCalls();
  h.WriteChannel("first", WithTomorrow(), kStart);
  Pass(60000);
  EXPECT_EQ(Searches(), 0);
  // Told of nothing, though the run after a host's command still learns.
  h.Command("REFIND");
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(Count("MESS New"), 0);
  EXPECT_EQ(Marked().size(), 2u);
  Probe(h.plugin).Window().SavePreferences();
  EXPECT_EQ(ReadWholeFile(h.folder.Path(kWatchFileName)),
            "[Kolvar Guide Watch]\r\nWatch = FALSE\r\n"
            "MessNewMatches = New matches in the guide (%n): %l\r\n");
  // settings.ini is the file the loader has always read, with nothing after it.
  const std::optional<std::string> ini = ReadWholeFile(h.folder.Path(kSettingsFileName));
  ASSERT_TRUE(ini);
  TSettings loaded;
  EXPECT_EQ(LoadSettingsText(*ini, loaded), 1);
  EXPECT_EQ(*ini, SettingsText(loaded));
  EXPECT_TRUE(ini->ends_with("[Time Shifts]\r\n"));
}

// However the system tells of changes (at once, not at all, or never, as a
// network drive may), a guide rewritten in place and a guide folder replaced by
// another are each searched once, and an unchanged guide never.
TEST_F(GuideWatcherTest, EveryKindOfFolderWatchSearchesEachChangeOnce) {
  using Watch = testing::FileFaults::Watch;
  for (Watch watch : {Watch::kSystem, Watch::kNone, Watch::kSilent}) {
    SCOPED_TRACE(static_cast<int>(watch));
    testing::FailingFileSystem fs({.watch = watch});
    ScopedFileSystem use(fs);
    PluginHarness h2;
    h2.settings = h.settings;
    h2.settings.Path = h2.folder.Folder();
    Probe(h2.plugin).UseRealRun();
    h2.Open();
    ASSERT_TRUE(h2.WaitIdle());
    auto pass = [&h2](int ms) {
      for (int t = 0; t < ms; t += kGuideWatchMs) {
        h2.platform.PassTime(kGuideWatchMs);
        ASSERT_TRUE(h2.WaitIdle());
      }
    };
    auto searches = [&h2] {
      const Lines events = h2.Events();
      h2.platform.ClearCalls();
      return std::count(events.begin(), events.end(), "SEARCHSTATUS:RUNNING Searching");
    };
    // Seen at the next tick when told, within the minute's listing when not.
    const int within = (watch == Watch::kSilent ? kGuideLookAnywayMs : kGuideWatchMs) +
                       kGuideSettleMs + kGuideWatchMs;
    const std::size_t before = Probe(h2.plugin).Results().size();
    searches();
    pass(600000);
    EXPECT_EQ(searches(), 0);
    h2.WriteChannel("first", WithTomorrow(), kStart);
    pass(within);
    EXPECT_EQ(searches(), 1);
    EXPECT_EQ(Probe(h2.plugin).Results().size(), before + 2);
    // A downloader that fills a new folder and swaps it for the old one.
    const std::string folder = ToNativePath(h2.folder.Folder());
    const std::string old = folder.substr(0, folder.size() - 1) + "-old";
    h2.ChangeGuideFolder([&] {
      std::filesystem::rename(folder, old);
      std::filesystem::copy(old, folder);
    });
    Programmes more = WithTomorrow();
    more.push_back({1575, "News"});
    h2.WriteChannel("first", more, kStart);
    pass(within);
    EXPECT_EQ(searches(), 1);
    EXPECT_EQ(Probe(h2.plugin).Results().size(), before + 3);
    // And the folder now in place is the one watched.
    more.push_back({1620, "Film"});
    h2.WriteChannel("first", more, kStart);
    pass(within);
    EXPECT_EQ(searches(), 1);
    EXPECT_EQ(Probe(h2.plugin).Results().size(), before + 4);
    h2.plugin.Close();
    std::filesystem::remove_all(old);
  }
}

}  // namespace
}  // namespace kolvar
