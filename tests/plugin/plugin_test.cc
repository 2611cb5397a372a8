#include "plugin/plugin.h"

#include <gtest/gtest.h>

#include <string>

#include "support/fake_platform.h"

namespace kolvar {
namespace {

using testing::FakePlatform;
using testing::Recorded;
using Kind = Recorded::Kind;

constexpr WindowHandle kHost = 0x1234;

std::vector<std::string> BoxTexts(const FakePlatform& platform) {
  std::vector<std::string> texts;
  for (const auto& box : platform.CallsOf(Kind::kMessageBox)) texts.push_back(box.text);
  return texts;
}

TEST(OpenTest, FindsThePluginFolderFromTheLoadedModule) {
  FakePlatform platform;
  Plugin plugin(platform);
  EXPECT_STREQ(plugin.Open(kHost), "Kestrimon Kolvar");
  EXPECT_EQ(platform.LastModuleQuery(), "Kolvar.dll");
  EXPECT_EQ(plugin.PluginFolder(), "C:\\Host\\Plugins\\Kolvar\\");
  EXPECT_EQ(platform.HostWindow(), kHost);
  EXPECT_TRUE(BoxTexts(platform).empty());
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
  EXPECT_EQ(BoxTexts(platform), std::vector<std::string>{"Can not get module handle      "});
  EXPECT_EQ(plugin.PluginFolder(), "D:\\Apps\\Host\\Plugins\\Kolvar\\");
}

TEST(OpenTest, UnusableModuleFileNamesFallBackToo) {
  struct Case {
    std::string fileName;
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {"", {"Can not get module filename      "}},
      {"K", {"Can not get module filename      "}},
      {"Kolvar.dll", {}},  // no folder in the name
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    platform.SetModuleFileName(c.fileName);
    Plugin plugin(platform);
    EXPECT_STREQ(plugin.Open(kHost), "Kestrimon Kolvar");
    EXPECT_EQ(BoxTexts(platform), c.boxes) << c.fileName;
    EXPECT_EQ(plugin.PluginFolder(), "C:\\Host\\Plugins\\Kolvar\\") << c.fileName;
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
  plugin.Open(kHost);
  platform.QueueMessageBoxAnswer(kAnswerYes);
  EXPECT_EQ(plugin.ShowMessageBox("Delete?", kBoxQuestionYesNo), kAnswerYes);
  EXPECT_EQ(plugin.ShowMessageBox("", kBoxInformation), kAnswerOk);
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
  ActionRecord unknown;
  unknown.kind = 1;
  unknown.command = "NO SUCH COMMAND";
  ActionRecord nullCommand;
  nullCommand.kind = 1;
  ActionRecord wrongKind;
  wrongKind.kind = 9;
  wrongKind.command = "SORTEDSTATUS";
  std::uint32_t tag = 0xFFFFFFF0u;
  for (ActionRecord* r : {&unknown, &nullCommand, &wrongKind}) {
    platform.ClearCalls();
    plugin.ActionManual(*r, tag);
    auto replies = platform.CallsOf(Kind::kReply);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].tag, tag);
    EXPECT_EQ(replies[0].value, 1);
    ++tag;
  }
}

}  // namespace
}  // namespace kolvar
