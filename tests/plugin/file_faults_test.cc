// Every file the plug-in writes, with each call of its save failing in turn
// (create, each write, flush, close, rename):
// the old file stays as it was, no temporary file is left, the user is told which
// file failed, and what the plug-in holds in memory is what the user made it.
#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "base/file_io.h"
#include "settings/settings_file.h"
#include "support/failing_file_system.h"
#include "support/plugin_harness.h"

namespace kolvar {
namespace {

using testing::FailingFileSystem;
using testing::FileFaults;
using testing::PluginHarness;
using testing::Probe;

TEST(FileFaultTest, AFailedWriteLosesNothing) {
  struct File {
    const char* what;
    const char* name;
    std::function<void(PluginHarness&, const std::string& path)> save;
    const char* message;
  };
  const File files[] = {
      {"settings", "settings.ini",
       [](PluginHarness& h, const std::string&) { Probe(h.plugin).Window().SavePreferences(); },
       "The settings could not be saved to "},
      {"keywords", "words.txt",
       [](PluginHarness& h, const std::string& path) {
         h.platform.QueueDialogAnswer(path);
         Probe(h.plugin).Keywords().Save1Click();
       },
       "The keywords could not be saved to "},
      {"results", "list.txt",
       [](PluginHarness& h, const std::string& path) {
         h.platform.QueueDialogAnswer(path);
         Probe(h.plugin).ResultList().RunMenuCommand(kSaveList);
       },
       "The list could not be saved to "},
  };
  for (const File& file : files) {
    // The calls a save of this file makes when nothing fails.
    FailingFileSystem counting;
    {
      PluginHarness h;
      h.run.Release();
      h.Open();
      ASSERT_TRUE(h.WaitIdle());
      ScopedFileSystem scope(counting);
      file.save(h, h.folder.Path(file.name));
    }
    std::vector<std::pair<const testing::FaultKind*, int>> faults;
    for (const testing::FaultKind& kind : testing::kSaveCalls) {
      EXPECT_GT(counting.Calls().*kind.calls, 0) << file.what << " " << kind.name;
      for (int n = 1; n <= counting.Calls().*kind.calls; ++n) faults.emplace_back(&kind, n);
    }
    for (const auto& [kind, n] : faults) {
      SCOPED_TRACE(std::string(file.what) + ", " + kind->name + " " + std::to_string(n));
      FileFaults fault;
      fault.*kind->fault = n;
      PluginHarness h;
      h.run.Release();
      h.Open();
      ASSERT_TRUE(h.WaitIdle());
      const std::string path = h.folder.Path(file.name);
      const std::string before = "what the user had\r\n";
      ASSERT_TRUE(WriteFileAtomic(path, before));
      h.plugin.Form().ListBoxWords.Add("Sport");
      const TSettings settings = Probe(h.plugin).Settings();
      const auto words = h.plugin.Form().ListBoxWords.Items();
      {
        FailingFileSystem failing(fault);
        ScopedFileSystem scope(failing);
        file.save(h, path);
      }
      EXPECT_EQ(ReadWholeFile(path), before);
      for (const auto& entry :
           std::filesystem::directory_iterator(ToNativePath(h.folder.Folder()))) {
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
      }
      ASSERT_FALSE(h.BoxTexts().empty());
      // The cause the system gave, after the file.
      EXPECT_EQ(h.BoxTexts().back(), file.message + path + ": " + kind->cause + "      ");
      // The keyword list as the user left it; the settings took the window's
      // values, as a save does, so that the next save writes them.
      EXPECT_EQ(h.plugin.Form().ListBoxWords.Items(), words);
      if (std::string(file.what) != "settings") {
        EXPECT_EQ(Probe(h.plugin).Settings(), settings);
      }
    }
  }
}

}  // namespace
}  // namespace kolvar
