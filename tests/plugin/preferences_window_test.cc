// The preferences window's Save button, with the fake clock at Tuesday 5 March
// 2024, 12:00.
#include "plugin/preferences_window.h"

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "settings/settings_file.h"
#include "support/failing_file_system.h"
#include "support/plugin_harness.h"

namespace kolvar {
namespace {

using testing::PluginHarness;
using testing::Probe;
using Lines = std::vector<std::string>;

class PreferencesWindowTest : public ::testing::Test {
 protected:
  void OpenAndWait() {
    h.run.Release();
    h.Open();
    ASSERT_TRUE(h.WaitIdle());
  }

  PluginHarness h;
};

TEST_F(PreferencesWindowTest, SaveWritesWhatTheWindowShows) {
  h.settings.TimeShifts = {"first.ndx#0", "b.ndx#-30", "c.ndx#10", "d.ndx#0"};
  h.settings.TimeShiftCount = 3;
  OpenAndWait();
  FormPref& f = h.plugin.Form();
  f.CheckBoxSorted.SetChecked(false);
  f.SpinEditNotiseDelay.SetValue(9);
  f.SpinEditSearchMod.SetValue(2);
  f.ListBoxWords.Add("Sport");
  Probe(h.plugin).Window().SavePreferences();
  TSettings saved;
  ASSERT_EQ(LoadSettings(h.folder.Path(kSettingsFileName), saved), 1);
  EXPECT_FALSE(saved.Sorted);
  EXPECT_EQ(saved.NotiseDelay, 9);
  EXPECT_EQ(saved.FindMode, 2);
  EXPECT_EQ(saved.Words, (Lines{"News", "Film", "Sport"}));
  EXPECT_EQ(saved.TimeShifts, (Lines{"b.ndx#-30", "c.ndx#10"}));
  EXPECT_EQ(saved.Channels, Lines{"first.ndx"});
  EXPECT_TRUE(Probe(h.plugin).State().resultsStale);  // saving starts no search
  EXPECT_TRUE(h.BoxTexts().empty());
}

TEST_F(PreferencesWindowTest, AFailedSaveIsReportedWithTheFileAndKeepsTheOldOne) {
  OpenAndWait();
  const std::string file = h.folder.Path(kSettingsFileName);
  h.plugin.Form().ListBoxWords.Add("Sport");
  {
    testing::FailingFileSystem full({.failWrite = 1});
    ScopedFileSystem scope(full);
    Probe(h.plugin).Window().SavePreferences();
  }
  EXPECT_EQ(h.BoxTexts(), Lines{"The settings could not be saved to " + file +
                                ": no space left on device      "});
  TSettings kept;
  ASSERT_EQ(LoadSettings(file, kept), 1);
  EXPECT_EQ(kept.Words, (Lines{"News", "Film"}));
}

// A plug-in whose settings did not load has an empty record: saving it would
// wipe the user's keywords, channels and texts.
TEST(SaveAfterLoadErrorTest, SettingsThatDidNotLoadAreNeverWritten) {
  const std::string good = SettingsText(PluginHarness().settings);
  auto replaced = [&good](const std::string& from, const std::string& to) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const std::optional<std::string> files[] = {
      replaced("BeatDelay = 1", "BeatDelay = 0"), "\xEF\xBB\xBF" + good,
      replaced("[Time Shifts]", "[Time shifts]"),
      std::nullopt,  // no file at all
  };
  for (const auto& before : files) {
    PluginHarness h;
    const std::string file = h.folder.Path(kSettingsFileName);
    if (before) {
      ASSERT_TRUE(WriteFileAtomic(file, *before));
    }
    h.plugin.Open(0x1234);
    h.plugin.Setup();
    h.plugin.Form().ListBoxWords.Add("Sport");
    Probe(h.plugin).Window().SavePreferences();
    EXPECT_EQ(ReadWholeFile(file), before);
    const Lines boxes = h.BoxTexts();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].substr(0, 12), "Load Error\r\n");
    EXPECT_EQ(boxes[1],
              "The settings file did not load, so it is not saved: correct it, then reopen the "
              "plug-in.      ");
  }
}

}  // namespace
}  // namespace kolvar
