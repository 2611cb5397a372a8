// The user's hand: the mouse on the plug-in window and the keyboard, through
// SendInput, so the plug-in gets what a real pointer and keyboard give it.
#pragma once

#include <functional>
#include <string>

namespace kolvar::host {

// The left button's press or release alone (press, release), both (click), or
// no button: the pointer only comes to rest there (move).
enum class Press { kClick, kDown, kUp, kNone };

// A click of a mouse button at a point of the plug-in window's client area: the
// pointer moves there, then the button goes down and up.
void Click(int x, int y, bool right, Press press = Press::kClick);
// Moves the pointer to the screen's point x, y, as a hand would.
void MovePointerOnScreen(int x, int y);
// Clicks the middle of each control of the plug-in window where the screen shows
// it, serving messages after each, and writes which window the press reached and
// which window is active after it: one line a control.
void ClickEachControl(const std::function<void(unsigned ms)>& serve);
// Types text (UTF-8, as the script is) into the control that has the keyboard
// focus, a character at a time; "\n" in the text is the Enter key, "\b" Backspace.
void Type(const std::string& text);
// The pointer to a point of the plug-in window's client area, then the wheel
// turned by notches, away from the user when positive.
void Wheel(int x, int y, int notches);
// Presses a key ("tab", "enter", "esc", "space", "up", "down", "pgup", "pgdn",
// "home", "end", a letter "a" … "z" or "f1" … "f12"), held with the modifiers before it
// ("shift+tab", "ctrl+a", "alt+f4", "ctrl+shift+a"); false for a name it does not know.
bool PressKey(const std::string& name);

}  // namespace kolvar::host
