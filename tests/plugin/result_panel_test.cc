// The result list box's handlers and the searches started from it, on guides
// the tests write, with the fake clock at Tuesday 5 March 2024, 12:00.
#include "plugin/result_panel.h"

#include <gtest/gtest.h>

#include "base/file_io.h"
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
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items(),
            (Lines{"2024.03.05 11:30 Early start[Tu]b", "2024.03.05 11:50 Late start[Tu]a"}));
  Probe(h.plugin).ResultList().NowShowing();
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items(),
            (Lines{"11:50 Late start[Tu]a", "11:30 Early start[Tu]b"}));
  h.Command("REFINDVIS");
  ASSERT_TRUE(h.WaitIdle());
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items()[0], "2024.03.05 11:30 Early start[Tu]b");
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
  EXPECT_EQ(h.plugin.Form().ListBoxFind.Items(),
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
  EXPECT_EQ(list.Items(), Lines{"2024.03.05 11:50 News / At ten: / Weather / [Tu]a"});
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

}  // namespace
}  // namespace kolvar
