#include "win32/focus_keeper.h"

namespace kolvar::win32 {

void FocusKeeper::Remember() {
  const HWND focus = GetFocus();
  if (window_ && focus && focus != window_ && IsChild(window_, focus)) remembered_ = focus;
}

bool FocusKeeper::Restore() {
  // A hidden or inactive window is not given the focus: that would activate it.
  if (!window_ || !IsWindowVisible(window_) || GetActiveWindow() != window_) return false;
  HWND target = remembered_;
  if (!target || !IsChild(window_, target) || !IsWindowVisible(target) ||
      !IsWindowEnabled(target)) {
    target = GetNextDlgTabItem(window_, nullptr, FALSE);
  }
  if (!target) return false;
  SetFocus(target);
  return GetFocus() == target;
}

bool FocusKeeper::Handle(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        Remember();
        return true;
      }
      // Left to the system, the window would take the focus itself.
      return !HIWORD(wParam) && Restore();
    case WM_SETFOCUS:
      // The focus put on the bare window goes on to its control.
      Restore();
      return true;
    default:
      return false;
  }
}

}  // namespace kolvar::win32
