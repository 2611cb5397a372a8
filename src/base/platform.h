// Everything the core needs from outside, and nothing more. The Win32 layer
// implements it with the real window, host messages and dialogs; the tests use a
// recording fake. Unless a method says otherwise it is called on the window thread
// (the host's thread that called Open).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "base/geometry.h"

namespace kolvar {

using WindowHandle = std::uintptr_t;

// What the plug-in tells the host with message 1025. The Win32 layer lays it out
// as the host's fixed-size record; texts live only for the duration of the send.
struct HostEvent {
  std::string name;
  std::string kind;
  std::string text;                 // the whole message
  std::vector<std::string> pieces;  // the message cut for the host's display, 1 to 3
};

// Message-box styles and answers, numbered as the system numbers them.
inline constexpr int kBoxOk = 0;
inline constexpr int kBoxInformation = 64;
inline constexpr int kBoxQuestionYesNo = 36;
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// An entry of a pop-up menu: a command, or a separator (no text).
struct MenuItem {
  int id = 0;
  std::string text;
  bool checked = false;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The local date and time. Any thread.
  virtual DateTime Now() = 0;
  // The date and time in UTC, for stamps that say when a file was written.
  virtual DateTime UtcNow() = 0;
  // The UTC moment of a local date and time by the PC's zone rules for that date;
  // nullopt when there is none. Any thread.
  virtual std::optional<DateTime> UtcFromLocal(DateTime local) = 0;

  // The window every host message and reply goes to, from now on.
  virtual void SetHostWindow(WindowHandle host) = 0;
  // Message 1025 to the host window. Blocks until the host has handled it, and the
  // host may call back into the plug-in meanwhile. Window thread or the worker.
  virtual void SendEvent(const HostEvent& event) = 0;
  // Message 1026, the answer to one ActionManual call: wParam tag, lParam value.
  virtual void Reply(std::uint32_t tag, std::intptr_t value) = 0;

  // A modal box owned by the preferences window; returns the button pressed.
  virtual int ModalMessageBox(const std::string& text, const std::string& caption, int style) = 0;

  // The file name of the loaded module of that name; nullopt when no such module
  // is loaded. The name may be empty or short when the system gave no proper one.
  virtual std::optional<std::string> LoadedModuleFileName(const std::string& moduleName) = 0;
  // The full file name of the host's executable.
  virtual std::string HostExecutablePath() = 0;

  // The preferences window: created hidden, shown and brought to the front,
  // hidden, destroyed. Handle 0 means there is none.
  virtual void CreatePreferencesWindow() = 0;
  virtual void ShowPreferencesWindow() = 0;
  virtual void HidePreferencesWindow() = 0;
  virtual void DestroyPreferencesWindow() = 0;
  // Tool-window extended style, so the window gets no task-bar button.
  virtual void AddToolWindowStyle() = 0;
  virtual WindowHandle PreferencesWindow() = 0;

  // Runs fn on the window thread soon, from its message loop (never inside this
  // call). Any thread. Tasks still waiting when the window is destroyed are dropped.
  virtual void PostToWindowThread(std::function<void()> fn) = 0;
  // Timer id ticks every intervalMs milliseconds, running fn on the window thread
  // each time, from now on: an earlier setting of id is replaced and its count
  // starts anew; intervalMs 0 or less stops it. Every timer stops with the window.
  virtual void SetTimer(int id, int intervalMs, std::function<void()> fn) = 0;
  // The calling thread's priority: -3 idle, -2 lowest, -1 below normal, 0 normal,
  // 1 above normal, 2 highest, 3 time-critical; other values are clamped. Any thread.
  virtual void SetCurrentThreadPriority(int level) = 0;

  // Asks the shell to open a file with its default program, in a working folder.
  // The outcome is not reported: a missing file or program shows nothing.
  virtual void ShellOpen(const std::string& file, const std::string& directory) = 0;

  // The preferences window's surface. DrawImage copies a bitmap file onto it,
  // stretched into left..right × top..bottom, or unscaled from its top-left corner
  // when stretch is false; false (nothing drawn) when the file is no bitmap.
  virtual bool DrawImage(const std::string& file, int left, int top, int right, int bottom,
                         bool stretch) = 0;
  // Where the pointer and the window's top-left corner are on the screen.
  virtual Point PointerOnScreen() = 0;
  virtual Point WindowOnScreen() = 0;
  // Moves the window, keeping its size and place among the windows, unactivated.
  virtual void MoveWindowTo(Point topLeft) = 0;
  // Draws anew the vertical scroll bars of the lists that hold more lines than
  // they show (after a drag, which may leave them half drawn).
  virtual void RefreshScrollBars() = 0;
  // Brings the preferences window to the foreground.
  virtual void BringToFront() = 0;
  // Opens a pop-up menu at the pointer, owned by the window; the chosen item's id,
  // 0 when the user chose nothing.
  virtual int PopupMenu(const std::vector<MenuItem>& items) = 0;
  // Puts text on the clipboard as plain text.
  virtual void SetClipboardText(const std::string& text) = 0;
  // Opens the find dialog beside the window (only "find next"); onFind runs on
  // the window thread with the text each time the user asks for the next match.
  virtual void ShowFindDialog(std::function<void(const std::string& text)> onFind) = 0;

  // File dialogs with a filter of "description|pattern|..." pairs; the chosen
  // path, or nullopt when the user cancelled. The open dialog starts in folder
  // (empty: where the system likes).
  virtual std::optional<std::string> OpenFileDialog(const std::string& filter,
                                                    const std::string& folder) = 0;
  virtual std::optional<std::string> SaveFileDialog(const std::string& filter) = 0;
};

}  // namespace kolvar
