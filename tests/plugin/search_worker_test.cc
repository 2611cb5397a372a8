// The search worker driven through the plug-in's commands, with a scripted run:
// freeze, resume, abort, abandon and close in the orders a host can produce.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>

#include "jtv_writer.h"
#include "plugin/host_channel.h"
#include "support/plugin_harness.h"

namespace kolvar {
namespace {

using testing::FakeRecord;

using testing::PluginHarness;
using testing::Probe;

bool AllLinesFromRun(const TFindStruct& results, int run) {
  for (const auto& result : results) {
    if (result.line != "run " + std::to_string(run)) return false;
  }
  return true;
}

class WorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    h.Open();  // starts run 1, which stays alive until released
    ASSERT_TRUE(h.run.WaitForSteps(h.platform, 3));
  }

  // Steps taken over a quiet while, serving the window thread meanwhile.
  int StepsDuring(int ms) {
    int before = h.run.Steps();
    h.Pump(ms);
    return h.run.Steps() - before;
  }

  PluginHarness h;
};

TEST_F(WorkerTest, FreezeStopsProgressUntilResumed) {
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 1);
  h.Command("FREEZESEARCH");
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 2);
  h.Pump(10);  // a step under way may still finish
  EXPECT_EQ(StepsDuring(40), 0);
  h.Command("FREEZESEARCH");
  h.Command("RESUMESEARCH");
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 1);
  EXPECT_GT(StepsDuring(40), 0);
  h.Command("RESUMESEARCH");  // nothing frozen: no effect
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 1);
}

TEST_F(WorkerTest, AbortDiscardsTheResultsAndTheRunNeverWritesAgain) {
  EXPECT_GT(Probe(h.plugin).State().ResultCount(), 0u);
  h.Command("ABORTSEARCH");
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 0);
  EXPECT_EQ(Probe(h.plugin).State().ResultCount(), 0u);
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Lines(), std::vector<std::string>{"-no results found"});
  h.Pump(30);
  EXPECT_EQ(Probe(h.plugin).State().ResultCount(), 0u);
  EXPECT_EQ(h.run.Finished(), 1);  // it left at its next check
  h.Command("ABORTSEARCH");        // nothing running
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 0);
}

TEST_F(WorkerTest, RefindDuringARunReplacesItWithAnAnnouncingRun) {
  h.Command("REFIND");
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 1);
  EXPECT_TRUE(Probe(h.plugin).LastSearchArgs().announce);
  ASSERT_TRUE(h.run.WaitForSteps(h.platform, h.run.Steps() + 5));
  EXPECT_EQ(h.run.Started(), 2);
  EXPECT_TRUE(AllLinesFromRun(Probe(h.plugin).Results(), 2));
}

TEST_F(WorkerTest, AFrozenRunIsAbandonedByTheNextSearch) {
  h.Command("FREEZESEARCH");
  FakeRecord find;
  find.kind = 2;
  find.command = "FINDIT";
  find.paramText = "News";
  ASSERT_EQ(h.Send(find).size(), 1u);
  EXPECT_TRUE(h.platform.CallsOf(testing::Recorded::Kind::kMessageBox).empty());
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 1);
  ASSERT_TRUE(h.run.WaitForSteps(h.platform, h.run.Steps() + 5));
  EXPECT_TRUE(AllLinesFromRun(Probe(h.plugin).Results(), 2));
  EXPECT_EQ(Probe(h.plugin).LastSearchArgs().keywords, std::vector<std::string>{"News"});
}

TEST_F(WorkerTest, TheRunGetsThePriorityOfTheSettings) {
  h.Command("ABORTSEARCH");
  Probe(h.plugin).Settings().Priority = -2;
  h.Command("REFIND");
  h.run.WaitForSteps(h.platform, h.run.Steps() + 1);
  EXPECT_EQ(h.platform.ThreadPriorities().back(), -2);
}

TEST_F(WorkerTest, AHostThatAbortsFromInsideTheRunsMessageIsServed) {
  h.run.SetHandOverEvery(1);
  bool aborted = false;
  h.platform.SetEventHandler([&](const HostEvent&) {
    if (!aborted) {
      aborted = true;
      EXPECT_EQ(h.Command("ABORTSEARCH"), 1);
    }
  });
  h.Pump(50);
  EXPECT_TRUE(aborted);
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 0);
  h.Pump(20);
  EXPECT_EQ(Probe(h.plugin).State().ResultCount(), 0u);
  EXPECT_EQ(h.run.Finished(), h.run.Started());
}

TEST_F(WorkerTest, AHandOverThatThrowsLetsTheRunGoOn) {
  h.run.SetHandOverEvery(1);
  h.platform.SetEventHandler([](const HostEvent&) { throw std::runtime_error("host failed"); });
  ASSERT_TRUE(h.platform.WaitForPosted(1000));
  EXPECT_THROW(h.platform.RunPosted(), std::runtime_error);
  h.platform.SetEventHandler({});
  EXPECT_GT(StepsDuring(40), 0);
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 1);
}

// Close must return whatever the worker is doing, and leave no run behind.
TEST(WorkerCloseTest, CloseInEveryWorkerState) {
  enum State { kRunning, kFrozen, kWaitingForHandOver, kAborted, kFinished };
  for (State state : {kRunning, kFrozen, kWaitingForHandOver, kAborted, kFinished}) {
    PluginHarness h;
    if (state == kWaitingForHandOver) h.run.SetHandOverEvery(1);
    if (state == kFinished) h.run.Release();
    h.Open();
    if (state == kWaitingForHandOver) {
      ASSERT_TRUE(h.platform.WaitForPosted(5000));  // not served: the run waits
    } else if (state != kFinished) {
      ASSERT_TRUE(h.run.WaitForSteps(h.platform, 2));
    }
    if (state == kFrozen) h.Command("FREEZESEARCH");
    if (state == kAborted) h.Command("ABORTSEARCH");
    if (state == kFinished) {
      ASSERT_TRUE(h.WaitIdle());
    }
    h.plugin.Close();
    EXPECT_EQ(h.run.Finished(), h.run.Started()) << "state " << state;
    EXPECT_FALSE(h.platform.WindowExists());
    EXPECT_EQ(h.platform.RunPosted(), 0) << "state " << state;
  }
}

// Thousands of commands in random order while runs are under way: no deadlock,
// no crash, no race (under ThreadSanitizer), and the status always agrees with
// what the runs are seen to do.
TEST(WorkerStressTest, RandomCommandSequencesKeepTheWorkerConsistent) {
  const char* const kCommands[] = {"REFIND",       "REFINDVIS",    "FREEZESEARCH", "RESUMESEARCH",
                                   "ABORTSEARCH",  "SEARCHSTATUS", "JOINFINDLIST", "FINDIT",
                                   "TOGGLESORTED", "CLOSEPREF"};
  std::mt19937 random(20261207);
  for (int round = 0; round < 20; ++round) {
    PluginHarness h;
    h.run.SetHandOverEvery(3);
    h.Open();
    for (int i = 0; i < 150; ++i) {
      const std::string command = kCommands[random() % std::size(kCommands)];
      if (command == "FINDIT") {
        FakeRecord find;
        find.kind = 2;
        find.command = command;
        find.paramText = "text";
        ASSERT_EQ(h.Send(find).size(), 1u);
      } else {
        h.Command(command);
      }
      if (random() % 4 == 0) h.Pump(static_cast<int>(random() % 3));

      long long status = h.Command("SEARCHSTATUS");
      ASSERT_EQ(status, Probe(h.plugin).Search().Running()
                            ? (Probe(h.plugin).Search().Frozen() ? 2 : 1)
                            : 0);
      if (status == 0 && random() % 8 == 0) {
        // Nothing runs: nothing may change the results.
        std::size_t count = Probe(h.plugin).State().ResultCount();
        h.Pump(2);
        if (!Probe(h.plugin).Search().Running()) {
          ASSERT_EQ(Probe(h.plugin).State().ResultCount(), count);
        }
      }
    }
    if (round % 2 == 0) h.run.Release();
    h.plugin.Close();
    ASSERT_EQ(h.run.Finished(), h.run.Started()) << "round " << round;
  }
}

// The same against real runs over a generated guide.
TEST(WorkerStressTest, RandomCommandsAgainstRealSearchRuns) {
  const char* const kCommands[] = {"REFIND",       "REFINDVIS",    "FREEZESEARCH",
                                   "RESUMESEARCH", "ABORTSEARCH",  "SEARCHSTATUS",
                                   "JOINFINDLIST", "TOGGLESORTED", "TOGGLEFULLSEARCH"};
  std::mt19937 random(7);
  PluginHarness h;
  h.WriteGuide(6, 2, 9);
  h.settings.Words = {"News", "Film", "Sport", "Weather", "Music@1", "Night&!Morning"};
  h.settings.WordCount = 6;
  h.Open();
  for (int i = 0; i < 600; ++i) {
    const std::string command = kCommands[random() % std::size(kCommands)];
    h.Command(command);
    if (random() % 3 == 0) h.Pump(static_cast<int>(random() % 3));
    // A run may end by itself between two looks, but never start or thaw.
    const bool runningBefore = Probe(h.plugin).Search().Running();
    const long long status = h.Command("SEARCHSTATUS");
    ASSERT_TRUE(status > 0 || !Probe(h.plugin).Search().Running());
    ASSERT_TRUE(status == 0 || runningBefore);
    ASSERT_TRUE(status != 2 ||
                (Probe(h.plugin).Search().Frozen() && Probe(h.plugin).Search().Running()));
  }
  h.Command("RESUMESEARCH");
  ASSERT_TRUE(h.WaitIdle(20000));
  h.Command("REFINDVIS");
  ASSERT_TRUE(h.WaitIdle(20000));
  EXPECT_GT(Probe(h.plugin).State().ResultCount(), 0u);
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Count(), Probe(h.plugin).State().ResultCount());
}

}  // namespace
}  // namespace kolvar
