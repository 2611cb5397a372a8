#include <gtest/gtest.h>

#include "plugin/host_channel.h"
#include "support/plugin_harness.h"

namespace kolvar {
namespace {

using testing::PluginHarness;
using testing::Recorded;

std::vector<std::string> EventKindsAndTexts(const testing::FakePlatform& platform) {
  std::vector<std::string> out;
  for (const auto& e : platform.CallsOf(Recorded::Kind::kEvent)) {
    out.push_back(e.event.kind + " " + e.text);
  }
  return out;
}

class SearchRunTest : public ::testing::Test {
 protected:
  SearchRunTest() {
    h.plugin.SetSearchRun([this](const SearchArgs& a, RunContext& c) { h.plugin.RunSearch(a, c); });
    TSettings& s = h.settings;
    s.MessSearchStarting = "Searching";
    s.MessSearchComplete = "Done";
    s.MessListCreate = "List ready";
    s.RepeatCount = 2;
    s.ChannelCount = 0;  // nothing checked: no word about the guide's age
  }
  PluginHarness h;
};

TEST_F(SearchRunTest, TellsTheHostItStartedAndCompleted) {
  h.Open();
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(
      EventKindsAndTexts(h.platform),
      (std::vector<std::string>{"SEARCHSTATUS:RUNNING Searching", "SEARCHSTATUS:COMPLETE Done"}));
  EXPECT_EQ(h.plugin.Form().Label1.Caption, "Find: 0 found");
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items, std::vector<std::string>{"-no results found"});
}

TEST_F(SearchRunTest, AnnouncingRunsSayTheListIsReady) {
  h.Open();
  ASSERT_TRUE(h.WaitIdle());
  h.platform.ClearCalls();
  h.Command("REFIND");
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(EventKindsAndTexts(h.platform),
            (std::vector<std::string>{"SEARCHSTATUS:RUNNING Searching", "MESS List ready",
                                      "SEARCHSTATUS:COMPLETE Done"}));
  EXPECT_EQ(h.plugin.NotifyCountdown(), 2);
}

TEST_F(SearchRunTest, InvisibleRunsLeaveTheWindowAlone) {
  h.settings.ShowInPref = false;
  h.Open();
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.plugin.Form().Label1.Caption, "Find:");
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items, std::vector<std::string>{kResultsNotShownNotice});
}

TEST_F(SearchRunTest, AnAbortedRunSendsNoCompletion) {
  h.Open();  // its first hand-over waits for the window thread, which is busy here
  h.Command("ABORTSEARCH");
  h.Pump(20);
  EXPECT_TRUE(EventKindsAndTexts(h.platform).empty());
}

}  // namespace
}  // namespace kolvar
