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

}  // namespace kolvar::win32
