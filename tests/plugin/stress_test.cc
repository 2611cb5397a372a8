// Random sequences of host commands, window actions and timer ticks against real
// search runs over a generated guide, with a host that calls back from inside the
// messages it receives. After every step: one reply per call, the results'
// keyword indices valid, the settings file loadable; a watchdog fails a hang.
// KOLVAR_STRESS_SEQUENCES sets how many sequences run (a few by default).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

#include "jtv_writer.h"
#include "settings/settings_file.h"
#include "support/plugin_harness.h"

namespace kolvar {
namespace {

using testing::FakeRecord;
using testing::PluginHarness;
using testing::Probe;

// Ends the process when the steps stop moving: a deadlock must fail, not hang.
class Watchdog {
 public:
  explicit Watchdog(std::atomic<long>& progress)
      : progress_(progress), thread_([this] { Run(); }) {}
  ~Watchdog() {
    stop_ = true;
    thread_.join();
  }

 private:
  void Run() {
    long seen = -1;
    for (int quiet = 0; !stop_; std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
      if (progress_ != seen) {
        seen = progress_;
        quiet = 0;
      } else if (++quiet > 300) {
        std::fprintf(stderr, "stress: no progress for 30 s at step %ld\n", seen);
        std::abort();
      }
    }
  }

  std::atomic<long>& progress_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

void RunSequence(std::uint32_t seed, std::atomic<long>& progress) {
  PluginHarness h;
  h.WriteGuide(4, 1, 10, seed);
  h.settings.PreviewTime = 60;
  h.settings.RepeatCount = 2;
  h.settings.RemindStatusShowing = true;
  h.settings.Words = {"News", "Film", "Sport&!Night"};
  h.settings.WordCount = 3;
  std::mt19937 random(seed);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  // A host that now and then answers from inside a message.
  h.platform.SetEventHandler([&](const HostEvent&) {
    static const char* const kInner[] = {"SEARCHSTATUS", "UNDERSTOOD", "ABORTSEARCH",
                                         "SHOWUNTILNEXT", "REMINDSTATUS"};
    if (pick(4) == 0) h.Command(kInner[pick(5)]);
  });
  h.Open();

  static const char* const kCommands[] = {"UNDERSTOOD",
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
                                          "TOGGLEFULLSEARCH",
                                          "TOGGLESORTED",
                                          "CLOSEPREF",
                                          "JOINFINDLIST",
                                          "HANDLE",
                                          "SORTEDSTATUS",
                                          "SEARCHSTATUS",
                                          "unknown"};
  FormPref& form = h.plugin.Form();
  for (int step = 0; step < 60; ++step) {
    ++progress;
    switch (pick(6)) {
      case 0:
      case 1:
        h.Command(kCommands[pick(static_cast<int>(std::size(kCommands)))]);
        break;
      case 2: {
        FakeRecord r;
        r.kind = 2;
        r.flag = pick(2);
        r.command = r.flag ? "CUSTOMSHOWUNTILNEXT" : "FINDIT";
        r.param = pick(200);
        r.paramText = "news";
        EXPECT_EQ(h.Send(r).size(), 1u);
        break;
      }
      case 3:
        h.platform.PassTime(1000 * (1 + pick(30)));
        break;
      case 4: {
        static const char* const kWords[] = {"Film", "Weather", " blank", "Show@2", "News"};
        form.EditFindStr.Text = kWords[pick(5)];
        form.ListBoxWords.SetItemIndex(pick(form.ListBoxWords.Count() + 1) - 1);
        switch (pick(6)) {
          case 0:
            Probe(h.plugin).Keywords().AddKeyword();
            break;
          case 1:
            Probe(h.plugin).Keywords().ModifyKeyword();
            break;
          case 2:
            Probe(h.plugin).Keywords().DeleteKeyword();
            break;
          case 3:
            Probe(h.plugin).Keywords().Sortlist1Click();
            break;
          case 4:
            Probe(h.plugin).ResultList().NowShowing();
            break;
          default:
            Probe(h.plugin).ResultList().SearchAllKeywords();
            break;
        }
        break;
      }
      default:
        Probe(h.plugin).Window().SavePreferences();
        TSettings saved;
        EXPECT_EQ(LoadSettings(h.folder.Path(kSettingsFileName), saved), 1);
        break;
    }
    h.Pump(pick(3));
    if (Probe(h.plugin).State().resultsFromKeywordList) {
      const auto keywords =
          static_cast<std::int32_t>(Probe(h.plugin).State().searchKeywordList.size());
      for (const FoundProgramme& r : Probe(h.plugin).Results()) {
        ASSERT_TRUE(r.keywordIndex >= -1 && r.keywordIndex < keywords)
            << "seed " << seed << " step " << step << " index " << r.keywordIndex << " of "
            << keywords << " line " << r.line.Text() << " running "
            << Probe(h.plugin).Search().Running() << " last "
            << Probe(h.plugin).LastSearchArgs().keywords.size() << " words "
            << Probe(h.plugin).Settings().Words.size();
      }
    }
  }
  h.Command("RESUMESEARCH");
  EXPECT_TRUE(h.WaitIdle(20000));
}

TEST(StressTest, RandomSequencesOfEverythingKeepThePlugInSound) {
  const char* wanted = std::getenv("KOLVAR_STRESS_SEQUENCES");
  const int sequences = wanted ? std::atoi(wanted) : 8;
  std::atomic<long> progress{0};
  Watchdog watchdog(progress);
  for (int s = 0; s < sequences; ++s) {
    RunSequence(static_cast<std::uint32_t>(s + 1), progress);
    if (::testing::Test::HasFailure()) break;
  }
}

}  // namespace
}  // namespace kolvar
