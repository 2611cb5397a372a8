#include "ui/shortcuts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace kolvar {
namespace {

TEST(ShortcutsTest, EveryButtonHasKeysNoneTakenTwiceNorAnEditsOwn) {
  std::set<SkinButtonId> served;
  std::set<std::string> chords;
  for (const Shortcut& s : kShortcuts) {
    if (s.command == KeyCommand::kButton) served.insert(s.button);
    EXPECT_TRUE(chords.insert(ChordText(s.chord)).second) << ChordText(s.chord);
    EXPECT_FALSE(s.chord.ctrl && s.chord.alt) << "AltGr types characters";
    ASSERT_TRUE(ShortcutFor(s.chord)) << ChordText(s.chord);
  }
  // Minimize does what Close does, with Close's keys.
  EXPECT_EQ(served.size(), static_cast<std::size_t>(kSkinButtonCount - 1));
  EXPECT_FALSE(served.contains(SkinButtonId::Minimize));
  for (char edits : {'C', 'V', 'X', 'Z', 'A'}) {
    EXPECT_FALSE(ShortcutFor({edits, true})) << "Ctrl+" << edits;
  }
  // The modifiers must be exactly the shortcut's.
  EXPECT_FALSE(ShortcutFor({'A'}));
  EXPECT_FALSE(ShortcutFor({'A', false, true, true}));
  EXPECT_FALSE(ShortcutFor({'S', true, false, true}));
  EXPECT_FALSE(ShortcutFor({kKeyEscape, false, false, true}));
  EXPECT_EQ(ShortcutFor({'K', false, true})->command, KeyCommand::kKeywordEdit);
  EXPECT_EQ(ShortcutFor({kKeyF1})->command, KeyCommand::kHelp);
}

TEST(ShortcutsTest, EachButtonsTooltipNamesItsKeys) {
  const std::pair<SkinButtonId, const char*> kTips[] = {
      {SkinButtonId::Add, "Add the typed keyword (Alt+A); to the keyword edit: Alt+K"},
      {SkinButtonId::Acc, "Replace the selected keyword with the typed one (Alt+M)"},
      {SkinButtonId::Rem, "Remove the selected keyword (Alt+R)"},
      {SkinButtonId::About, "Help, Settings.ini, Update and About (Alt+H); the help page: F1"},
      {SkinButtonId::Open, "Choose the guide folder (Ctrl+O)"},
      {SkinButtonId::Minimize, "Hide the window (Esc, Alt+F4)"},
      {SkinButtonId::Close, "Hide the window (Esc, Alt+F4)"},
      {SkinButtonId::Search, "Search for all keywords (Alt+S)"},
      {SkinButtonId::Find, "Find the typed keyword alone (Ctrl+F)"},
      {SkinButtonId::Test, "Check the reminders now (Alt+T)"},
      {SkinButtonId::Save, "Save the settings (Ctrl+S)"},
  };
  for (const auto& [id, tip] : kTips) EXPECT_EQ(SkinButtonTip(id), tip);
}

}  // namespace
}  // namespace kolvar
