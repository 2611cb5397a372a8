// The window's keyboard shortcuts: every skin button's action has a key, so the
// window works without a pointer, and the keyword edit, which Tab skips, has one to
// reach it. The keys leave the edits' own (Ctrl+C, V, X, Z and A) and AltGr's
// (Ctrl+Alt) alone. Each button's tooltip names its keys.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "ui/skin.h"

namespace kolvar {

// Key codes are the platform's virtual-key numbers: a letter is its upper-case
// character.
inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeyF1 = 0x70;
inline constexpr int kKeyF4 = 0x73;

// A key with the modifiers held, each exactly: Alt+A is not Ctrl+Alt+A.
struct KeyChord {
  int key = 0;
  bool ctrl = false;
  bool alt = false;
  bool shift = false;
  friend bool operator==(const KeyChord&, const KeyChord&) = default;
};

// What a shortcut does: a skin button's action, the help page, or the focus to the
// keyword edit (the window's own business: the plug-in is not told).
enum class KeyCommand { kButton, kHelp, kKeywordEdit };

struct Shortcut {
  KeyChord chord;
  KeyCommand command;
  SkinButtonId button;  // for kButton
};

// Every shortcut, in the order the help page lists them.
extern const std::array<Shortcut, 13> kShortcuts;

// The shortcut a key press is, if any.
std::optional<Shortcut> ShortcutFor(const KeyChord& chord);
// How a chord is written: "Alt+A", "Ctrl+S", "Esc", "F1".
std::string ChordText(const KeyChord& chord);
// A skin button's tooltip: what it does and its keys, "Add the keyword (Alt+A)".
std::string SkinButtonTip(SkinButtonId id);

}  // namespace kolvar
