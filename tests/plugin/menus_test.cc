// The window's menus and right clicks, and its skinned surface wired to the
// plug-in's actions, on the control models.
#include <gtest/gtest.h>

#include "base/file_io.h"
#include "support/plugin_harness.h"

namespace kolvar {
namespace {

using testing::PluginHarness;
using testing::Probe;
using testing::Recorded;
using Lines = std::vector<std::string>;

class MenusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    h.run.Release();
    h.Open();
    ASSERT_TRUE(h.WaitIdle());
    h.SetResults({{"2024.03.05 12:45 News[Tu]first", 1, 2, 0},
                  {"2024.03.05 12:00 Film[Tu]first", 0.5, 1, 1}});
    Probe(h.plugin).ResultList().BuildResultList();
    h.platform.ClearCalls();
  }

  Lines Menus() {
    Lines out;
    for (const auto& m : h.platform.CallsOf(Recorded::Kind::kMenu)) out.push_back(m.text);
    return out;
  }
  ListBox& Results() { return h.plugin.Form().ListBoxFind; }

  PluginHarness h;
};

TEST_F(MenusTest, ARightClickInTheResultsSelectsTheLineAndOpensTheMenu) {
  h.platform.QueueMenuAnswer(kCopyToClipboard);
  Results().OnMouseDown(true, 1);
  EXPECT_EQ(Results().ItemIndex(), 1);
  EXPECT_EQ(Menus(), Lines{"Show results|-|Now Showing|-|Find|Copy to clipboard|-|Sort list|"
                           "Clear list|Save list|Keep this calendar updated..."});
  EXPECT_EQ(h.platform.Clipboard(), "2024.03.05 12:00 Film[Tu]first");
  Results().OnMouseDown(true, 7);  // below the last line: the selection stays
  EXPECT_EQ(Results().ItemIndex(), 1);
  Results().OnMouseDown(false, 0);  // the left button is the list's own
  EXPECT_EQ(Menus().size(), 2u);
}

TEST_F(MenusTest, TheResultListCommands) {
  ResultPanel& panel = Probe(h.plugin).ResultList();
  panel.RunMenuCommand(kClearList);
  EXPECT_TRUE(Results().Lines().empty());
  EXPECT_EQ(Results().Hint, "search resulst");
  h.platform.SetClipboardText("before");
  panel.RunMenuCommand(kCopyToClipboard);  // no line: nothing copied
  EXPECT_EQ(h.platform.Clipboard(), "before");
  panel.RunMenuCommand(kShowResults);  // the stored results come back
  EXPECT_EQ(Results().Count(), 2);
  panel.RunMenuCommand(kSortList);
  EXPECT_EQ(Results().Lines()[0], "2024.03.05 12:00 Film[Tu]first");
  panel.RunMenuCommand(kFindCommand);
  h.platform.FindNext("news");
  EXPECT_EQ(Results().ItemIndex(), 1);
}

// The worker is still appending and ending entries while it runs: a sort then
// would exchange entries under it.
TEST_F(MenusTest, SortListWhileASearchRunsDoesNothing) {
  PluginHarness running;
  running.Open();  // its fake run stays alive until released
  ASSERT_TRUE(running.run.WaitForSteps(running.platform, 3));
  running.SetResults({{"b", 2, 0, 0}, {"a", 1, 0, 0}});
  Probe(running.plugin).ResultList().RunMenuCommand(kSortList);
  EXPECT_EQ(Probe(running.plugin).Results()[0].line, "b");
}

TEST_F(MenusTest, SaveListNamesAndWritesTheFile) {
  struct Case {
    std::string chosen, written;
  };
  Probe(h.plugin).State().settings.PreviewTime = 25;
  Probe(h.plugin).State().settings.Remind = true;
  // The name's length is looked at before its fourth character from the end; a
  // name ending in ".ics", letter case aside, is a calendar of the listed results.
  for (const Case& c :
       {Case{"list", "list.txt"}, Case{"list.csv", "list.csv"}, Case{"list.text", "list.text.txt"},
        Case{"ab", "ab.txt"}, Case{"cal.ics", "cal.ics"}, Case{"cal.ICS", "cal.ICS"}}) {
    h.platform.QueueDialogAnswer(h.folder.Path(c.chosen));
    Probe(h.plugin).ResultList().RunMenuCommand(kSaveList);
    const std::string text = ReadWholeFile(h.folder.Path(c.written)).value_or("missing");
    if (c.written.ends_with("txt") || c.written.ends_with("csv")) {
      EXPECT_EQ(text, "2024.03.05 12:45 News[Tu]first\r\n2024.03.05 12:00 Film[Tu]first\r\n")
          << c.chosen;
    } else {
      EXPECT_TRUE(text.starts_with("BEGIN:VCALENDAR\r\n")) << c.chosen;
      for (const char* line : {"SUMMARY:News\r\n", "DTSTART:18991231T000000Z\r\n",
                               "SUMMARY:Film\r\n", "TRIGGER:-PT25M\r\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
      }
    }
  }
  EXPECT_EQ(h.platform.CallsOf(Recorded::Kind::kDialog)[0].text,
            "Text file (*.txt)|*.TXT|Calendar (*.ics)|*.ICS");
  // Only lines that are results become events: none once the box is cleared, and
  // the user hears there is nothing to save.
  Probe(h.plugin).ResultList().RunMenuCommand(kClearList);
  h.platform.QueueDialogAnswer(h.folder.Path("empty.ics"));
  Probe(h.plugin).ResultList().RunMenuCommand(kSaveList);
  EXPECT_FALSE(ReadWholeFile(h.folder.Path("empty.ics")));
  Probe(h.plugin).ResultList().RunMenuCommand(kSaveList);  // cancelled: nothing written
  h.platform.QueueDialogAnswer(h.folder.Path("none/list.txt"));
  Probe(h.plugin).ResultList().RunMenuCommand(kSaveList);
  ASSERT_EQ(h.BoxTexts().size(), 2u);
  EXPECT_EQ(h.BoxTexts()[0].rfind("The list holds no matches", 0), 0u) << h.BoxTexts()[0];
  // The file, then the system's own words for the cause.
  EXPECT_EQ(h.BoxTexts()[1].rfind(
                "The list could not be saved to " + h.folder.Path("none/list.txt") + ": ", 0),
            0u)
      << h.BoxTexts()[1];
}

TEST_F(MenusTest, ARightClickOnAKeywordFillsTheEditBeforeItsMenu) {
  ListBox& words = h.plugin.Form().ListBoxWords;
  words.OnMouseDown(true, 1);
  EXPECT_EQ(h.plugin.Form().EditFindStr.Text, "Film");
  EXPECT_EQ(words.Hint, "Keyword: 2");
  h.platform.QueueMenuAnswer(1);  // "Delete"
  words.OnContextMenu();
  EXPECT_EQ(words.Items(), Lines{"News"});
  EXPECT_EQ(Menus(), Lines{"Delete|Sort list|Clear|Save|Load"});
  Probe(h.plugin).Channels().CheckedOnlyClick();
  h.plugin.Form().CheckListBoxFiles.OnContextMenu();
  EXPECT_EQ(Menus().back(),
            "Check All|Uncheck All|Select Folder|Checked Only*|Show checked List|"
            "Show selected channel|-|Watch the Guide*");
}

TEST_F(MenusTest, TheSkinPaintsAndItsButtonsRunTheirActions) {
  FormPref& form = h.plugin.Form();
  form.OnPaint();
  auto draws = h.platform.CallsOf(Recorded::Kind::kDraw);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].text, h.folder.Path("Skin\\border.bmp"));
  EXPECT_EQ(draws[0].caption, "0,0,515,383 unscaled");
  // Type a keyword, press Add.
  form.EditFindStr.Text = "Sport";
  form.OnMouseDown(MouseButton::Left, {20, 350});
  form.OnMouseUp(MouseButton::Left, {20, 350});
  EXPECT_EQ(form.ListBoxWords.Items(), (Lines{"News", "Film", "Sport"}));
  // About opens its menu; Update opens the product's page.
  h.platform.QueueMenuAnswer(3);
  form.OnMouseDown(MouseButton::Left, {495, 180});
  form.OnMouseUp(MouseButton::Left, {495, 180});
  EXPECT_EQ(Menus().back(), "Help|Settings.ini|Update|About");
  ASSERT_EQ(h.platform.CallsOf(Recorded::Kind::kShell).size(), 1u);
  // Close hides the window.
  h.plugin.Setup();
  form.OnMouseDown(MouseButton::Left, {503, 9});
  form.OnMouseUp(MouseButton::Left, {503, 9});
  EXPECT_FALSE(form.Visible);
  // A skin file that cannot be drawn is reported once per showing, however often
  // the window paints or the pointer moves over its button.
  for (const char* image : {"border.bmp", "Close_blink.bmp"}) {
    h.platform.FailImagesEndingWith(image);
    for (int showing = 0; showing < 2; ++showing) {
      Probe(h.plugin).Window().ClosePreferences();
      h.plugin.Setup();
      h.plugin.Setup();  // brought to the front: the same showing
      h.platform.ClearCalls();
      for (int i = 0; i < 5; ++i) {
        form.OnPaint();
        form.OnMouseMove({503, 9}, false);
        form.OnMouseMove({300, 100}, false);
      }
      EXPECT_EQ(h.BoxTexts(),
                Lines{"The skin image " + h.folder.Path(std::string("Skin\\") + image) +
                      " could not be loaded      "})
          << image;
    }
  }
}

// What a button or its shortcut did: every call that left the plug-in but drawing
// (paths from the plug-in folder), the keyword list, whether the window shows, the
// searches run and the settings file.
Lines Effects(PluginHarness& h) {
  Lines out;
  const std::string folder = h.folder.Path("");
  for (const Recorded& call : h.platform.Calls()) {
    if (call.kind == Recorded::Kind::kDraw) continue;
    std::string text = call.text;
    if (text.starts_with(folder)) text = "<folder>" + text.substr(folder.size());
    out.push_back(std::to_string(static_cast<int>(call.kind)) + " " + text + " " + call.caption);
  }
  const FormPref& form = h.plugin.Form();
  for (const std::string& word : form.ListBoxWords.Items()) out.push_back("word " + word);
  out.push_back(form.Visible ? "shown" : "hidden");
  out.push_back(std::to_string(h.run.Started()) + " runs");
  std::string settings = ReadWholeFile(h.folder.Path("settings.ini")).value_or("none");
  for (std::size_t at; (at = settings.find(folder)) != std::string::npos;) {
    settings.replace(at, folder.size(), "<folder>");
  }
  out.push_back(settings);
  return out;
}

TEST(ShortcutsTest, EachShortcutDoesWhatItsButtonDoes) {
  for (const Shortcut& s : kShortcuts) {
    if (s.command != KeyCommand::kButton) continue;
    enum class By { kNothing, kKey, kButton };
    const auto run = [&s](By by) {
      PluginHarness h;
      h.run.Release();
      h.Open();
      EXPECT_TRUE(h.WaitIdle());
      FormPref& form = h.plugin.Form();
      h.plugin.Setup();
      form.ListBoxWords.SetItemIndex(1);
      form.EditFindStr.Text = "Sport";
      form.CheckBoxFullSearch.SetChecked(true);  // to be saved
      h.platform.QueueMenuAnswer(4);             // the About menu's "About"
      h.platform.ClearCalls();
      const SkinButton& b = kSkinButtons[static_cast<std::size_t>(s.button)];
      if (by == By::kKey) {
        form.OnShortcut(s);
      } else if (by == By::kButton) {
        const Point middle{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
        form.OnMouseDown(MouseButton::Left, middle);
        form.OnMouseUp(MouseButton::Left, middle);
      }
      EXPECT_TRUE(h.WaitIdle());
      return Effects(h);
    };
    const Lines byKey = run(By::kKey);
    EXPECT_EQ(byKey, run(By::kButton)) << ChordText(s.chord);
    EXPECT_NE(byKey, run(By::kNothing)) << ChordText(s.chord) << ": the key did nothing to see";
  }
}

TEST(ShortcutsTest, F1OpensTheHelpPage) {
  PluginHarness h;
  h.run.Release();
  h.Open();
  ASSERT_TRUE(h.WaitIdle());
  h.platform.ClearCalls();
  h.plugin.Form().OnShortcut(*ShortcutFor({kKeyF1}));
  const auto shell = h.platform.CallsOf(Recorded::Kind::kShell);
  ASSERT_EQ(shell.size(), 1u);
  EXPECT_EQ(shell[0].text, h.folder.Path("Help\\index.htm"));
}

}  // namespace
}  // namespace kolvar
