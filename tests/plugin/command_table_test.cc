// The host command table, driven the way the host drives it.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "base/file_io.h"
#include "plugin/host_channel.h"
#include "settings/settings_file.h"
#include "support/plugin_harness.h"

namespace kolvar {
namespace {

using testing::FakeRecord;

using testing::PluginHarness;
using testing::Probe;
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

  FakeRecord Record(int kind, std::optional<std::string> command, int result = 0) {
    FakeRecord r;
    r.kind = kind;
    r.result = result;
    r.command = std::move(command);
    return r;
  }

  PluginHarness h;
};

TEST_F(CommandsTest, EveryCommandGetsExactlyOneReplyWithTheHostsTag) {
  for (const char* name : kAllCommands) {
    FakeRecord r = Record(1, name);
    auto replies = h.Send(r);
    ASSERT_EQ(replies.size(), 1u) << name;
    h.WaitIdle();
  }
}

TEST_F(CommandsTest, StatusGroupRepliesWithTheSwitchesAndTheWindow) {
  Probe(h.plugin).Settings().Sorted = true;
  Probe(h.plugin).Settings().FullSearch = false;
  Probe(h.plugin).Settings().Remind = true;
  FakeRecord sorted = Record(1, "SORTEDSTATUS");
  EXPECT_EQ(h.Send(sorted)[0].value, 1);
  EXPECT_EQ(sorted.result, 1);
  FakeRecord full = Record(1, "FULLSEARCHSTATUS");
  EXPECT_EQ(h.Send(full)[0].value, 0);
  EXPECT_EQ(full.result, 0);
  EXPECT_EQ(h.Command("REMINDSTATUS"), 1);
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 0);

  FakeRecord handle = Record(1, "HANDLE");
  auto replies = h.Send(handle);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0].value, static_cast<long long>(testing::FakePlatform::kWindowHandle));
  EXPECT_EQ(handle.result, static_cast<int>(testing::FakePlatform::kWindowHandle));
  EXPECT_EQ(handle.commandOut, testing::FakePlatform::kWindowHandle);
}

TEST_F(CommandsTest, GuardsTurnCommandsAwayWithReplyOne) {
  Probe(h.plugin).Settings().Sorted = true;
  // Lower case, a non-zero Result, a wrong kind, a null text: nothing runs.
  FakeRecord lower = Record(1, "sortedoff");
  FakeRecord busy = Record(1, "SORTEDOFF", 5);
  FakeRecord kind2 = Record(2, "SORTEDOFF");
  FakeRecord kind3 = Record(3, "SORTEDOFF");
  FakeRecord null = Record(1, std::nullopt);
  FakeRecord longText = Record(1, std::string(100000, 'S'));
  for (FakeRecord* r : {&lower, &busy, &kind2, &kind3, &null, &longText}) {
    auto replies = h.Send(*r);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].value, 1);
  }
  EXPECT_TRUE(Probe(h.plugin).Settings().Sorted);
  EXPECT_EQ(busy.result, 5);
  // A status command with Result already set is not a status query.
  FakeRecord status = Record(1, "SEARCHSTATUS", 9);
  EXPECT_EQ(h.Send(status)[0].value, 1);
  EXPECT_EQ(status.result, 9);
}

// Hours from a hand-edited file may be any 32-bit number: the search window made
// of them saturates instead of wrapping around to a negative one.
TEST(SettingsArithmeticTest, TheSearchWindowSaturates) {
  for (std::int32_t hours : {INT32_MAX, INT32_MIN}) {
    PluginHarness h;
    h.run.Release();
    h.settings.HourToEnd = hours;
    h.Open();
    EXPECT_EQ(Probe(h.plugin).LastSearchArgs().window, hours);
    h.WaitIdle();
  }
}

TEST(HalfOpenTest, WithoutInitialisationOnlyKindTwoCommandsRun) {
  PluginHarness h;
  h.run.Release();
  // A settings file that does not load leaves the plug-in half open.
  ASSERT_TRUE(WriteFileAtomic(h.folder.Path(kSettingsFileName), "not settings"));
  h.plugin.Open(0x77);
  Probe(h.plugin).Settings().Sorted = false;
  EXPECT_EQ(h.Command("SORTEDSTATUS"), 1);
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 1);
  EXPECT_EQ(h.Command("SORTEDON"), 1);
  EXPECT_FALSE(Probe(h.plugin).Settings().Sorted);
  FakeRecord find;
  find.kind = 2;
  find.command = "FINDIT";
  find.paramText = "News";
  ASSERT_EQ(h.Send(find).size(), 1u);
  h.WaitIdle();
  EXPECT_EQ(h.run.Started(), 1);
}

TEST_F(CommandsTest, SwitchCommandsChangeTheSettingThenTheBox) {
  TSettings& s = Probe(h.plugin).Settings();
  FormPref& f = h.plugin.Form();
  EXPECT_EQ(h.Command("FULLSEARCHON"), 1);
  EXPECT_TRUE(s.FullSearch);
  EXPECT_TRUE(f.CheckBoxFullSearch.Checked());
  EXPECT_TRUE(Probe(h.plugin).State().resultsStale);
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
  TSettings& s = Probe(h.plugin).Settings();
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
  Probe(h.plugin).Settings().RemindStatusShowing = true;
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
  Probe(h.plugin).Settings().RemindStatusShowing = true;
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
  FakeRecord find = Record(2, "FINDIT");
  find.paramText = "";
  h.Send(find);
  h.WaitIdle();
  EXPECT_EQ(h.run.Started(), 1);  // only the search of Open
  FakeRecord noText = Record(2, "FINDIT");
  h.Send(noText);
  h.WaitIdle();
  EXPECT_EQ(h.run.Started(), 1);

  find.paramText = "News";
  ASSERT_EQ(h.Send(find).size(), 1u);
  h.WaitIdle();
  EXPECT_EQ(h.run.Started(), 2);
  const SearchArgs& args = Probe(h.plugin).LastSearchArgs();
  EXPECT_EQ(args.keywords, std::vector<std::string>{"News"});
  EXPECT_FALSE(args.visible);
  EXPECT_TRUE(args.announce);
  EXPECT_EQ(args.window, 24 * 60);
  EXPECT_TRUE(Probe(h.plugin).State().resultsStale);
  EXPECT_FALSE(Probe(h.plugin).State().resultsFromKeywordList);

  // A flag selects CUSTOMSHOWUNTILNEXT instead, whatever the text says.
  FakeRecord flagged = Record(2, "FINDIT");
  flagged.flag = 1;
  flagged.paramText = "Film";
  h.WaitIdle();
  h.Send(flagged);
  h.WaitIdle();
  EXPECT_EQ(h.run.Started(), 2);
}

// A host fills only what its command uses; Param is a text for one command and a
// number for another. Reading any other field, or Param as a text where it is a
// number, would take the host down.
TEST_F(CommandsTest, FieldsAreReadOnlyWhereACommandNeedsThem) {
  struct Case {
    int kind, result, flag;
    const char* command;
    std::set<std::string> read;
  };
  const std::set<std::string> none, command{"command"};
  const std::set<std::string> minutes{"command", "param"}, text{"command", "paramText"};
  const Case cases[] = {
      {2, 0, 0, "CUSTOMSHOWUNTILNEXT", command},  // no flag: not the minutes command
      {2, 0, 1, "CUSTOMSHOWUNTILNEXT", minutes},
      {2, 5, 0, "FINDIT", none},  // a result already set: the command is ignored
      {2, 0, 1, "FINDIT", command},
      {2, 0, 0, "FINDIT", text},
      {2, 0, 0, "SORTEDON", command},
      {1, 0, 0, "FINDIT", command},
      {1, 3, 0, "SORTEDON", none},
      {3, 0, 0, "FINDIT", none},
  };
  for (const Case& c : cases) {
    FakeRecord r = Record(c.kind, c.command, c.result);
    r.flag = c.flag;
    r.paramText = "Film";
    EXPECT_EQ(h.Send(r).size(), 1u) << c.command;
    EXPECT_EQ(r.read, c.read) << c.kind << " " << c.result << " " << c.flag << " " << c.command;
    h.WaitIdle();
  }
}

TEST_F(CommandsTest, ASearchWithoutAThreadIsReportedAndLeavesNoSearchBehind) {
  Probe(h.plugin).SetThreadFactory([](std::function<void()>) -> std::thread {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  });
  Probe(h.plugin).Settings().Words = {"Sport"};
  EXPECT_EQ(h.Command("REFIND"), 1);
  auto boxes = h.platform.CallsOf(Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("could not start"), std::string::npos);
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 0);
  EXPECT_NE(Probe(h.plugin).State().searchKeywordList, std::vector<std::string>{"Sport"});
  // Once threads can be had again, searches start as before.
  Probe(h.plugin).SetThreadFactory([](std::function<void()> body) { return std::thread(body); });
  h.Command("REFIND");
  EXPECT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.run.Started(), 2);
}

TEST_F(CommandsTest, RefindStartsKeywordSearchesThatAnnounce) {
  h.Command("REFIND");
  h.WaitIdle();
  EXPECT_EQ(h.run.Started(), 2);
  EXPECT_TRUE(Probe(h.plugin).LastSearchArgs().announce);
  EXPECT_TRUE(Probe(h.plugin).LastSearchArgs().visible);  // ShowInPref
  EXPECT_EQ(Probe(h.plugin).LastSearchArgs().keywords, (std::vector<std::string>{"News", "Film"}));
  EXPECT_FALSE(Probe(h.plugin).State().resultsStale);
  EXPECT_TRUE(Probe(h.plugin).State().resultsFromKeywordList);
  h.WaitIdle();
  Probe(h.plugin).Settings().ShowInPref = false;
  h.Command("REFINDVIS");
  EXPECT_TRUE(Probe(h.plugin).LastSearchArgs().visible);
  EXPECT_FALSE(Probe(h.plugin).LastSearchArgs().announce);
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
  EXPECT_FALSE(Probe(h.plugin).State().resultsStale);
}

TEST_F(CommandsTest, HelpAndSettingsOpenFilesOfThePluginFolder) {
  h.Command("HELP");
  h.Command("SETTINGSINI");
  auto shell = h.platform.CallsOf(Kind::kShell);
  ASSERT_EQ(shell.size(), 2u);
  const std::string& folder = Probe(h.plugin).State().pluginFolder;
  EXPECT_EQ(shell[0].text, folder + "Help\\index.htm");
  EXPECT_EQ(shell[0].caption, folder);
  EXPECT_EQ(shell[1].text, folder + "settings.ini");
}

TEST_F(CommandsTest, JoinFindListShowsTheStoredResults) {
  {
    MutexLock lock(Probe(h.plugin).State().mutex);
    TFindStruct& r = Probe(h.plugin).State().results;
    r = {{"2024.03.05 21:30 News[Tu]First", 1, 2, 0}};
  }
  h.Command("JOINFINDLIST");
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Lines(),
            std::vector<std::string>{"2024.03.05 21:30 News[Tu]First"});
}

TEST(HostMessageTest, RepeatCountMinusOneNeverAcknowledges) {
  PluginHarness h;
  h.run.Release();
  h.settings.RepeatCount = -1;
  h.Open();
  for (int i = 0; i < 10; ++i) Probe(h.plugin).Host().SendHostMessage("a", kKindNotif);
  EXPECT_EQ(Probe(h.plugin).State().notifyCountdown, -1);
  auto events = h.platform.CallsOf(Kind::kEvent);
  ASSERT_EQ(events.size(), 10u);
  EXPECT_EQ(events[0].event.kind, "NOTIF");
  EXPECT_EQ(events[0].event.name, "Kolvar");
}

}  // namespace
}  // namespace kolvar
