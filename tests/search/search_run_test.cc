// Complete search runs on guides the tests write, with the fake clock at
// Tuesday 5 March 2024, 12:00.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/file_io.h"
#include "jtv_writer.h"
#include "plugin/host_channel.h"
#include "settings/settings_file.h"
#include "support/plugin_harness.h"

namespace kolvar {
namespace {

using testing::FakeRecord;

using testing::PluginHarness;
using testing::Probe;
using testing::Recorded;
using Lines = std::vector<std::string>;

// Real search runs, with texts to tell the host's events apart.
void UseRealRuns(PluginHarness& h) {
  Probe(h.plugin).UseRealRun();
  TSettings& s = h.settings;
  s.MessSearchStarting = "Searching";
  s.MessSearchComplete = "Done";
  s.MessListCreate = "List ready";
  s.MessOldDataBase = "Old guide";
  s.RepeatCount = 2;
  s.MaxResultCount = 1000;
}

class SearchRunTest : public ::testing::Test {
 protected:
  SearchRunTest() { UseRealRuns(h); }

  void OpenAndWait() {
    h.Open();
    ASSERT_TRUE(h.WaitIdle());
  }

  PluginHarness h;
};

TEST_F(SearchRunTest, OpenSearchesTheCheckedChannels) {
  OpenAndWait();
  EXPECT_EQ(h.Events(), (Lines{"SEARCHSTATUS:RUNNING Searching", "SEARCHSTATUS:COMPLETE Done"}));
  // The programme on air (12:00) and the coming ones; the past ones are not offered.
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Lines(),
            (Lines{"2024.03.05 12:00 Film[Tu]first", "2024.03.05 12:45 News[Tu]first",
                   "2024.03.05 13:30 Film[Tu]first", "2024.03.05 14:15 News[Tu]first",
                   "2024.03.05 15:00 Film[Tu]first", "2024.03.05 15:45 News[Tu]first"}));
  EXPECT_EQ(h.plugin.Form().ListBoxFind.ItemIndex(), 0);  // on air
  EXPECT_EQ(h.plugin.Form().Label1.Caption, "Find: 6 found");
  const TFindStruct r = Probe(h.plugin).Results();
  ASSERT_EQ(r.size(), 6u);
  for (std::size_t i = 0; i < r.size(); ++i) EXPECT_EQ(r[i].keywordIndex, i % 2 ? 0 : 1);
  EXPECT_DOUBLE_EQ(r[0].end, r[1].start);
  EXPECT_DOUBLE_EQ(r[5].end, r[5].start);  // the last ends at its own start
  EXPECT_FALSE(Probe(h.plugin).State().databaseOutdated);
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
      {[&] { Probe(h.plugin).ResultList().SearchAllKeywords(); }, quiet, true},
  };
  for (const auto& c : cases) {
    h.plugin.Form().ListBoxFind.SetItems({"marker"});
    h.platform.ClearCalls();
    c.start();
    ASSERT_TRUE(h.WaitIdle());
    EXPECT_EQ(h.Events(), c.events);
    EXPECT_EQ(h.plugin.Form().ListBoxFind.Lines() != Lines{"marker"}, c.listBoxChanges);
  }
  // The one-text search found the three News programmes.
  Probe(h.plugin).ResultList().BuildResultList();
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Count(), 6);
}

TEST_F(SearchRunTest, TimeShiftsFromTheTable) {
  h.settings.TimeShifts = {"xfirst.ndx#30", "FIRST.ndx#-90"};
  h.settings.TimeShiftCount = 2;
  OpenAndWait();
  // The entry named as the channel (letter case aside) holds its shift, not the one
  // of "xfirst.ndx" that merely contains the name: the last programme, 15:45
  // unshifted, starts at 14:15.
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Lines().back(), "2024.03.05 14:15 News[Tu]first");
}

// The range's own ends are shifts like any other: a day later or earlier, no box.
TEST(SearchRunShiftTest, ShiftsOfAWholeDayAreUsed) {
  for (const auto& [shift, first] : {std::pair{"1440", "2024.03.06 12:00 Film[We]first"},
                                     std::pair{"-1440", "2024.03.04 12:00 Film[Mo]first"}}) {
    PluginHarness h;
    UseRealRuns(h);
    h.settings.FullSearch = true;
    h.settings.TimeShifts = {std::string("first.ndx#") + shift};
    h.settings.TimeShiftCount = 1;
    h.Open();
    ASSERT_TRUE(h.WaitIdle());
    EXPECT_EQ(h.BoxTexts(), Lines{}) << shift;
    const Lines& listed = h.plugin.Form().ListBoxFind.Lines();
    EXPECT_NE(std::find(listed.begin(), listed.end(), first), listed.end()) << shift;
  }
}

// A shift the run cannot use is reported and read as 0, and the run goes on: one
// mistyped entry must not leave the other channels unsearched.
TEST(SearchRunShiftTest, AShiftThatCannotBeUsedIsReportedAndTheChannelReadUnshifted) {
  for (const char* shift : {"2000", "-1441", "1e9", "-", "", "99999999999", "soon", "30 "}) {
    PluginHarness h;
    UseRealRuns(h);
    h.WriteChannel("second", {{0, "News"}, {60, "Film"}});
    h.settings.Channels = {"first.ndx", "second.ndx"};
    h.settings.ChannelCount = 2;
    h.settings.TimeShifts = {std::string("first.ndx#") + shift};
    h.settings.TimeShiftCount = 1;
    h.Open();
    ASSERT_TRUE(h.WaitIdle());
    EXPECT_EQ(h.BoxTexts(),
              Lines{"Time shift must be -1440..1440, used TimeShift=0 for first.ndx      "})
        << shift;
    EXPECT_EQ(h.Events(), (Lines{"SEARCHSTATUS:RUNNING Searching", "SEARCHSTATUS:COMPLETE Done"}))
        << shift;
    const Lines& listed = h.plugin.Form().ListBoxFind.Lines();
    EXPECT_EQ(listed.size(), 8u) << shift;
    EXPECT_EQ(listed.at(0), "2024.03.05 12:00 News[Tu]second") << shift;
    EXPECT_EQ(listed.at(1), "2024.03.05 12:00 Film[Tu]first") << shift;  // unshifted
    EXPECT_EQ(h.plugin.Form().Label1.Caption, "Find: 8 found") << shift;
  }
}

// A guide folder that vanished, or a channel file that cannot be read, must not
// pass for a guide without matches.
TEST(SearchRunUnreadableTest, ChannelsThatCannotBeReadAreNamed) {
  struct Case {
    std::vector<std::string> removed;
    Lines listed;
    std::string caption;
  } cases[] = {
      {{"second.pdt"}, {}, "Find: 6 found, 1 unreadable"},
      {{"first.ndx", "first.pdt", "second.ndx", "second.pdt"},
       {"-2 channels could not be read: first.ndx, second.ndx"},
       "Find: 0 found, 2 unreadable"},
      // Three are named all: there are not "0 more".
      {{"first.ndx", "second.ndx", "third.ndx"},
       {"-3 channels could not be read: first.ndx, second.ndx, third.ndx"},
       "Find: 0 found, 3 unreadable"},
  };
  for (const Case& c : cases) {
    PluginHarness h;
    UseRealRuns(h);
    h.WriteChannel("second", {{-300, "Old"}});
    h.WriteChannel("third", {{-300, "Old"}});
    h.settings.Channels = {"first.ndx", "second.ndx", "third.ndx"};
    h.settings.ChannelCount = 3;
    h.Open();
    ASSERT_TRUE(h.WaitIdle());
    EXPECT_EQ(h.plugin.Form().Label1.Caption, "Find: 6 found");
    for (const std::string& file : c.removed)
      std::filesystem::remove(ToNativePath(h.folder.Path(file)));
    h.Command("REFINDVIS");
    ASSERT_TRUE(h.WaitIdle());
    EXPECT_EQ(h.plugin.Form().Label1.Caption, c.caption);
    const Lines& listed = h.plugin.Form().ListBoxFind.Lines();
    if (c.listed.empty()) {
      EXPECT_EQ(listed.size(), 6u);  // the first channel's results
    } else {
      EXPECT_EQ(listed, c.listed);
    }
  }
}

// Once the host hears "complete", the search is over for every command, also for
// those it sends from inside that message.
TEST_F(SearchRunTest, CommandsFromInsideTheCompletionMessageSeeTheSearchOver) {
  h.settings.MessListDNTCreate = "Not while searching";
  h.settings.OutStrFormat = "%s";
  h.settings.PreviewTime = 60;
  h.settings.UntilMinutes = 60;
  long long status = -1;
  h.platform.SetEventHandler([&](const HostEvent& e) {
    if (e.kind != "SEARCHSTATUS:COMPLETE" || status != -1) return;
    status = h.Command("SEARCHSTATUS");
    h.Command("BEAT");
    h.Command("SHOWUNTILNEXT");
  });
  OpenAndWait();
  h.Pump(50);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(h.Events(), (Lines{"SEARCHSTATUS:RUNNING Searching", "SEARCHSTATUS:COMPLETE Done",
                               "NOTIF Film", "USER Film"}));
}

TEST_F(SearchRunTest, TheResultLimitIsLookedAtBetweenChannels) {
  // Channels adding 8, 5 and 7 results in full search.
  auto channel = [&](const std::string& name, int count) {
    std::vector<std::pair<int, std::string>> p;
    for (int i = 0; i < count; ++i) p.push_back({i * 30, "News"});
    h.WriteChannel(name, p);
  };
  channel("a1", 8);
  channel("a2", 5);
  channel("a3", 7);
  h.settings.Channels = {"a1.ndx", "a2.ndx", "a3.ndx"};
  h.settings.ChannelCount = 3;
  h.settings.FullSearch = true;
  h.settings.MaxResultCount = 8;  // reached exactly by the first: not passed yet
  OpenAndWait();
  EXPECT_EQ(h.BoxTexts(), Lines{"Too many results, change search parametrs and try again!!!\n"
                                "                       operation terminated      "});
  EXPECT_EQ(Probe(h.plugin).State().ResultCount(), 13u);
  EXPECT_EQ(h.plugin.Form().Label1.Caption, "Find: 13 found");
}

TEST_F(SearchRunTest, NoResultsAllowedStillReadsOneChannel) {
  h.WriteChannel("a0", {{-10, "News"}});  // listed first, not checked: passed over
  h.settings.MaxResultCount = 0;
  OpenAndWait();
  EXPECT_EQ(Probe(h.plugin).State().ResultCount(), 6u);
  EXPECT_EQ(h.BoxTexts().size(), 1u);
}

TEST_F(SearchRunTest, SelectedChannelAlone) {
  h.WriteChannel("other", {{-10, "News"}, {20, "News"}});
  OpenAndWait();  // "other" is not checked
  h.plugin.Form().CheckListBoxFiles.SetItemIndex(-1);
  Probe(h.plugin).Channels().ShowSelectedChannelClick();
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(Probe(h.plugin).State().ResultCount(), 0u);  // no current item: nothing read
  h.plugin.Form().CheckListBoxFiles.SetItemIndex(1);
  Probe(h.plugin).Channels().ShowSelectedChannelClick();
  ASSERT_TRUE(h.WaitIdle());
  // Every line contains "[": the channel's programmes in the window, unchecked or not.
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Lines(),
            (Lines{"2024.03.05 11:50 News[Tu]other", "2024.03.05 12:20 News[Tu]other"}));
}

TEST_F(SearchRunTest, AFreezeAfterTheLastChannelHoldsTheRunUntilResumed) {
  h.settings.MaxResultCount = 0;  // its box comes after the only channel
  h.platform.SetMessageBoxHandler([this](const std::string&) { h.Command("FREEZESEARCH"); });
  h.Open();
  h.Pump(100);
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 2);
  EXPECT_EQ(h.Events(), Lines{"SEARCHSTATUS:RUNNING Searching"});
  EXPECT_EQ(h.plugin.Form().Label1.Caption, "Find: processing first.ndx");
  h.Command("RESUMESEARCH");
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.Events().back(), "SEARCHSTATUS:COMPLETE Done");
  EXPECT_EQ(h.plugin.Form().Label1.Caption, "Find: 6 found");
}

TEST_F(SearchRunTest, AnOutdatedGuideIsReportedWhenTheWindowIsHidden) {
  h.WriteChannel("first", {{-300, "News"}, {-200, "Film"}});
  OpenAndWait();
  EXPECT_TRUE(Probe(h.plugin).State().databaseOutdated);
  EXPECT_EQ(h.Events().back(), "MESS Old guide");
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Lines(), Lines{"-Old guide"});
  h.plugin.Setup();
  h.platform.ClearCalls();
  h.Command("REFINDVIS");
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.Events().back(), "SEARCHSTATUS:COMPLETE Done");
}

}  // namespace
}  // namespace kolvar
