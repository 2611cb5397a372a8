// The window's tooltips: one per control that shows a hint, its text following
// the model's.
#include "win32/form_view.h"

#include <commctrl.h>

#include "win32/control_look.h"
#include "win32/host_protocol.h"
#include "win32/unique_handle.h"
#include "win32/wide_text.h"

namespace kolvar::win32 {

void FormView::AddTip(HWND control, const std::string& text) {
  if (!tips_) return;
  std::wstring wide = Wide(text);
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = GetParent(control);
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = wide.data();
  SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void FormView::SetTip(HWND control, const std::string& text) {
  if (!tips_) return;
  std::wstring wide = Wide(text);
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = GetParent(control);
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = wide.data();
  SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace kolvar::win32
