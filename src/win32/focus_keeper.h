// The keyboard focus of a window of controls, kept as a dialog keeps its own: the
// control that has it is remembered when the window loses activation, is hidden or
// opens a box or dialog, and gets it back when the window is active again. Left to
// the system, an active window that is no dialog takes the focus itself, and keys
// then reach no control.
#pragma once

#include <windows.h>

namespace kolvar::win32 {

class FocusKeeper {
 public:
  // A new window: nothing remembered, its first showing gives the focus to its
  // first control in tab order.
  void Attach(HWND window) {
    window_ = window;
    remembered_ = nullptr;
  }
  // Notes the control of the window that has the focus; when none has it (a box
  // may have taken it already), the one noted before stays.
  void Remember();
  // Gives the focus back to the control remembered, or to the first in tab order
  // when that one can no longer take it; only while the window is the active one.
  // False when no control took it.
  bool Restore();
  // The window's activation and focus messages, handled as a dialog handles them;
  // false when the system is to handle the message.
  bool Handle(UINT message, WPARAM wParam);

 private:
  HWND window_ = nullptr;
  HWND remembered_ = nullptr;
};

// For as long as a box or dialog opened over the window lasts: the focus is
// remembered before, and given back after when the window is active again.
class FocusKept {
 public:
  explicit FocusKept(FocusKeeper& keeper) : keeper_(keeper) { keeper_.Remember(); }
  FocusKept(const FocusKept&) = delete;
  FocusKept& operator=(const FocusKept&) = delete;
  ~FocusKept() { keeper_.Restore(); }

 private:
  FocusKeeper& keeper_;
};

}  // namespace kolvar::win32
