#include "win32/tooltips.h"

#include <commctrl.h>

#include "win32/wide_text.h"

namespace kolvar::win32 {

void Tooltips::Create(HWND parent, HINSTANCE instance) {
  hwnd_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0,
                          0, 0, parent, nullptr, instance, nullptr);
}

void Tooltips::Add(HWND control, const std::string& text) {
  if (!hwnd_) return;
  std::wstring wide = Wide(text);
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = GetParent(control);
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = wide.data();
  SendMessageW(hwnd_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void Tooltips::Set(HWND control, const std::string& text) {
  if (!hwnd_) return;
  std::wstring wide = Wide(text);
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = GetParent(control);
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = wide.data();
  SendMessageW(hwnd_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void Tooltips::AddArea(HWND window, UINT_PTR id, const RECT& area, const std::string& text) {
  if (!hwnd_) return;
  std::wstring wide = Wide(text);
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_SUBCLASS;
  info.hwnd = window;
  info.uId = id;
  info.rect = area;
  info.lpszText = wide.data();
  SendMessageW(hwnd_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace kolvar::win32
