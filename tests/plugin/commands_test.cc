// The host command table, driven the way the host drives it.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "plugin/host_channel.h"
#include "support/plugin_harness.h"

namespace kolvar {
namespace {

using testing::PluginHarness;
using testing::Recorded;
using Kind = Recorded::Kind;

const char* const kAllCommands[] = {
    "UNDERSTOOD",
    "RESETUNTILINDEX",
    "RESETUNTILPROGR",
    "FINALUNTILINDEX",
    "SHOWUNTILBACK",
    "SHOWUNTILCURENT",
    "SHOWUNTILNEXT",
    "REFIND",
    "REFINDVIS",
    "FREEZESEARCH",
    "RESUMESEARCH",
    "ABORTSEARCH",
    "BEAT",
    "REMINDON",
    "REMINDOFF",
    "TOGGLEREMIND",
    "FULLSEARCHON",
    "FULLSEARCHOFF",
    "TOGGLEFULLSEARCH",
    "SORTEDON",
    "SORTEDOFF",
    "TOGGLESORTED",
    "CLOSEPREF",
    "JOINFINDLIST",
    "SETTINGSINI",
    "HELP",
    "ABOUT",
    "HANDLE",
    "SORTEDSTATUS",
    "FULLSEARCHSTATUS",
    "REMINDSTATUS",
    "SEARCHSTATUS",
};

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    h.run.Release();  // runs end at once unless a test wants them alive
    h.Open();
    ASSERT_TRUE(h.WaitIdle());
    h.platform.ClearCalls();
  }

  ActionRecord Record(int kind, std::optional<std::string> command, int result = 0) {
    ActionRecord r;
    r.kind = kind;
    r.result = result;
    r.command = std::move(command);
    return r;
  }

  PluginHarness h;
};

TEST_F(CommandsTest, EveryCommandGetsExactlyOneReplyWithTheHostsTag) {
  for (const char* name : kAllCommands) {
    ActionRecord r = Record(1, name);
    auto replies = h.Send(r);
    ASSERT_EQ(replies.size(), 1u) << name;
    h.WaitIdle();
  }
}

TEST_F(CommandsTest, StatusGroupRepliesWithTheSwitchesAndTheWindow) {
  h.plugin.Settings().Sorted = true;
  h.plugin.Settings().FullSearch = false;
  h.plugin.Settings().Remind = true;
  ActionRecord sorted = Record(1, "SORTEDSTATUS");
  EXPECT_EQ(h.Send(sorted)[0].value, 1);
  EXPECT_EQ(sorted.result, 1);
  ActionRecord full = Record(1, "FULLSEARCHSTATUS");
  EXPECT_EQ(h.Send(full)[0].value, 0);
  EXPECT_EQ(full.result, 0);
  EXPECT_EQ(h.Command("REMINDSTATUS"), 1);
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 0);

  ActionRecord handle = Record(1, "HANDLE");
  auto replies = h.Send(handle);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0].value, static_cast<long long>(testing::FakePlatform::kWindowHandle));
  EXPECT_EQ(handle.result, static_cast<int>(testing::FakePlatform::kWindowHandle));
  EXPECT_EQ(handle.commandOut, testing::FakePlatform::kWindowHandle);
}

TEST_F(CommandsTest, GuardsTurnCommandsAwayWithReplyOne) {
  h.plugin.Settings().Sorted = true;
  // Lower case, a non-zero Result, a wrong kind, a null text: nothing runs.
  ActionRecord lower = Record(1, "sortedoff");
  ActionRecord busy = Record(1, "SORTEDOFF", 5);
  ActionRecord kind2 = Record(2, "SORTEDOFF");
  ActionRecord kind3 = Record(3, "SORTEDOFF");
  ActionRecord null = Record(1, std::nullopt);
  ActionRecord longText = Record(1, std::string(100000, 'S'));
  for (ActionRecord* r : {&lower, &busy, &kind2, &kind3, &null, &longText}) {
    auto replies = h.Send(*r);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].value, 1);
  }
  EXPECT_TRUE(h.plugin.Settings().Sorted);
  EXPECT_EQ(busy.result, 5);
  // A status command with Result already set is not a status query.
  ActionRecord status = Record(1, "SEARCHSTATUS", 9);
  EXPECT_EQ(h.Send(status)[0].value, 1);
  EXPECT_EQ(status.result, 9);
}

TEST(HalfOpenTest, WithoutInitialisationOnlyKindTwoCommandsRun) {
  PluginHarness h;
  h.run.Release();
  // Not opened: nothing is initialised, as after a failed settings load.
  h.plugin.Settings().Sorted = false;
  EXPECT_EQ(h.Command("SORTEDSTATUS"), 1);
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 1);
  EXPECT_EQ(h.Command("SORTEDON"), 1);
  EXPECT_FALSE(h.plugin.Settings().Sorted);
  ActionRecord find;
  find.kind = 2;
  find.command = "FINDIT";
  find.paramText = "News";
  ASSERT_EQ(h.Send(find).size(), 1u);
  h.WaitIdle();
  EXPECT_EQ(h.run.Started(), 1);
}

TEST_F(CommandsTest, SwitchRowsChangeTheSettingThenTheBox) {
  TSettings& s = h.plugin.Settings();
  FormPref& f = h.plugin.Form();
  EXPECT_EQ(h.Command("FULLSEARCHON"), 1);
  EXPECT_TRUE(s.FullSearch);
  EXPECT_TRUE(f.CheckBoxFullSearch.Checked());
  EXPECT_TRUE(h.plugin.ResultsStale());
  h.Command("TOGGLEFULLSEARCH");
  EXPECT_FALSE(s.FullSearch);
  EXPECT_FALSE(f.CheckBoxFullSearch.Checked());
  h.Command("TOGGLEFULLSEARCH");
  EXPECT_TRUE(s.FullSearch);
  h.Command("FULLSEARCHOFF");
  EXPECT_FALSE(s.FullSearch);

  h.Command("SORTEDOFF");
  EXPECT_FALSE(s.Sorted);
  EXPECT_FALSE(f.CheckBoxSorted.Checked());
  EXPECT_EQ(h.Command("SORTEDSTATUS"), 0);
  h.Command("TOGGLESORTED");
  EXPECT_TRUE(s.Sorted);
  EXPECT_EQ(h.Command("SORTEDSTATUS"), 1);
  h.Command("TOGGLESORTED");
  EXPECT_FALSE(s.Sorted);
  h.Command("SORTEDON");
  EXPECT_TRUE(f.CheckBoxSorted.Checked());
}

TEST_F(CommandsTest, ReminderSwitchesTellTheHostOnlyWhenAsked) {
  TSettings& s = h.plugin.Settings();
  s.RemindStatusShowing = false;
  h.Command("REMINDOFF");
  EXPECT_FALSE(s.Remind);
  EXPECT_FALSE(h.plugin.Form().CheckBoxRemind.Checked());
  EXPECT_FALSE(h.plugin.Form().TimerNiticer.Enabled());
  EXPECT_EQ(h.Command("REMINDSTATUS"), 0);
  EXPECT_TRUE(h.platform.CallsOf(Kind::kEvent).empty());

  s.RemindStatusShowing = true;
  h.Command("TOGGLEREMIND");
  EXPECT_TRUE(s.Remind);
  EXPECT_TRUE(h.plugin.Form().TimerNiticer.Enabled());
  h.Command("TOGGLEREMIND");
  auto events = h.platform.CallsOf(Kind::kEvent);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].event.kind, "MESS");
  EXPECT_EQ(events[0].text, "Reminders on");
  EXPECT_EQ(events[1].text, "Reminders off");
}

TEST_F(CommandsTest, RepliesFollowTheCommandsOwnMessagesAndBoxes) {
  h.plugin.Settings().RemindStatusShowing = true;
  h.Command("REMINDON");
  h.Command("ABOUT");
  auto calls = h.platform.Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].kind, Kind::kEvent);
  EXPECT_EQ(calls[1].kind, Kind::kReply);
  EXPECT_EQ(calls[2].kind, Kind::kMessageBox);
  EXPECT_EQ(calls[2].value, kBoxInformation);
  EXPECT_NE(calls[2].text.find("Kolvar"), std::string::npos);
  EXPECT_NE(calls[2].text.find("v2.51"), std::string::npos);
  EXPECT_EQ(calls[3].kind, Kind::kReply);
}

TEST_F(CommandsTest, AHostThatCallsBackFromInsideAMessageIsServed) {
  h.plugin.Settings().RemindStatusShowing = true;
  std::vector<long long> inner;
  bool answered = false;
  h.platform.SetEventHandler([&](const HostEvent&) {
    if (std::exchange(answered, true)) return;
    inner.push_back(h.Command("REMINDSTATUS"));
    inner.push_back(h.Command("SEARCHSTATUS"));
  });
  EXPECT_EQ(h.Command("REMINDOFF"), 1);
  EXPECT_EQ(inner, (std::vector<long long>{0, 0}));
}

TEST_F(CommandsTest, FindItSearchesForOneTextAndPausesReminders) {
  ActionRecord find = Record(2, "FINDIT");
  find.paramText = "";
  h.Send(find);
  h.WaitIdle();
  EXPECT_EQ(h.run.Started(), 1);  // only the search of Open
  ActionRecord noText = Record(2, "FINDIT");
  h.Send(noText);
  h.WaitIdle();
  EXPECT_EQ(h.run.Started(), 1);

  find.paramText = "News";
  ASSERT_EQ(h.Send(find).size(), 1u);
  h.WaitIdle();
  EXPECT_EQ(h.run.Started(), 2);
  const SearchArgs& args = h.plugin.LastSearchArgs();
  EXPECT_EQ(args.keywords, std::vector<std::string>{"News"});
  EXPECT_FALSE(args.visible);
  EXPECT_TRUE(args.announce);
  EXPECT_EQ(args.window, 24 * 60);
  EXPECT_TRUE(h.plugin.ResultsStale());
  EXPECT_FALSE(h.plugin.ResultsFromKeywordList());

  // A flag selects CUSTOMSHOWUNTILNEXT instead, whatever the text says.
  ActionRecord flagged = Record(2, "FINDIT");
  flagged.flag = 1;
  flagged.paramText = "Film";
  h.WaitIdle();
  h.Send(flagged);
  h.WaitIdle();
  EXPECT_EQ(h.run.Started(), 2);
}

TEST_F(CommandsTest, RefindStartsKeywordSearchesThatAnnounce) {
  h.Command("REFIND");
  h.WaitIdle();
  EXPECT_EQ(h.run.Started(), 2);
  EXPECT_TRUE(h.plugin.LastSearchArgs().announce);
  EXPECT_TRUE(h.plugin.LastSearchArgs().visible);  // ShowInPref
  EXPECT_EQ(h.plugin.LastSearchArgs().keywords, (std::vector<std::string>{"News", "Film"}));
  EXPECT_FALSE(h.plugin.ResultsStale());
  EXPECT_TRUE(h.plugin.ResultsFromKeywordList());
  h.WaitIdle();
  h.plugin.Settings().ShowInPref = false;
  h.Command("REFINDVIS");
  EXPECT_TRUE(h.plugin.LastSearchArgs().visible);
  EXPECT_FALSE(h.plugin.LastSearchArgs().announce);
}

TEST_F(CommandsTest, ClosePrefHidesAndSearchesAgainWhenParametersChanged) {
  h.plugin.Setup();
  EXPECT_TRUE(h.platform.WindowVisible());
  h.Command("CLOSEPREF");
  EXPECT_FALSE(h.platform.WindowVisible());
  h.WaitIdle();
  EXPECT_EQ(h.run.Started(), 1);  // nothing stale
  h.Command("SORTEDOFF");
  h.Command("CLOSEPREF");
  h.WaitIdle();
  EXPECT_EQ(h.run.Started(), 2);
  EXPECT_FALSE(h.plugin.ResultsStale());
}

TEST_F(CommandsTest, HelpAndSettingsOpenFilesOfThePluginFolder) {
  h.Command("HELP");
  h.Command("SETTINGSINI");
  auto shell = h.platform.CallsOf(Kind::kShell);
  ASSERT_EQ(shell.size(), 2u);
  const std::string& folder = h.plugin.PluginFolder();
  EXPECT_EQ(shell[0].text, folder + "Help\\index.htm");
  EXPECT_EQ(shell[0].caption, folder);
  EXPECT_EQ(shell[1].text, folder + "settings.ini");
}

TEST_F(CommandsTest, JoinFindListShowsTheStoredResults) {
  h.plugin.WithResults([](TFindStruct& r) {
    r.Lines = {"2024.03.05 21:30 News[Tu]First"};
    r.StartTimes = {1};
    r.EndTimes = {2};
    r.WordIndex = {0};
    r.Count = 1;
  });
  h.Command("JOINFINDLIST");
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items,
            std::vector<std::string>{"2024.03.05 21:30 News[Tu]First"});
}

TEST(HostMessageTest, NotifCountdownAcknowledgesAfterRepeatCount) {
  PluginHarness h;
  h.run.Release();
  h.settings.RepeatCount = 3;
  h.Open();
  EXPECT_EQ(h.plugin.NotifyCountdown(), 3);
  h.plugin.SendHostMessage("a", kKindNotif);
  h.plugin.SendHostMessage("a", kKindNotif);
  EXPECT_EQ(h.plugin.NotifyCountdown(), 1);
  h.plugin.SendHostMessage("a", kKindNotif);
  EXPECT_EQ(h.plugin.NotifyCountdown(), 3);
  h.plugin.SendHostMessage("m", kKindMess);  // other kinds do not count
  EXPECT_EQ(h.plugin.NotifyCountdown(), 3);
}

TEST(HostMessageTest, RepeatCountMinusOneNeverAcknowledges) {
  PluginHarness h;
  h.run.Release();
  h.settings.RepeatCount = -1;
  h.Open();
  for (int i = 0; i < 10; ++i) h.plugin.SendHostMessage("a", kKindNotif);
  EXPECT_EQ(h.plugin.NotifyCountdown(), -1);
  auto events = h.platform.CallsOf(Kind::kEvent);
  ASSERT_EQ(events.size(), 10u);
  EXPECT_EQ(events[0].event.kind, "NOTIF");
  EXPECT_EQ(events[0].event.name, "Kolvar");
}

}  // namespace
}  // namespace kolvar
