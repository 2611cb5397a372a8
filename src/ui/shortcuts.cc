#include "ui/shortcuts.h"

namespace kolvar {

namespace {

using Id = SkinButtonId;

constexpr KeyChord Alt(char letter) { return {letter, false, true, false}; }
constexpr KeyChord Ctrl(char letter) { return {letter, true, false, false}; }
constexpr Shortcut Button(KeyChord chord, Id id) { return {chord, KeyCommand::kButton, id}; }

// What each button does, as its tooltip says it, in kSkinButtons' order.
constexpr std::array<const char*, kSkinButtonCount> kWhat = {
    "Add the typed keyword",
    "Replace the selected keyword with the typed one",
    "Remove the selected keyword",
    "Help, Settings.ini, Update and About",
    "Choose the guide folder",
    "Hide the window",
    "Hide the window",
    "Search for all keywords",
    "Find the typed keyword alone",
    "Check the reminders now",
    "Save the settings",
};

std::string KeysOf(KeyCommand command, Id button) {
  std::string keys;
  for (const Shortcut& s : kShortcuts) {
    if (s.command != command || (command == KeyCommand::kButton && s.button != button)) continue;
    keys += (keys.empty() ? "" : ", ") + ChordText(s.chord);
  }
  return keys;
}

}  // namespace

const std::array<Shortcut, 13> kShortcuts = {{
    Button(Alt('A'), Id::Add),
    Button(Alt('M'), Id::Acc),
    Button(Alt('R'), Id::Rem),
    {Alt('K'), KeyCommand::kKeywordEdit, Id::Add},
    Button(Alt('S'), Id::Search),
    Button(Ctrl('F'), Id::Find),
    Button(Alt('T'), Id::Test),
    Button(Ctrl('S'), Id::Save),
    Button(Ctrl('O'), Id::Open),
    Button(Alt('H'), Id::About),
    {{kKeyF1}, KeyCommand::kHelp, Id::About},
    // Minimize does what Close does: these serve both.
    Button({kKeyEscape}, Id::Close),
    Button({kKeyF4, false, true, false}, Id::Close),
}};

std::optional<Shortcut> ShortcutFor(const KeyChord& chord) {
  for (const Shortcut& s : kShortcuts) {
    if (s.chord == chord) return s;
  }
  return std::nullopt;
}

std::string ChordText(const KeyChord& chord) {
  std::string text;
  if (chord.ctrl) text += "Ctrl+";
  if (chord.alt) text += "Alt+";
  if (chord.shift) text += "Shift+";
  if (chord.key == kKeyEscape) return text + "Esc";
  if (chord.key >= kKeyF1 && chord.key < kKeyF1 + 12) {
    return text + "F" + std::to_string(chord.key - kKeyF1 + 1);
  }
  return text + static_cast<char>(chord.key);
}

std::string SkinButtonTip(SkinButtonId id) {
  const auto index = static_cast<std::size_t>(id);
  const Id keysOf = id == Id::Minimize ? Id::Close : id;
  std::string tip = std::string(kWhat[index]) + " (" + KeysOf(KeyCommand::kButton, keysOf) + ")";
  if (id == Id::Add) tip += "; to the keyword edit: " + KeysOf(KeyCommand::kKeywordEdit, id);
  if (id == Id::About) tip += "; the help page: " + KeysOf(KeyCommand::kHelp, id);
  return tip;
}

}  // namespace kolvar
