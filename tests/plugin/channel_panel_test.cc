// The channel list's handlers through the plug-in, on a guide folder of the test.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/file_io.h"
#include "settings/settings_file.h"
#include "support/plugin_harness.h"

namespace kolvar {
namespace {

using testing::PluginHarness;
using testing::Probe;
using testing::Recorded;
using Names = std::vector<std::string>;

std::vector<std::string> Boxes(const testing::FakePlatform& platform) {
  std::vector<std::string> out;
  for (const auto& b : platform.CallsOf(Recorded::Kind::kMessageBox)) {
    out.push_back(b.text + "|" + std::to_string(b.value));
  }
  return out;
}

class ChannelHandlersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    h.run.Release();
    for (const char* name : {"second.ndx", "Third.NDX"}) {
      ASSERT_TRUE(WriteFileAtomic(h.folder.Path(name), "x"));
    }
    h.settings.Channels = {"FIRST.ndx", "third.ndx"};
    h.settings.ChannelCount = 2;
    h.settings.TimeShifts = {"first.ndx#-90", "third.NDX#oops", "xsecond.ndx#60"};
    h.settings.TimeShiftCount = 3;
    h.Open();
    ASSERT_TRUE(h.WaitIdle());
    h.platform.ClearCalls();
  }

  CheckListBox& Files() { return h.plugin.Form().CheckListBoxFiles; }
  SpinEdit& Shift() { return h.plugin.Form().SpinEditTimeShift; }

  PluginHarness h;
};

TEST_F(ChannelHandlersTest, OpenScansTheGuideFolder) {
  EXPECT_EQ(Files().Items(), (Names{"first.ndx", "second.ndx", "Third.NDX"}));
  EXPECT_EQ(Files().CheckMarks(), (std::vector<bool>{true, false, true}));
  EXPECT_EQ(h.plugin.Form().LabelNumberOfSelected.Caption, "2/3");
  EXPECT_FALSE(Probe(h.plugin).State().databaseOutdated);
}

TEST(ChannelOpenTest, AnEmptyGuideFolderIsReported) {
  PluginHarness h;
  h.run.Release();
  h.settings.Path = h.folder.Path("empty\\");
  h.Open();
  EXPECT_EQ(Boxes(h.platform), Names{"JTV files not found      |0"});
  EXPECT_TRUE(Probe(h.plugin).State().initialised);
  EXPECT_EQ(h.plugin.Form().LabelNumberOfSelected.Caption, "0/0");
}

TEST_F(ChannelHandlersTest, TheTimeShiftBoxFollowsTheSelectedChannel) {
  Files().SetItemIndex(1);  // unchecked
  Probe(h.plugin).Channels().CheckListBoxFilesClick();
  EXPECT_FALSE(Shift().Enabled);
  Files().SetItemIndex(0);
  Probe(h.plugin).Channels().CheckListBoxFilesClick();
  EXPECT_TRUE(Shift().Enabled);
  EXPECT_EQ(Shift().Value(), -90);
  Shift().StepDown();
  EXPECT_EQ(Probe(h.plugin).Settings().TimeShifts[0], "first.ndx#-120");
  EXPECT_TRUE(Probe(h.plugin).State().resultsStale);
  for (int i = 0; i < 100; ++i) Shift().StepDown();
  EXPECT_EQ(Shift().Value(), -1440);
  EXPECT_EQ(Probe(h.plugin).Settings().TimeShifts[0], "first.ndx#-1440");
  // An entry whose number cannot be read shows 0 and stays as the user wrote it;
  // written in another letter case, it is still the channel's own.
  Probe(h.plugin).Channels().CheckListBoxFilesMouseDown(true, 2);
  EXPECT_EQ(Files().ItemIndex(), 2);
  EXPECT_EQ(Shift().Value(), 0);
  EXPECT_EQ(Probe(h.plugin).Settings().TimeShifts[1], "third.NDX#oops");
  EXPECT_EQ(Probe(h.plugin).Settings().TimeShiftCount, 3);
  // A left press leaves the selection alone.
  Probe(h.plugin).Channels().CheckListBoxFilesMouseDown(false, 0);
  EXPECT_EQ(Files().ItemIndex(), 2);
}

TEST_F(ChannelHandlersTest, AChannelWithoutEntryGetsOneWhenTheBoxShowedAnotherValue) {
  Files().SetChecked(1, true);
  Files().SetItemIndex(0);
  Probe(h.plugin).Channels().CheckListBoxFilesClick();  // shows -90
  Files().SetItemIndex(1);
  // xsecond.ndx's entry is not second.ndx's: 0, which differs, so it is stored.
  Probe(h.plugin).Channels().CheckListBoxFilesClick();
  EXPECT_EQ(Shift().Value(), 0);
  EXPECT_EQ(Probe(h.plugin).Settings().TimeShifts,
            (Names{"first.ndx#-90", "third.NDX#oops", "xsecond.ndx#60", "second.ndx#0"}));
  Shift().StepUp();
  EXPECT_EQ(Probe(h.plugin).Settings().TimeShifts,
            (Names{"first.ndx#-90", "third.NDX#oops", "xsecond.ndx#60", "second.ndx#30"}));
  EXPECT_EQ(Probe(h.plugin).Settings().TimeShiftCount, 4);
}

TEST_F(ChannelHandlersTest, CheckMarksCountAndPersist) {
  Files().SetChecked(1, true);
  Probe(h.plugin).Channels().CheckListBoxFilesClickCheck();
  EXPECT_EQ(h.plugin.Form().LabelNumberOfSelected.Caption, "3/3");
  EXPECT_EQ(Probe(h.plugin).Settings().Channels, (Names{"first.ndx", "second.ndx", "Third.NDX"}));
  EXPECT_TRUE(Probe(h.plugin).State().resultsStale);
}

TEST(ChannelMenuTest, CheckAllMarksTheResultsStaleUncheckAllDoesNot) {
  PluginHarness h;
  h.run.Release();
  h.Open();
  h.WaitIdle();
  Probe(h.plugin).Channels().UncheckAll1Click();
  EXPECT_EQ(h.plugin.Form().LabelNumberOfSelected.Caption, "0/1");
  EXPECT_FALSE(Probe(h.plugin).State().resultsStale);
  Probe(h.plugin).Channels().CheckAll1Click();
  EXPECT_EQ(h.plugin.Form().LabelNumberOfSelected.Caption, "1/1");
  EXPECT_TRUE(Probe(h.plugin).State().resultsStale);
  EXPECT_EQ(Probe(h.plugin).Settings().Channels, Names{"first.ndx"});  // untouched
}

TEST_F(ChannelHandlersTest, CheckedOnlyFiltersAndRestores) {
  Probe(h.plugin).Channels().CheckedOnlyClick();
  EXPECT_TRUE(Probe(h.plugin).CheckedOnlyMenuChecked());
  EXPECT_EQ(Files().Items(), (Names{"first.ndx", "Third.NDX"}));
  Probe(h.plugin).Channels().CheckListBoxFilesDblClick();
  EXPECT_FALSE(Probe(h.plugin).CheckedOnlyMenuChecked());
  EXPECT_EQ(Files().Items(), (Names{"first.ndx", "second.ndx", "Third.NDX"}));
  // With nothing checked the filter empties the list; again restores it.
  Probe(h.plugin).Channels().UncheckAll1Click();
  Probe(h.plugin).Channels().CheckedOnlyClick();
  EXPECT_EQ(Files().Count(), 0);
  Probe(h.plugin).Channels().CheckedOnlyClick();
  EXPECT_EQ(Files().Count(), 3);
}

// The filter switched off lists every channel again: the one the user had
// selected stays selected, wherever it now stands.
TEST_F(ChannelHandlersTest, CheckedOnlyOffKeepsTheSelectedChannel) {
  Probe(h.plugin).Channels().CheckedOnlyClick();
  Files().SetItemIndex(1);  // "Third.NDX", second of the checked
  Probe(h.plugin).Channels().CheckListBoxFilesClick();
  Probe(h.plugin).Channels().CheckedOnlyClick();
  EXPECT_EQ(Files().CurrentText(), "Third.NDX");
  EXPECT_TRUE(Shift().Enabled);
}

TEST_F(ChannelHandlersTest, ShowCheckedList) {
  Probe(h.plugin).Channels().ShowCheckedList1Click();
  Probe(h.plugin).Channels().UncheckAll1Click();
  Probe(h.plugin).Channels().ShowCheckedList1Click();
  EXPECT_EQ(Boxes(h.platform),
            (Names{"  1. first.ndx\n  2. Third.NDX      |0", "nothing to show      |64"}));
}

TEST_F(ChannelHandlersTest, ATypedFolderIsScannedOnEnter) {
  const std::string typed = h.folder.Path("sub");
  std::filesystem::create_directory(ToNativePath(typed));
  ASSERT_TRUE(WriteFileAtomic(typed + "\\only.ndx", "x"));
  h.plugin.Form().Label1.Caption = "Find: 7 found";
  h.plugin.Form().EditFolderPath.Text = typed;
  Probe(h.plugin).Channels().EditFolderPathKeyPress('s');
  Probe(h.plugin).Channels().EditFolderPathKeyPress('\r');
  EXPECT_EQ(h.plugin.Form().EditFolderPath.Text, typed + "\\");
  EXPECT_EQ(Probe(h.plugin).Settings().Path, typed + "\\");
  EXPECT_EQ(Files().Items(), Names{"only.ndx"});
  // The old folder's count says nothing of the new one.
  EXPECT_EQ(h.plugin.Form().Label1.Caption, "Find:");
  EXPECT_TRUE(h.platform.CallsOf(Recorded::Kind::kDialog).empty());
  EXPECT_TRUE(Probe(h.plugin).State().resultsStale);
}

TEST_F(ChannelHandlersTest, SelectFolderAlwaysAsksWithTheDialog) {
  h.plugin.Form().EditFolderPath.Text = "typed but not entered";
  Probe(h.plugin).Channels().EditFolderPathKeyPress('d');
  h.platform.QueueDialogAnswer(std::nullopt);  // cancelled: nothing changes
  Probe(h.plugin).Channels().SelectFolder1Click();
  EXPECT_EQ(Files().Count(), 3);
  EXPECT_EQ(Probe(h.plugin).Settings().Path, h.folder.Folder());

  const std::string empty = h.folder.Path("empty");
  std::filesystem::create_directory(ToNativePath(empty));
  h.platform.QueueDialogAnswer(empty + "\\some.pdt");
  Probe(h.plugin).Channels().SelectFolder1Click();
  auto dialogs = h.platform.CallsOf(Recorded::Kind::kDialog);
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0].text, "*.ndx, *.pdt|*.NDX;*.PDT");
  // It opens where the guide is.
  EXPECT_EQ(dialogs[0].folder, h.folder.Folder());
  EXPECT_EQ(Probe(h.plugin).Settings().Path, empty + "\\");
  EXPECT_EQ(h.plugin.Form().EditFolderPath.Text, empty + "\\");
  EXPECT_EQ(Boxes(h.platform), Names{"JTV files not found      |64"});
}

// A guide on a drive that is not there (a network drive not mounted) lists no
// channels; the user's choice must survive a Save until the drive is back.
TEST(ChannelChoiceTest, ChannelsTheFolderDidNotListStaySavedUntilAnotherFolderIsChosen) {
  PluginHarness h;
  h.run.Release();
  const std::string drive = h.folder.Path("drive");
  h.settings.Path = drive + "\\";
  h.settings.Channels = {"a.ndx", "b.ndx"};
  h.settings.ChannelCount = 2;
  h.Open();
  ASSERT_TRUE(h.WaitIdle());
  auto& channels = Probe(h.plugin).Channels();
  CheckListBox& files = h.plugin.Form().CheckListBoxFiles;
  auto saved = [&h] {
    Probe(h.plugin).Window().SavePreferences();
    TSettings s;
    EXPECT_EQ(LoadSettings(h.folder.Path(kSettingsFileName), s), 1);
    return s.Channels;
  };
  EXPECT_EQ(saved(), (Names{"a.ndx", "b.ndx"}));

  // The drive is back with a and c: a is checked, b (still missing) stays saved.
  std::filesystem::create_directory(ToNativePath(drive));
  for (const char* name : {"A.NDX", "c.ndx"})
    ASSERT_TRUE(WriteFileAtomic(drive + "\\" + name, "x"));
  h.plugin.Form().EditFolderPath.Text = drive;
  channels.EditFolderPathKeyPress('\r');
  EXPECT_EQ(files.CheckMarks(), (std::vector<bool>{true, false}));
  files.SetChecked(1, true);
  channels.CheckListBoxFilesClickCheck();
  EXPECT_EQ(Probe(h.plugin).Settings().Channels, (Names{"A.NDX", "c.ndx", "b.ndx"}));
  // Unchecking a listed channel removes it; the filter hides, it does not unlist.
  files.SetChecked(0, false);
  channels.CheckListBoxFilesClickCheck();
  channels.CheckedOnlyClick();
  EXPECT_EQ(saved(), (Names{"c.ndx", "b.ndx"}));

  // Another folder: the old choice means nothing there.
  const std::string other = h.folder.Path("other");
  std::filesystem::create_directory(ToNativePath(other));
  ASSERT_TRUE(WriteFileAtomic(other + "\\d.ndx", "x"));
  h.plugin.Form().EditFolderPath.Text = other;
  channels.EditFolderPathKeyPress('\r');
  files.SetChecked(0, true);
  channels.CheckListBoxFilesClickCheck();
  EXPECT_EQ(saved(), Names{"d.ndx"});
  // Every channel unchecked: none comes back checked after a Save.
  files.SetChecked(0, false);
  channels.CheckListBoxFilesClickCheck();
  EXPECT_EQ(saved(), Names{});
}

TEST_F(ChannelHandlersTest, ShowSelectedChannelSearchesItAlone) {
  Probe(h.plugin).Channels().ShowSelectedChannelClick();
  EXPECT_EQ(Probe(h.plugin).LastSearchArgs().keywords, Names{"["});
  EXPECT_TRUE(Probe(h.plugin).LastSearchArgs().selectedOnly);
  EXPECT_TRUE(Probe(h.plugin).LastSearchArgs().visible);
  EXPECT_FALSE(Probe(h.plugin).LastSearchArgs().announce);
}

TEST(ChannelSearchTest, ShowSelectedChannelAsksBeforeAbortingARunningSearch) {
  PluginHarness h;
  h.Open();  // its run stays alive
  ASSERT_TRUE(h.run.WaitForSteps(h.platform, 1));
  h.platform.QueueMessageBoxAnswer(kAnswerNo);
  Probe(h.plugin).Channels().ShowSelectedChannelClick();
  EXPECT_EQ(h.run.Started(), 1);
  EXPECT_TRUE(Probe(h.plugin).Search().Running());
  h.platform.QueueMessageBoxAnswer(kAnswerYes);
  Probe(h.plugin).Channels().ShowSelectedChannelClick();
  EXPECT_TRUE(Probe(h.plugin).LastSearchArgs().selectedOnly);
  EXPECT_EQ(Boxes(h.platform), (Names{"Search already running. Abort?      |36",
                                      "Search already running. Abort?      |36"}));
}

}  // namespace
}  // namespace kolvar
