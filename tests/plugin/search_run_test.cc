// Complete search runs on guides the tests write, with the fake clock at
// Tuesday 5 March 2024, 12:00.
#include <gtest/gtest.h>

#include "jtv_writer.h"
#include "plugin/host_channel.h"
#include "settings/settings_file.h"
#include "support/plugin_harness.h"

namespace kolvar {
namespace {

using testing::FakeRecord;

using testing::PluginHarness;
using testing::Recorded;
using Lines = std::vector<std::string>;

const DateTime kNow = *EncodeDateTime({2024, 3, 2, 5, 12, 0, 0, 0});

Lines Events(const testing::FakePlatform& platform) {
  Lines out;
  for (const auto& e : platform.CallsOf(Recorded::Kind::kEvent)) {
    out.push_back(e.event.kind + " " + e.text);
  }
  return out;
}

Lines Boxes(const testing::FakePlatform& platform) {
  Lines out;
  for (const auto& b : platform.CallsOf(Recorded::Kind::kMessageBox)) out.push_back(b.text);
  return out;
}

// A channel of programmes at the given minutes from now, each titled as given.
void WriteChannel(PluginHarness& h, const std::string& name,
                  const std::vector<std::pair<int, std::string>>& programmes) {
  std::vector<jtv::Programme> list;
  for (const auto& [minutes, title] : programmes) {
    list.push_back({DecodeDateTime(kNow + minutes / 1440.0), title});
  }
  jtv::ChannelFiles files;
  ASSERT_TRUE(jtv::EncodeChannel(list, files));
  ASSERT_TRUE(jtv::WriteChannel(h.folder.Folder(), name, files));
}

class SearchRunTest : public ::testing::Test {
 protected:
  SearchRunTest() {
    h.plugin.SetSearchRun([this](const SearchArgs& a, RunContext& c) { h.plugin.RunSearch(a, c); });
    TSettings& s = h.settings;
    s.MessSearchStarting = "Searching";
    s.MessSearchComplete = "Done";
    s.MessListCreate = "List ready";
    s.MessOldDataBase = "Old guide";
    s.RepeatCount = 2;
    s.MaxResultCount = 1000;
  }

  void OpenAndWait() {
    h.Open();
    ASSERT_TRUE(h.WaitIdle());
  }

  PluginHarness h;
};

TEST_F(SearchRunTest, OpenSearchesTheCheckedChannels) {
  OpenAndWait();
  EXPECT_EQ(Events(h.platform),
            (Lines{"SEARCHSTATUS:RUNNING Searching", "SEARCHSTATUS:COMPLETE Done"}));
  // The programme on air (12:00) and the coming ones; the past ones are not offered.
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items,
            (Lines{"2024.03.05 12:00 Film[Tu]first", "2024.03.05 12:45 News[Tu]first",
                   "2024.03.05 13:30 Film[Tu]first", "2024.03.05 14:15 News[Tu]first",
                   "2024.03.05 15:00 Film[Tu]first", "2024.03.05 15:45 News[Tu]first"}));
  EXPECT_EQ(h.plugin.Form().ListBoxFind.ItemIndex(), 0);  // on air
  EXPECT_EQ(h.plugin.Form().Label1.Caption, "Find: 6 found");
  const TFindStruct r = h.plugin.Results();
  EXPECT_EQ(r.WordIndex, (std::vector<std::int32_t>{1, 0, 1, 0, 1, 0}));
  EXPECT_DOUBLE_EQ(r.EndTimes[0], r.StartTimes[1]);
  EXPECT_DOUBLE_EQ(r.EndTimes[5], r.StartTimes[5]);  // the last ends at its own start
  EXPECT_FALSE(h.plugin.DatabaseOutdated());
}

TEST_F(SearchRunTest, EachStarterSaysWhatItShould) {
  OpenAndWait();
  struct Case {
    std::function<void()> start;
    Lines events;
    bool listBoxChanges;
  };
  const Lines quiet{"SEARCHSTATUS:RUNNING Searching", "SEARCHSTATUS:COMPLETE Done"};
  const Lines announced{"SEARCHSTATUS:RUNNING Searching", "MESS List ready",
                        "SEARCHSTATUS:COMPLETE Done"};
  FakeRecord find;
  find.kind = 2;
  find.command = "FINDIT";
  find.paramText = "news";
  const Case cases[] = {
      {[&] { h.Command("REFIND"); }, announced, true},
      {[&] { h.Command("REFINDVIS"); }, quiet, true},
      {[&] { h.Send(find); }, announced, false},
      {[&] { h.plugin.SearchAllKeywords(); }, quiet, true},
  };
  for (const auto& c : cases) {
    h.plugin.Form().ListBoxFind.Items = {"marker"};
    h.platform.ClearCalls();
    c.start();
    ASSERT_TRUE(h.WaitIdle());
    EXPECT_EQ(Events(h.platform), c.events);
    EXPECT_EQ(h.plugin.Form().ListBoxFind.Items != Lines{"marker"}, c.listBoxChanges);
  }
  // The one-text search found the three News programmes.
  h.plugin.BuildResultList();
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Count(), 6);
}

TEST_F(SearchRunTest, TimeShiftsFromTheTable) {
  h.settings.TimeShifts = {"xfirst.ndx#30", "FIRST.ndx#-90"};
  h.settings.TimeShiftCount = 2;
  OpenAndWait();
  // The entry named as the channel (letter case aside) holds its shift, not the one
  // of "xfirst.ndx" that merely contains the name: the last programme, 15:45
  // unshifted, starts at 14:15.
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items.back(), "2024.03.05 14:15 News[Tu]first");
}

TEST_F(SearchRunTest, AShiftOutOfRangeIsReportedAndIgnored) {
  h.settings.TimeShifts = {"first.ndx#2000"};
  h.settings.TimeShiftCount = 1;
  OpenAndWait();
  EXPECT_EQ(Boxes(h.platform),
            Lines{"Time shift must be -1440..1440, used TimeShift=0 for first.ndx      "});
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items[0], "2024.03.05 12:00 Film[Tu]first");
}

TEST_F(SearchRunTest, AShiftThatIsNoNumberEndsTheRunButItStillReports) {
  h.settings.TimeShifts = {"first.ndx#soon"};
  h.settings.TimeShiftCount = 1;
  h.settings.Words = {"News"};
  h.settings.WordCount = 1;
  OpenAndWait();
  EXPECT_EQ(Events(h.platform), (Lines{"SEARCHSTATUS:RUNNING Searching",
                                       "SEARCHSTATUS:COMPLETE Done", "MESS Old guide"}));
  EXPECT_EQ(h.plugin.Form().Label1.Caption, "Find: 0 found");
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items, Lines{kResultsNotShownNotice});  // not rebuilt
}

TEST_F(SearchRunTest, TheResultLimitIsLookedAtBetweenChannels) {
  // Channels adding 8, 5 and 7 results in full search.
  auto channel = [&](const std::string& name, int count) {
    std::vector<std::pair<int, std::string>> p;
    for (int i = 0; i < count; ++i) p.push_back({i * 30, "News"});
    WriteChannel(h, name, p);
  };
  channel("a1", 8);
  channel("a2", 5);
  channel("a3", 7);
  h.settings.Channels = {"a1.ndx", "a2.ndx", "a3.ndx"};
  h.settings.ChannelCount = 3;
  h.settings.FullSearch = true;
  h.settings.MaxResultCount = 10;
  OpenAndWait();
  EXPECT_EQ(Boxes(h.platform), Lines{"Too many results, change search parametrs and try again!!!\n"
                                     "                       operation terminated      "});
  EXPECT_EQ(h.plugin.Results().Count, 13);
  EXPECT_EQ(h.plugin.Form().Label1.Caption, "Find: 13 found");
}

TEST_F(SearchRunTest, NoResultsAllowedStillReadsOneChannel) {
  h.settings.MaxResultCount = 0;
  OpenAndWait();
  EXPECT_EQ(h.plugin.Results().Count, 6);
  EXPECT_EQ(Boxes(h.platform).size(), 1u);
}

TEST_F(SearchRunTest, SelectedChannelAlone) {
  WriteChannel(h, "other", {{-10, "News"}, {20, "News"}});
  OpenAndWait();  // "other" is not checked
  h.plugin.Form().CheckListBoxFiles.SetItemIndex(-1);
  h.plugin.ShowSelectedChannelClick();
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.plugin.Results().Count, 0);  // no current item: nothing read
  h.plugin.Form().CheckListBoxFiles.SetItemIndex(1);
  h.plugin.ShowSelectedChannelClick();
  ASSERT_TRUE(h.WaitIdle());
  // Every line contains "[": the channel's programmes in the window, unchecked or not.
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items,
            (Lines{"2024.03.05 11:50 News[Tu]other", "2024.03.05 12:20 News[Tu]other"}));
}

TEST_F(SearchRunTest, NowShowingKeepsTheOrderFoundAndTheNextRunSorts) {
  WriteChannel(h, "a", {{-10, "Late start"}, {60, "x"}});
  WriteChannel(h, "b", {{-30, "Early start"}, {60, "y"}});
  h.settings.Channels = {"a.ndx", "b.ndx"};
  h.settings.ChannelCount = 2;
  h.settings.Words = {"start"};
  h.settings.WordCount = 1;
  h.settings.FindMode = 3;
  h.settings.CongenialityRate = 80;
  OpenAndWait();
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items,
            (Lines{"2024.03.05 11:30 Early start[Tu]b", "2024.03.05 11:50 Late start[Tu]a"}));
  h.plugin.NowShowing();
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items,
            (Lines{"11:50 Late start[Tu]a", "11:30 Early start[Tu]b"}));
  h.Command("REFINDVIS");
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items[0], "2024.03.05 11:30 Early start[Tu]b");
}

TEST_F(SearchRunTest, NowShowingListsShortTitlesToo) {
  WriteChannel(h, "a", {{-10, "News"}, {60, "x"}});
  WriteChannel(h, "b", {{-10, "Weather"}, {60, "y"}});
  WriteChannel(h, "c", {{-10, "Film"}, {60, "z"}});
  h.settings.Channels = {"a.ndx", "b.ndx", "c.ndx"};
  h.settings.ChannelCount = 3;
  OpenAndWait();
  h.plugin.NowShowing();
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items,
            (Lines{"11:50 News[Tu]a", "11:50 Weather[Tu]b", "11:50 Film[Tu]c"}));
}

TEST_F(SearchRunTest, AFreezeAfterTheLastChannelHoldsTheRunUntilResumed) {
  h.settings.MaxResultCount = 0;  // its box comes after the only channel
  h.platform.SetMessageBoxHandler([this](const std::string&) { h.Command("FREEZESEARCH"); });
  h.Open();
  h.Pump(100);
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 2);
  EXPECT_EQ(Events(h.platform), Lines{"SEARCHSTATUS:RUNNING Searching"});
  EXPECT_EQ(h.plugin.Form().Label1.Caption, "Find: processing first.ndx");
  h.Command("RESUMESEARCH");
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(Events(h.platform).back(), "SEARCHSTATUS:COMPLETE Done");
  EXPECT_EQ(h.plugin.Form().Label1.Caption, "Find: 6 found");
}

TEST_F(SearchRunTest, AnOutdatedGuideIsReportedWhenTheWindowIsHidden) {
  WriteChannel(h, "first", {{-300, "News"}, {-200, "Film"}});
  OpenAndWait();
  EXPECT_TRUE(h.plugin.DatabaseOutdated());
  EXPECT_EQ(Events(h.platform).back(), "MESS Old guide");
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items, Lines{"-Old guide"});
  h.plugin.Setup();
  h.platform.ClearCalls();
  h.Command("REFINDVIS");
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(Events(h.platform).back(), "SEARCHSTATUS:COMPLETE Done");
}

TEST_F(SearchRunTest, SavePreferencesWritesWhatTheWindowShows) {
  h.settings.TimeShifts = {"first.ndx#0", "b.ndx#-30", "c.ndx#10", "d.ndx#0"};
  h.settings.TimeShiftCount = 3;
  OpenAndWait();
  FormPref& f = h.plugin.Form();
  f.CheckBoxSorted.SetChecked(false);
  f.SpinEditNotiseDelay.SetValue(9);
  f.SpinEditSearchMod.SetValue(2);
  f.ListBoxWords.Add("Sport");
  h.plugin.SavePreferences();
  TSettings saved;
  ASSERT_EQ(LoadSettings(h.folder.Path(kSettingsFileName), saved), 1);
  EXPECT_FALSE(saved.Sorted);
  EXPECT_EQ(saved.NotiseDelay, 9);
  EXPECT_EQ(saved.FindMode, 2);
  EXPECT_EQ(saved.Words, (Lines{"News", "Film", "Sport"}));
  EXPECT_EQ(saved.TimeShifts, (Lines{"b.ndx#-30", "c.ndx#10"}));
  EXPECT_EQ(saved.Channels, Lines{"first.ndx"});
  EXPECT_TRUE(h.plugin.ResultsStale());  // saving starts no search
}

TEST_F(SearchRunTest, ResultListClicksAndTheFindDialog) {
  h.settings.Words = {"News", "Film"};
  OpenAndWait();
  ListBox& list = h.plugin.Form().ListBoxFind;
  list.SetItemIndex(1);
  h.plugin.ListBoxFindClick();
  EXPECT_EQ(list.Hint, "1 [News]:\r2024.03.05 12:45-13:30 News[Tu]first");
  h.plugin.ListBoxFindDblClick();
  EXPECT_EQ(h.plugin.Form().ListBoxWords.ItemIndex(), 0);
  // After "Clear list" the box no longer shows results: no result's hint.
  list.Items = {"unrelated"};
  list.SetItemIndex(0);
  h.plugin.ListBoxFindClick();
  EXPECT_EQ(list.Hint, "search resulst");
  list.Items = {"-no results found"};
  list.SetItemIndex(0);
  h.plugin.ListBoxFindDblClick();  // a placeholder shows the stored results again
  EXPECT_EQ(list.Count(), 6);

  // Find walks on from where it stopped and starts again at the top.
  h.plugin.FindDialog1Find("news");
  EXPECT_EQ(list.ItemIndex(), 1);
  h.plugin.FindDialog1Find("news");
  EXPECT_EQ(list.ItemIndex(), 3);
  h.plugin.FindDialog1Find("news");
  EXPECT_EQ(list.ItemIndex(), 5);
  h.plugin.FindDialog1Find("news");  // past the last line: from the top again
  EXPECT_EQ(list.ItemIndex(), 1);
  h.plugin.FindDialog1Find("nothing like it");
  EXPECT_EQ(list.ItemIndex(), 1);
  h.plugin.FindDialog1Find("film");  // the fruitless pass ended at the top
  EXPECT_EQ(list.ItemIndex(), 0);
}

}  // namespace
}  // namespace kolvar
