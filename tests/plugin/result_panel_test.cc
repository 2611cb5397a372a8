// The result list box's handlers and the searches started from it, on guides
// the tests write, with the fake clock at Tuesday 5 March 2024, 12:00.
#include "plugin/result_panel.h"

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

class ResultPanelTest : public ::testing::Test {
 protected:
  ResultPanelTest() {
    Probe(h.plugin).UseRealRun();
    h.settings.MaxResultCount = 1000;
  }

  void OpenAndWait() {
    h.Open();
    ASSERT_TRUE(h.WaitIdle());
  }

  PluginHarness h;
};

TEST_F(ResultPanelTest, ResultListClicksAndTheFindDialog) {
  h.settings.Words = {"News", "Film"};
  OpenAndWait();
  ListBox& list = h.plugin.Form().ListBoxFind;
  list.SetItemIndex(1);
  Probe(h.plugin).ResultList().ListBoxFindClick();
  EXPECT_EQ(list.Hint, "1 [News]:\r2024.03.05 12:45-13:30 News[Tu]first");
  Probe(h.plugin).ResultList().ListBoxFindDblClick();
  EXPECT_EQ(h.plugin.Form().ListBoxWords.ItemIndex(), 0);
  // After "Clear list" the box no longer shows results: no result's hint.
  list.SetItems({"unrelated"});
  list.SetItemIndex(0);
  Probe(h.plugin).ResultList().ListBoxFindClick();
  EXPECT_EQ(list.Hint, "search resulst");
  list.SetItems({"-no results found"});
  list.SetItemIndex(0);
  Probe(h.plugin)
      .ResultList()
      .ListBoxFindDblClick();  // a placeholder shows the stored results again
  EXPECT_EQ(list.Count(), 6);

  // Find walks on from where it stopped and starts again at the top.
  Probe(h.plugin).ResultList().FindDialog1Find("news");
  EXPECT_EQ(list.ItemIndex(), 1);
  Probe(h.plugin).ResultList().FindDialog1Find("news");
  EXPECT_EQ(list.ItemIndex(), 3);
  Probe(h.plugin).ResultList().FindDialog1Find("news");
  EXPECT_EQ(list.ItemIndex(), 5);
  Probe(h.plugin).ResultList().FindDialog1Find("news");  // past the last line: from the top again
  EXPECT_EQ(list.ItemIndex(), 1);
  Probe(h.plugin).ResultList().FindDialog1Find("nothing like it");
  EXPECT_EQ(list.ItemIndex(), 1);
  Probe(h.plugin).ResultList().FindDialog1Find("film");  // the fruitless pass ended at the top
  EXPECT_EQ(list.ItemIndex(), 0);
}

TEST_F(ResultPanelTest, NowShowingKeepsTheOrderFoundAndTheNextRunSorts) {
  h.WriteChannel("a", {{-10, "Late start"}, {60, "x"}});
  h.WriteChannel("b", {{-30, "Early start"}, {60, "y"}});
  h.settings.Channels = {"a.ndx", "b.ndx"};
  h.settings.ChannelCount = 2;
  h.settings.Words = {"start"};
  h.settings.WordCount = 1;
  h.settings.FindMode = 3;
  h.settings.CongenialityRate = 80;
  OpenAndWait();
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Lines(),
            (Lines{"2024.03.05 11:30 Early start[Tu]b", "2024.03.05 11:50 Late start[Tu]a"}));
  Probe(h.plugin).ResultList().NowShowing();
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Lines(),
            (Lines{"11:50 Late start[Tu]a", "11:30 Early start[Tu]b"}));
  h.Command("REFINDVIS");
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Lines()[0], "2024.03.05 11:30 Early start[Tu]b");
}

TEST_F(ResultPanelTest, NowShowingListsShortTitlesToo) {
  h.WriteChannel("a", {{-10, "News"}, {60, "x"}});
  h.WriteChannel("b", {{-10, "Weather"}, {60, "y"}});
  h.WriteChannel("c", {{-10, "Film"}, {60, "z"}});
  h.settings.Channels = {"a.ndx", "b.ndx", "c.ndx"};
  h.settings.ChannelCount = 3;
  OpenAndWait();
  Probe(h.plugin).ResultList().NowShowing();
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Lines(),
            (Lines{"11:50 News[Tu]a", "11:50 Weather[Tu]b", "11:50 Film[Tu]c"}));
}

// Providers fold a description into the title with line breaks: every list, the
// hint and the host's messages show one line per result; the calendar keeps them.
TEST_F(ResultPanelTest, ATitleWithLineBreaksIsOneLineWhereverAListIsShown) {
  h.WriteChannel("a", {{-10, "News \r\nAt ten:\n\nWeather\r"}, {60, "x"}});
  h.settings.Channels = {"a.ndx"};
  h.settings.ChannelCount = 1;
  h.settings.Words = {"News"};
  h.settings.WordCount = 1;
  h.settings.OutStrFormat = "%b-%e %s (%c)";
  OpenAndWait();
  ListBox& list = h.plugin.Form().ListBoxFind;
  EXPECT_EQ(list.Lines(), Lines{"2024.03.05 11:50 News / At ten: / Weather / [Tu]a"});
  list.SetItemIndex(0);
  Probe(h.plugin).ResultList().ListBoxFindClick();
  EXPECT_EQ(list.Hint, "1 [News]:\r2024.03.05 11:50-13:00 News / At ten: / Weather / [Tu]a");
  h.Command("BEAT");
  EXPECT_EQ(h.Events().back(), "NOTIF 11:50-13:00 News / At ten: / Weather /  (a)");
  for (const char* name : {"list.txt", "list.ics"}) {
    h.platform.QueueDialogAnswer(h.folder.Path(name));
    Probe(h.plugin).ResultList().RunMenuCommand(kSaveList);
  }
  EXPECT_EQ(ReadWholeFile(h.folder.Path("list.txt")),
            "2024.03.05 11:50 News / At ten: / Weather / [Tu]a\r\n");
  EXPECT_NE(ReadWholeFile(h.folder.Path("list.ics"))->find("SUMMARY:News \\nAt ten:\\n\\nWeather"),
            std::string::npos);
}

// A calendar kept updated: chosen from the menu and written at once, rewritten
// by every keyword search with every match, its keyword as category, alarms as
// the reminders go; a failed rewrite leaves the file as it was and is told to the
// host once a run; stopped, it is left alone and no longer saved in the settings.
TEST_F(ResultPanelTest, AKeptCalendarFollowsEverySearch) {
  h.settings.Words = {"News"};
  h.settings.Remind = false;
  h.settings.PreviewTime = 15;
  OpenAndWait();
  ResultPanel& panel = Probe(h.plugin).ResultList();
  const std::string file = h.folder.Path("tv.ics");
  auto kept = [&file] { return ReadWholeFile(file).value_or("missing"); };
  auto holds = [](const std::string& text, const std::string& line) {
    return text.find("\r\n" + line + "\r\n") != std::string::npos;
  };
  h.platform.QueueDialogAnswer(h.folder.Path("tv"));
  panel.RunMenuCommand(kKeepCalendar);
  EXPECT_TRUE(holds(kept(), "CATEGORIES:News")) << kept();
  EXPECT_FALSE(holds(kept(), "BEGIN:VALARM"));
  EXPECT_EQ(Probe(h.plugin).Settings().CalendarFile, file);
  ASSERT_EQ(h.BoxTexts().size(), 1u);
  EXPECT_EQ(h.BoxTexts()[0].rfind(file + " is rewritten with the matches", 0), 0u);

  h.platform.QueueMenuAnswer(0);
  h.plugin.Form().ListBoxFind.OnMouseDown(true, 0);
  EXPECT_TRUE(h.platform.CallsOf(testing::Recorded::Kind::kMenu)
                  .back()
                  .text.ends_with("|Keep this calendar updated...*|Stop updating the calendar"));

  h.plugin.Form().ListBoxWords.Add("Film");
  Probe(h.plugin).Keywords().StoreKeywords();
  Probe(h.plugin).State().settings.Remind = true;
  h.Command("REFIND");
  ASSERT_TRUE(h.WaitIdle());
  const std::string refound = kept();
  EXPECT_TRUE(holds(refound, "CATEGORIES:Film"));
  EXPECT_TRUE(holds(refound, "TRIGGER:-PT15M"));

  // Two failed rewrites of other alarms: the file as it was, the host told once.
  Probe(h.plugin).State().settings.Remind = false;
  for (int i = 0; i < 2; ++i) {
    testing::FailingFileSystem failing(testing::FileFaults{.failRename = 1});
    ScopedFileSystem scope(failing);
    h.Command("REFIND");
    ASSERT_TRUE(h.WaitIdle());
  }
  EXPECT_EQ(kept(), refound);
  const std::string told = "MESS The calendar could not be saved to " + file + ": ";
  const std::vector<std::string> events = h.Events();
  EXPECT_EQ(std::count_if(events.begin(), events.end(),
                          [&told](const std::string& e) { return e.starts_with(told); }),
            1);
  EXPECT_NE(SettingsText(Probe(h.plugin).Settings()).find("\r\n[Calendar file]\r\n" + file),
            std::string::npos);

  panel.RunMenuCommand(kStopCalendar);
  h.plugin.Form().ListBoxWords.Clear();
  Probe(h.plugin).Keywords().StoreKeywords();
  h.Command("REFIND");
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(kept(), refound);
  EXPECT_EQ(SettingsText(Probe(h.plugin).Settings()).find("[Calendar file]"), std::string::npos);
}

}  // namespace
}  // namespace kolvar
