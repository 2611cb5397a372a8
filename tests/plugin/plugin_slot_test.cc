// A host may call Close from inside any message the plug-in sends it, while the
// plug-in's code is still on the stack below. Run under AddressSanitizer, these
// show that nothing of the plug-in is used after it is gone and that nothing more
// reaches the host once it has closed.
#include "plugin/plugin_slot.h"

#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "support/plugin_harness.h"

namespace kolvar {
namespace {

using testing::FakeRecord;
using testing::PluginHarness;
using testing::Probe;
using testing::Recorded;

class PluginSlotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    h.settings.MessRemindOff = "Reminders off";
    h.settings.MessSearchStarting = "Searching";
    h.settings.MessSearchComplete = "Done";
    h.settings.RemindStatusShowing = true;
    ASSERT_EQ(WriteSettings(h.folder.Path(kSettingsFileName), h.settings), 1);
    PluginSlot::Frame frame(slot);
    Plugin* plugin = slot.Create(h.platform);
    ASSERT_NE(plugin, nullptr);
    plugin->Open(0x77);
  }

  // The exports' Close and ActionManual.
  void Close() {
    PluginSlot::Frame frame(slot);
    slot.Close();
  }
  void Command(const std::string& text) {
    PluginSlot::Frame frame(slot);
    if (Plugin* plugin = slot.Current()) {
      FakeRecord record;
      record.kind = 1;
      record.command = text;
      plugin->ActionManual(record, 7);
    }
  }

  // The host closes from inside the first message of the kind; the number of
  // calls that had reached it then is kept.
  void CloseInside(const std::string& kind) {
    h.platform.SetEventHandler([this, kind](const HostEvent& event) {
      if (event.kind != kind || callsAtClose_ >= 0) return;
      callsAtClose_ = static_cast<int>(h.platform.Calls().size());
      Close();
      EXPECT_FALSE(slot.Current());
    });
  }

  // Serves the window thread while the condition holds (at most 5 s).
  template <typename Condition>
  void ServeWhile(Condition condition) {
    for (int i = 0; i < 5000 && condition(); ++i) {
      h.platform.RunPosted();
      h.platform.WaitForPosted(1);
    }
  }
  bool WaitGone() {
    ServeWhile([this] { return slot.Occupied(); });
    return !slot.Occupied();
  }

  void ExpectClosedQuietly() {
    ASSERT_TRUE(WaitGone());
    ASSERT_GE(callsAtClose_, 0);
    auto calls = h.platform.Calls();
    // Since the close: the window hidden and destroyed, nothing for the host.
    ASSERT_EQ(calls.size(), static_cast<std::size_t>(callsAtClose_) + 2);
    EXPECT_EQ(calls[callsAtClose_].text, "hide");
    EXPECT_EQ(calls[callsAtClose_ + 1].text, "destroy");
    EXPECT_FALSE(h.platform.WindowExists());
  }

  PluginHarness h;  // the folder, settings and platform; its own plug-in stays shut
  PluginSlot slot;
  int callsAtClose_ = -1;
};

TEST_F(PluginSlotTest, CloseInsideACommandsOwnMessage) {
  ServeWhile(
      [this] { return Probe(*slot.Current()).Search().Running(); });  // the first search ends
  CloseInside("MESS");
  Command("REMINDOFF");  // its reply would come after the message: it never does
  ExpectClosedQuietly();
}

TEST_F(PluginSlotTest, CloseInsideTheCompletionMessage) {
  CloseInside("SEARCHSTATUS:COMPLETE");
  ExpectClosedQuietly();
}

TEST_F(PluginSlotTest, CloseInsideAHandOverOfARunningSearch) {
  CloseInside("SEARCHSTATUS:RUNNING");
  ExpectClosedQuietly();
}

// Close then Open from inside a message: the Open is carried out once the closing
// plug-in is gone, and the host's later commands are answered by the new one.
TEST_F(PluginSlotTest, CloseAndOpenInsideAMessageLeaveAnOpenPlugin) {
  ServeWhile([this] { return Probe(*slot.Current()).Search().Running(); });
  int prepared = 0, opened = 0;
  h.platform.SetEventHandler([&](const HostEvent& event) {
    if (event.kind != "MESS" || callsAtClose_ >= 0) return;
    callsAtClose_ = 0;
    Close();
    slot.Open(
        h.platform, 0x77, [&prepared](Plugin&) { ++prepared; }, [&opened] { ++opened; });
    EXPECT_FALSE(slot.Current());
  });
  Command("REMINDOFF");
  ASSERT_NE(slot.Current(), nullptr);
  EXPECT_EQ(prepared, 1);
  EXPECT_EQ(opened, 1);
  h.platform.ClearCalls();
  Command("ABOUT");
  const auto calls = h.platform.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().kind, Recorded::Kind::kReply);
}

TEST_F(PluginSlotTest, ANewPluginOpensOnceTheOldOneIsGone) {
  Close();
  EXPECT_FALSE(slot.Occupied());
  PluginSlot::Frame frame(slot);
  Plugin* again = slot.Create(h.platform);
  ASSERT_NE(again, nullptr);
  again->Open(0x77);
  EXPECT_EQ(slot.Current(), again);
}

}  // namespace
}  // namespace kolvar
