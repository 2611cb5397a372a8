#include "plugin/plugin.h"

#include <gtest/gtest.h>

#include <string>

#include <filesystem>

#include "base/file_io.h"
#include "settings/settings_file.h"
#include "support/fake_platform.h"
#include "support/plugin_harness.h"

namespace kolvar {
namespace {

using testing::FakeRecord;

using testing::FakePlatform;
using testing::Probe;
using testing::Recorded;
using Kind = Recorded::Kind;

constexpr WindowHandle kHost = 0x1234;

std::vector<std::string> BoxTexts(const FakePlatform& platform) {
  std::vector<std::string> texts;
  for (const auto& box : platform.CallsOf(Kind::kMessageBox)) texts.push_back(box.text);
  return texts;
}

// Each box's first line, without the blanks every box text ends in.
std::vector<std::string> BoxHeads(const FakePlatform& platform) {
  std::vector<std::string> heads;
  for (std::string text : BoxTexts(platform)) {
    text = text.substr(0, text.find('\r'));
    heads.push_back(text.substr(0, text.find_last_not_of(' ') + 1));
  }
  return heads;
}

TEST(OpenTest, FindsThePluginFolderFromTheLoadedModule) {
  FakePlatform platform;
  Plugin plugin(platform);
  EXPECT_STREQ(plugin.Open(kHost), "Kestrimon Kolvar");
  EXPECT_EQ(platform.LastModuleQuery(), "Kolvar.dll");
  EXPECT_EQ(Probe(plugin).State().pluginFolder, "C:\\Host\\Plugins\\Kolvar\\");
  EXPECT_EQ(platform.HostWindow(), kHost);
  EXPECT_EQ(BoxHeads(platform), std::vector<std::string>{"Load Error"});  // no file there
}

TEST(OpenTest, CreatesTheWindowHiddenAsAToolWindow) {
  FakePlatform platform;
  Plugin plugin(platform);
  plugin.Open(kHost);
  EXPECT_TRUE(platform.WindowExists());
  EXPECT_FALSE(platform.WindowVisible());
  EXPECT_TRUE(platform.WindowIsToolWindow());
}

TEST(OpenTest, ModuleUnderAnotherNameFallsBackToTheHostsPluginFolder) {
  FakePlatform platform;
  platform.SetModuleFileName(std::nullopt);
  platform.SetHostExecutablePath("D:\\Apps\\Host\\host.exe");
  Plugin plugin(platform);
  EXPECT_STREQ(plugin.Open(kHost), "Kestrimon Kolvar");
  EXPECT_EQ(BoxHeads(platform),
            (std::vector<std::string>{"Can not get module handle", "Load Error"}));
  EXPECT_EQ(Probe(plugin).State().pluginFolder, "D:\\Apps\\Host\\Plugins\\Kolvar\\");
}

TEST(OpenTest, UnusableModuleFileNamesFallBackToo) {
  struct Case {
    std::string fileName;
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {"", {"Can not get module filename", "Load Error"}},
      {"K", {"Can not get module filename", "Load Error"}},
      {"Kolvar.dll", {"Load Error"}},  // no folder in the name
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    platform.SetModuleFileName(c.fileName);
    Plugin plugin(platform);
    EXPECT_STREQ(plugin.Open(kHost), "Kestrimon Kolvar");
    EXPECT_EQ(BoxHeads(platform), c.boxes) << c.fileName;
    EXPECT_EQ(Probe(plugin).State().pluginFolder, "C:\\Host\\Plugins\\Kolvar\\") << c.fileName;
  }
}

TEST(OpenTest, TheBoxIsShownAfterTheWindowExistsSoTheWindowCanOwnIt) {
  FakePlatform platform;
  platform.SetModuleFileName(std::nullopt);
  Plugin plugin(platform);
  plugin.Open(kHost);
  auto calls = platform.Calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0].kind, Kind::kWindow);
  EXPECT_EQ(calls[0].text, "create");
  EXPECT_EQ(calls[1].kind, Kind::kMessageBox);
}

TEST(ShowMessageBoxTest, CaptionTrailingBlanksStyleAndAnswer) {
  FakePlatform platform;
  Plugin plugin(platform);
  platform.QueueMessageBoxAnswer(kAnswerYes);
  EXPECT_EQ(Probe(plugin).Host().ShowMessageBox("Delete?", kBoxQuestionYesNo), kAnswerYes);
  EXPECT_EQ(Probe(plugin).Host().ShowMessageBox("", kBoxInformation), kAnswerOk);
  auto boxes = platform.CallsOf(Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Delete?      ");
  EXPECT_EQ(boxes[0].caption, "Kolvar programm");
  EXPECT_EQ(boxes[0].value, 36);
  EXPECT_EQ(boxes[1].text, "      ");
  EXPECT_EQ(boxes[1].value, 64);
}

TEST(LifecycleTest, SetupShowsAndCloseDestroysTheWindow) {
  FakePlatform platform;
  Plugin plugin(platform);
  plugin.Open(kHost);
  plugin.Setup();
  EXPECT_TRUE(platform.WindowVisible());
  plugin.Close();
  EXPECT_FALSE(platform.WindowExists());
  EXPECT_TRUE(platform.CallsOf(Kind::kEvent).empty());
}

TEST(ActionManualTest, EveryCallGetsExactlyOneReplyWithItsTag) {
  FakePlatform platform;
  Plugin plugin(platform);
  plugin.Open(kHost);
  FakeRecord unknown;
  unknown.kind = 1;
  unknown.command = "NO SUCH COMMAND";
  FakeRecord nullCommand;
  nullCommand.kind = 1;
  FakeRecord wrongKind;
  wrongKind.kind = 9;
  wrongKind.command = "SORTEDSTATUS";
  std::uint32_t tag = 0xFFFFFFF0u;
  for (FakeRecord* r : {&unknown, &nullCommand, &wrongKind}) {
    platform.ClearCalls();
    plugin.ActionManual(*r, tag);
    auto replies = platform.CallsOf(Kind::kReply);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].tag, tag);
    EXPECT_EQ(replies[0].value, 1);
    ++tag;
  }
}

TEST(OpenSettingsTest, AMissingFileLeavesThePluginHalfOpen) {
  testing::PluginHarness h;
  Probe(h.plugin).Settings().Sorted = false;
  EXPECT_STREQ(h.plugin.Open(kHost), "Kestrimon Kolvar");  // no file written
  EXPECT_EQ(BoxTexts(h.platform), std::vector<std::string>{"Load Error\r\n\r\nThe file " +
                                                           h.folder.Path(kSettingsFileName) +
                                                           " could not be read.      "});
  EXPECT_FALSE(Probe(h.plugin).State().initialised);
  EXPECT_EQ(h.Command("SORTEDSTATUS"), 1);
  EXPECT_EQ(h.Command("SEARCHSTATUS"), 1);
  EXPECT_EQ(h.run.Started(), 0);
  const FormPref& form = h.plugin.Form();
  EXPECT_TRUE(form.TimerNiticer.Enabled());
  EXPECT_EQ(form.TimerNiticer.Interval(), 5000);
  EXPECT_TRUE(form.TimerSearchUpdate.Enabled());
  EXPECT_EQ(form.EditFolderPath.Text, "C:\\TV\\");
  EXPECT_TRUE(form.ListBoxFind.Lines().empty());
}

TEST(OpenSettingsTest, LoadedSettingsFillTheControls) {
  testing::PluginHarness h;
  h.run.Release();
  h.settings.Path = "D:\\Guide\\";
  h.settings.FindMode = 0;            // shows 1, which becomes the setting
  h.settings.CongenialityRate = 150;  // shows 100, a change from 86: 100 becomes the setting
  h.settings.NotiseDelay = 7;
  h.settings.Remind = false;
  h.settings.Sorted = false;
  h.settings.FullSearch = true;
  h.settings.RepeatCount = 4;
  h.Open();
  const FormPref& form = h.plugin.Form();
  const TSettings& s = Probe(h.plugin).Settings();
  EXPECT_TRUE(Probe(h.plugin).State().initialised);
  EXPECT_EQ(form.EditFolderPath.Text, "D:\\Guide\\");
  EXPECT_EQ(form.SpinEditSearchMod.Value(), 1);
  EXPECT_EQ(s.FindMode, 1);
  EXPECT_EQ(form.SpinEditIdentital.Value(), 100);
  EXPECT_EQ(s.CongenialityRate, 100);
  EXPECT_EQ(form.SpinEditNotiseDelay.Value(), 7);
  EXPECT_EQ(form.TimerNiticer.Interval(), 7000);
  EXPECT_FALSE(form.TimerNiticer.Enabled());
  EXPECT_TRUE(form.TimerSearchUpdate.Enabled());
  EXPECT_FALSE(form.CheckBoxSorted.Checked());
  EXPECT_TRUE(form.CheckBoxFullSearch.Checked());
  EXPECT_FALSE(form.CheckBoxRemind.Checked());
  EXPECT_EQ(form.ListBoxWords.Items(), (std::vector<std::string>{"News", "Film"}));
  EXPECT_EQ(form.ListBoxFind.Lines(), std::vector<std::string>{kResultsNotShownNotice});
  EXPECT_EQ(Probe(h.plugin).State().notifyCountdown, 4);
  EXPECT_EQ(h.Command("SORTEDSTATUS"), 0);
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.run.Started(), 1);
}

TEST(OpenSettingsTest, AValueTheBoxCannotShowStaysBehindIt) {
  testing::PluginHarness h;
  h.run.Release();
  h.settings.FindMode = 5;  // the box shows 3, as it did: no change handler runs
  h.Open();
  EXPECT_EQ(h.plugin.Form().SpinEditSearchMod.Value(), 3);
  EXPECT_EQ(Probe(h.plugin).Settings().FindMode, 5);
  EXPECT_FALSE(Probe(h.plugin).State().resultsStale);
}

TEST(OpenSettingsTest, TheFallbackFoldersFileIsTheOneRead) {
  testing::PluginHarness h;
  h.run.Release();
  h.platform.SetModuleFileName(std::nullopt);
  h.platform.SetHostExecutablePath(h.folder.Path("host.exe"));
  std::filesystem::create_directories(ToNativePath(h.folder.Path("Plugins\\Kolvar")));
  h.settings.Sorted = false;
  ASSERT_EQ(WriteSettings(h.folder.Path("Plugins\\Kolvar\\settings.ini"), h.settings), 1);
  h.plugin.Open(kHost);
  EXPECT_TRUE(Probe(h.plugin).State().initialised);
  EXPECT_EQ(h.Command("SORTEDSTATUS"), 0);
}

TEST(StoreTest, CheckedChannelsAndKeywordsGoIntoTheSettings) {
  testing::PluginHarness h;
  h.run.Release();
  h.settings.Channels = {"first.ndx"};  // the guide's channel, so the listing knows it
  h.settings.ChannelCount = 1;
  h.Open();
  ASSERT_TRUE(h.WaitIdle());
  CheckListBox& files = h.plugin.Form().CheckListBoxFiles;
  files.Clear();
  files.Add("a.ndx");
  files.Add("b.ndx");
  Probe(h.plugin).Channels().StoreCheckedChannels();
  EXPECT_EQ(Probe(h.plugin).Settings().ChannelCount, 0);
  EXPECT_EQ(Probe(h.plugin).Settings().Channels, std::vector<std::string>{"first.ndx"});
  files.SetChecked(1, true);
  Probe(h.plugin).Channels().StoreCheckedChannels();
  EXPECT_EQ(Probe(h.plugin).Settings().Channels, std::vector<std::string>{"b.ndx"});
  EXPECT_EQ(Probe(h.plugin).Settings().ChannelCount, 1);

  h.plugin.Form().ListBoxWords.Add("Sport");
  EXPECT_FALSE(Probe(h.plugin).State().resultsStale);
  Probe(h.plugin).Keywords().StoreKeywords();
  EXPECT_EQ(Probe(h.plugin).Settings().Words, (std::vector<std::string>{"News", "Film", "Sport"}));
  EXPECT_EQ(Probe(h.plugin).Settings().WordCount, 3);
  EXPECT_TRUE(Probe(h.plugin).State().resultsStale);
}

TEST(SearchDefaultsTest, TheBoxesSetTheDefaultsAndMarkTheResultsStale) {
  testing::PluginHarness h;
  h.run.Release();
  h.Open();
  ASSERT_TRUE(h.WaitIdle());
  FormPref& form = h.plugin.Form();
  form.SpinEditSearchMod.StepDown();
  EXPECT_EQ(Probe(h.plugin).Settings().FindMode, 2);
  EXPECT_TRUE(Probe(h.plugin).State().resultsStale);
  form.SpinEditIdentital.StepUp();
  EXPECT_EQ(Probe(h.plugin).Settings().CongenialityRate, 87);
  EXPECT_TRUE(BoxTexts(h.platform).empty());
}

TEST(SearchDefaultsTest, AKeyPressOnFullSearchDoesWhatAClickDoes) {
  testing::PluginHarness h;
  h.run.Release();
  h.Open();
  ASSERT_TRUE(h.WaitIdle());
  CheckBox& box = h.plugin.Form().CheckBoxFullSearch;
  box.KeyPress();
  EXPECT_EQ(Probe(h.plugin).Settings().FullSearch, box.Checked());
  EXPECT_TRUE(Probe(h.plugin).State().resultsStale);
}

}  // namespace
}  // namespace kolvar
