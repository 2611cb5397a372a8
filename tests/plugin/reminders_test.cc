// Reminders and the until browser on a virtual clock: the fake platform fires the
// window's timers as time passes. The clock starts at Tuesday 5 March 2024, 12:00.
#include "plugin/reminders.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/plugin_harness.h"

namespace kolvar {
namespace {

using testing::PluginHarness;
using testing::Probe;
using testing::Recorded;
using Lines = std::vector<std::string>;

// A plug-in with reminders set up, on the fake clock.
class ReminderBench {
 public:
  ReminderBench() {
    TSettings& s = h.settings;
    s.NotiseDelay = 5;
    s.PreviewTime = 60;
    s.BeatDelay = 1;
    s.NoticeUnderstood = true;
    s.OutStrFormat = "%i/%a %s";
    s.MessConfirmUnd = "Understood";
    s.MessRemindWasOff = "Reminders are off";
    s.MessOldDataBase = "Old guide";
    s.MessListDNTCreate = "Not while searching";
    s.MessNothingForShow = "Nothing due";
    s.MessEndOfList = "End";
    s.MessUntilNoResults = "None due";
  }

  // Opens with the results of a finished search: A on air, B and C coming.
  void Open(int repeatCount) {
    h.settings.RepeatCount = repeatCount;
    h.run.Release();
    h.Open();
    ASSERT_TRUE(h.WaitIdle());
    h.SetResults({{"2024.03.05 11:50 A[Tu]first", At(-10), At(20), 0},
                  {"2024.03.05 12:20 B[Tu]first", At(20), At(50), 0},
                  {"2024.03.05 12:50 C[Tu]first", At(50), At(80), 1}});
    h.platform.ClearCalls();
  }

  static DateTime At(double minutes) {
    return *EncodeDateTime({2024, 3, 2, 5, 12, 0, 0, 0}) + minutes / 1440;
  }

  // The events of the next ticks of the notice timer, one text per tick ("" for
  // none). The search-update timer has built the list at 5 s.
  Lines Ticks(int count) {
    Lines out;
    for (int i = 0; i < count; ++i) {
      h.platform.ClearCalls();
      h.platform.PassTime(5000);
      Lines events = h.Events();
      std::string joined;
      for (const auto& e : events) joined += (joined.empty() ? "" : "|") + e;
      out.push_back(joined);
    }
    return out;
  }

  PluginHarness h;
};

class RemindersTest : public ::testing::Test, public ReminderBench {};

TEST_F(RemindersTest, TheTimersRunAtTheirIntervals) {
  Open(2);
  EXPECT_EQ(h.platform.TimerInterval(1), 5000);  // notices: NotiseDelay seconds
  EXPECT_EQ(h.platform.TimerInterval(2), 5000);
  h.platform.PassTime(5000);  // the first build: from now on every BeatDelay minutes
  EXPECT_EQ(h.platform.TimerInterval(2), 60000);
  h.plugin.Form().SpinEditNotiseDelay.SetValue(7);
  EXPECT_EQ(h.platform.TimerInterval(1), 7000);
  h.Command("REMINDOFF");
  EXPECT_EQ(h.platform.TimerInterval(1), 0);
}

struct RepeatCase {
  int repeatCount;
  Lines ticks;
};

class RepeatTest : public RemindersTest, public ::testing::WithParamInterface<RepeatCase> {};

TEST_P(RepeatTest, EachEntryIsRepeatedAsTheRepeatCountSays) {
  Open(GetParam().repeatCount);
  EXPECT_EQ(Ticks(8), GetParam().ticks);
}

const std::string kA = "NOTIF -/- A", kB = "NOTIF -/- B", kC = "NOTIF -/- C";
INSTANTIATE_TEST_SUITE_P(RepeatCounts, RepeatTest,
                         ::testing::Values(RepeatCase{2, {"", kA, kA, kB, kB, kC, kC, ""}},
                                           RepeatCase{1, {"", kA, kB, kC, "", "", "", ""}},
                                           RepeatCase{3, {"", kA, kA, kA, kB, kB, kB, kC}},
                                           RepeatCase{-1, {"", kA, kA, kA, kA, kA, kA, kA}}),
                         [](const ::testing::TestParamInfo<RepeatCase>& info) {
                           const int n = info.param.repeatCount;
                           return n < 0 ? std::string("Unlimited") : "Count" + std::to_string(n);
                         });

TEST_F(RemindersTest, UnderstoodAcknowledgesTheAnnouncedEntryOnly) {
  Open(-1);
  h.Command("UNDERSTOOD");  // nothing announced yet
  EXPECT_TRUE(h.Events().empty());
  EXPECT_EQ(Ticks(2), (Lines{"", "NOTIF -/- A"}));
  h.platform.ClearCalls();
  h.Command("UNDERSTOOD");
  EXPECT_EQ(h.Events(), Lines{"MESS Understood"});
  EXPECT_EQ(Ticks(1), Lines{"NOTIF -/- B"});
}

// An acknowledgement falls only on an entry the host was shown, and each entry is
// shown exactly as often as the repeat count says unless acknowledged: from
// inside its first showing, between its repeats, right after its last one.
TEST_F(RemindersTest, AnAcknowledgementFallsOnlyOnAnEntryShown) {
  enum Step { kTick, kUnderstood, kTickUnderstoodInside };
  struct Case {
    int repeatCount;
    std::vector<Step> steps;
    Lines events;  // of each step, joined
  };
  const std::string kU = "MESS Understood";
  const Case cases[] = {
      {1, {kTick, kTickUnderstoodInside, kTick, kTick}, {"", kA + "|" + kU, kB, kC}},
      {2, {kTick, kTickUnderstoodInside, kTick, kTick}, {"", kA + "|" + kU, kB, kB}},
      {-1, {kTick, kTickUnderstoodInside, kTick}, {"", kA + "|" + kU, kB}},
      {2, {kTick, kTick, kUnderstood, kTick, kTick, kTick}, {"", kA, kU, kB, kB, kC}},
      {3, {kTick, kTick, kTick, kTick, kUnderstood, kTick}, {"", kA, kA, kA, "", kB}},
      {1, {kTick, kTick, kUnderstood, kTick}, {"", kA, "", kB}},
  };
  for (const Case& c : cases) {
    ReminderBench b;
    b.Open(c.repeatCount);
    Lines events;
    for (Step step : c.steps) {
      if (step == kTickUnderstoodInside) {
        b.h.platform.SetEventHandler([&b](const HostEvent& e) {
          if (e.kind != "NOTIF") return;
          PluginHarness& h = b.h;  // the handler goes in the next line
          h.platform.SetEventHandler({});
          h.Command("UNDERSTOOD");
        });
      }
      if (step == kUnderstood) {
        b.h.platform.ClearCalls();
        b.h.Command("UNDERSTOOD");
        std::string joined;
        for (const auto& e : b.h.Events()) joined += (joined.empty() ? "" : "|") + e;
        events.push_back(joined);
      } else {
        events.push_back(b.Ticks(1)[0]);
      }
    }
    EXPECT_EQ(events, c.events) << "repeat count " << c.repeatCount;
  }
}

// A search run rebuilds the list, also one the host starts from inside a notice
// (a host serving its queue there lets the run begin at once): an acknowledgement
// meant for the entry announced before must not fall on the first entry of the
// new list, which was never shown.
TEST(RemindersSearchTest, UnderstoodAfterANewSearchDoesNotSkipTheFirstEntry) {
  for (const bool insideTheNotice : {false, true}) {
    ReminderBench b;
    PluginHarness& h = b.h;
    b.Open(-1);
    Probe(h.plugin).SetRun([](const SearchArgs&, RunContext&) {});
    if (insideTheNotice) {
      h.platform.SetEventHandler([&h](const HostEvent&) {
        PluginHarness& here = h;  // the handler goes in the next line
        here.platform.SetEventHandler({});
        Probe(here.plugin).Reminder().ClearForNewRun();  // what a run's start does
      });
    }
    EXPECT_EQ(b.Ticks(2), (Lines{"", "NOTIF -/- A"}));
    if (!insideTheNotice) Probe(h.plugin).Reminder().ClearForNewRun();
    // Up to the tick that builds the list again, before anything of it is announced.
    while (Probe(h.plugin).Reminder().List().Count() == 0) h.platform.PassTime(1000);
    h.platform.ClearCalls();
    h.Command("UNDERSTOOD");
    EXPECT_TRUE(h.Events().empty()) << insideTheNotice;
    EXPECT_EQ(Probe(h.plugin).Reminder().List().Pending, 3) << insideTheNotice;
  }
}

// A host may send commands from inside a notice, as a modal notice with Next and
// Acknowledge buttons does. Their work is done in the order sent, each reply comes
// at once (a status as the commands before it leave things), and a command sent
// from outside afterwards finds the queued work done first.
TEST(RemindersOrderTest, CommandsSentInsideANoticeAreDoneInTheOrderSent) {
  struct Case {
    const char* name;
    std::vector<std::string> inside;  // sent from inside the first notice
    std::vector<long long> replies;   // their replies
    const char* outside;              // then sent before the queued work has run
    Lines calls;                      // events and replies from the notice on
  };
  const Case cases[] = {
      {"acknowledged after a beat",
       {"BEAT", "UNDERSTOOD"},
       {1, 1},
       nullptr,
       {"NOTIF -/- A", "NOTIF -/- A", "MESS Understood", "tick", "NOTIF -/- B", "tick",
        "NOTIF -/- B"}},
      {"status after a switch", {"REMINDOFF", "REMINDSTATUS"}, {1, 0}, nullptr, {"NOTIF -/- A"}},
      {"browsing reset between steps",
       {"SHOWUNTILNEXT", "SHOWUNTILNEXT", "RESETUNTILINDEX", "SHOWUNTILNEXT"},
       {1, 1, 1, 1},
       nullptr,
       {"NOTIF -/- A", "USER 1/2 A", "USER 2/2 B", "USER 1/2 A"}},
      {"a command from outside waits for nothing",
       {"SHOWUNTILNEXT"},
       {1},
       "SHOWUNTILNEXT",
       {"NOTIF -/- A", "reply 1", "USER 1/2 A", "USER 2/2 B", "reply 1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReminderBench b;
    PluginHarness& h = b.h;
    b.Open(-1);
    EXPECT_EQ(b.Ticks(1), Lines{""});
    std::vector<long long> replies;
    h.platform.SetEventHandler([&h, &replies, &c](const HostEvent& e) {
      if (e.kind != "NOTIF") return;
      // Copied: clearing the handler destroys this closure.
      PluginHarness& here = h;
      std::vector<long long>& out = replies;
      const Case& now = c;
      here.platform.SetEventHandler({});
      for (const std::string& command : now.inside) out.push_back(here.Command(command));
    });
    h.platform.ClearCalls();
    h.platform.PassTime(5000);
    if (c.outside) {
      EXPECT_EQ(h.Command(c.outside), 1);
    }
    h.platform.RunPosted();
    Lines calls;
    auto take = [&] {
      for (const Recorded& call : h.platform.Calls()) {
        if (call.kind == Recorded::Kind::kEvent) calls.push_back(call.event.kind + " " + call.text);
        if (call.kind == Recorded::Kind::kReply && c.outside) {
          calls.push_back("reply " + std::to_string(call.value));
        }
      }
      h.platform.ClearCalls();
    };
    take();
    for (std::size_t more = 0; calls.size() < c.calls.size() && more < 2; ++more) {
      calls.push_back("tick");
      h.platform.PassTime(5000);
      h.platform.RunPosted();
      take();
    }
    EXPECT_EQ(replies, c.replies);
    EXPECT_EQ(calls, c.calls);
  }
}

// A host that answers every message with a command that sends another takes turns
// with the plug-in: each command is answered at once and its message follows after
// the one it answered has returned, so nothing nests however long the host goes on;
// also when the host serves the window thread's queue inside its handler, as a
// modal loop of Windows does. Every command whose work sends a message, each with
// exactly one reply.
TEST(RemindersHostLoopTest, AHostAnsweringEveryMessageWithACommandNeverNestsThePlugIn) {
  struct Case {
    const char* first;
    const char* kind;
    const char* answer;
    const char* text;  // of every message of the kind
  };
  const Case cases[] = {
      {"BEAT", "NOTIF", "BEAT", "-/- A"},
      {"SHOWUNTILNEXT", "USER", "SHOWUNTILCURENT", "1/3 A"},
      {"SHOWUNTILNEXT", "USER", "SHOWUNTILBACK", "1/3 A"},
      {"REMINDON", "MESS", "REMINDON", "Reminders"},
      {"REMINDOFF", "MESS", "REMINDOFF", "Reminders"},
      {"TOGGLEREMIND", "MESS", "TOGGLEREMIND", "Reminders"},
  };
  for (const Case& c : cases) {
    for (const bool modal : {false, true}) {
      SCOPED_TRACE(std::string(c.answer) + (modal ? ", served inside" : ""));
      ReminderBench b;
      b.h.settings.RemindStatusShowing = true;
      b.h.settings.MessRemindOn = b.h.settings.MessRemindOff = "Reminders";
      b.h.settings.UntilMinutes = 60;
      b.Open(-1);
      constexpr int kAnswers = 50;
      int depth = 0, deepest = 0, answered = 0;
      Lines texts;
      b.h.platform.SetEventHandler([&](const HostEvent& e) {
        deepest = std::max(deepest, ++depth);
        if (e.kind == c.kind) texts.push_back(e.text);
        if (e.kind == c.kind && answered < kAnswers) {
          ++answered;
          b.h.Command(c.answer);  // fails the test unless exactly one reply came
          if (modal) b.h.platform.RunPosted();
        }
        --depth;
      });
      b.h.Command(c.first);
      while (b.h.platform.RunPosted() > 0) {
      }
      EXPECT_EQ(answered, kAnswers);
      EXPECT_EQ(deepest, 1);
      EXPECT_EQ(texts, Lines(kAnswers + 1, c.text));
    }
  }
}

TEST_F(RemindersTest, AnEntryThatEndedWhileItWaitedIsSkippedSilently) {
  Open(-1);
  h.SetResults({{"2024.03.05 11:50 A[Tu]first", At(-10), At(7), 0},
                {"2024.03.05 12:20 B[Tu]first", At(20), At(50), 0}});
  EXPECT_EQ(Ticks(2), (Lines{"", "NOTIF -/- A"}));
  h.platform.PassTime(7 * 60000 - 10000);  // to 12:07, when A ends
  EXPECT_EQ(Ticks(3), (Lines{"", "NOTIF -/- B", "NOTIF -/- B"}));
}

// The last programme of a channel may have no known end: it is still announced,
// through the template like every other, and its end shows as "?".
TEST_F(RemindersTest, AnEntryWithoutAKnownEndIsAnnouncedAndShaped) {
  h.settings.OutStrFormat = "%s %b-%e";
  Open(-1);
  h.SetResults({{"2024.03.05 11:50 A[Tu]first", At(-10), 0, 0}});
  EXPECT_EQ(Ticks(2), (Lines{"", "NOTIF A 11:50-?"}));
}

// However the counts of a list disagree, a tick looks at each entry once.
TEST_F(RemindersTest, ATickNeverLoopsRoundTheList) {
  Open(-1);
  h.platform.PassTime(5000);
  TShow& list = Probe(h.plugin).ReminderList();
  ASSERT_EQ(list.Count(), 3);
  for (ShowEntry& e : list.Entries) e.toAnnounce = false;
  list.Pending = 5;
  EXPECT_EQ(Ticks(1), Lines{""});
}

TEST_F(RemindersTest, BeatSaysWhyItCannotRemind) {
  Open(-1);
  struct Case {
    std::function<void()> arrange;
    Lines events;
    Lines boxes;
  };
  const Case cases[] = {
      {[&] { h.Command("REMINDOFF"); }, {"MESS Reminders are off"}, {}},
      {[&] { Probe(h.plugin).State().databaseOutdated = true; }, {"MESS Old guide"}, {}},
      {[&] { Probe(h.plugin).State().resultsStale = true; },
       {},
       {"Need research. Push search button      "}},
      {[&] { h.SetResults({}); }, {"MESS Nothing due"}, {}},
      {[] {}, {"NOTIF -/- A"}, {}},
  };
  for (const Case& c : cases) {
    h.Command("REMINDON");
    Probe(h.plugin).State().databaseOutdated = false;
    Probe(h.plugin).State().resultsStale = false;
    c.arrange();
    h.platform.ClearCalls();
    h.Command("BEAT");
    EXPECT_EQ(h.Events(), c.events);
    EXPECT_EQ(h.BoxTexts(), c.boxes);
    h.SetResults({{"2024.03.05 11:50 A[Tu]first", At(-10), At(20), 0}});
  }
}

TEST_F(RemindersTest, AnOutdatedGuideIsSearchedAgainAfterTenMinutes) {
  h.settings.Remind = false;  // the search-update timer stays at 5 s
  Open(-1);
  Probe(h.plugin).State().databaseOutdated = true;
  h.platform.PassTime(600000);  // 120 ticks count 600 seconds
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.run.Started(), 1);  // only the search of Open
  h.platform.PassTime(5000);      // the 121st
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.run.Started(), 2);
}

TEST_F(RemindersTest, TheUntilBrowserWalksTheDueEntries) {
  h.settings.UntilMinutes = 60;
  Open(-1);
  auto custom = [&](int minutes) {
    testing::FakeRecord r;
    r.kind = 2;
    r.flag = 1;
    r.command = "CUSTOMSHOWUNTILNEXT";
    r.param = minutes;
    h.Send(r);
  };
  struct Step {
    std::function<void()> act;
    const char* event;
  };
  auto command = [&](const char* text) { return [&, text] { h.Command(text); }; };
  const Step steps[] = {
      {command("SHOWUNTILNEXT"), "USER 1/3 A"},
      {command("SHOWUNTILNEXT"), "USER 2/3 B"},
      {command("SHOWUNTILNEXT"), "USER 3/3 C"},
      {command("SHOWUNTILBACK"), "USER 2/3 B"},
      {command("SHOWUNTILBACK"), "USER 1/3 A"},
      {command("SHOWUNTILBACK"), "USER 1/3 A"},
      {command("SHOWUNTILNEXT"), "USER 2/3 B"},
      {command("SHOWUNTILCURENT"), "USER 2/3 B"},
      {command("FINALUNTILINDEX"), ""},
      {command("SHOWUNTILNEXT"), "USER 3/3 C"},
      {command("SHOWUNTILNEXT"), "MESS End"},
      {command("SHOWUNTILNEXT"), "USER 1/3 A"},  // built anew
      {command("RESETUNTILINDEX"), ""},
      {command("SHOWUNTILNEXT"), "USER 1/3 A"},
      // Emptied while browsing (as a search run does): the end, then a new build.
      {command("RESETUNTILPROGR"), ""},
      {command("SHOWUNTILNEXT"), "MESS End"},
      {[&] { custom(30); }, "USER 1/2 A"},
      // Other minutes take effect at the next build only.
      {[&] { custom(120); }, "USER 2/2 B"},
      {[&] { custom(120); }, "MESS End"},
      {[&] { custom(120); }, "USER 1/3 A"},
  };
  int n = 0;
  for (const Step& step : steps) {
    h.platform.ClearCalls();
    step.act();
    EXPECT_EQ(h.Events(), *step.event ? Lines{step.event} : Lines{}) << "step " << n;
    ++n;
  }
}

}  // namespace
}  // namespace kolvar
