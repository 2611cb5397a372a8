#include "win32/form_window.h"

// The DLL's own instance: window classes registered with it belong to this module,
// so a second copy of the plug-in in the same process registers its own.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace kolvar::win32 {
namespace {

constexpr char kClassName[] = "KolvarFormPref";

HINSTANCE ModuleInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

}  // namespace

bool FormWindow::Create(std::function<void()> onWake, std::function<void(UINT_PTR)> onTimer) {
  if (hwnd_) return true;
  onWake_ = std::move(onWake);
  onTimer_ = std::move(onTimer);
  WNDCLASSA wc{};
  wc.lpfnWndProc = &FormWindow::WindowProc;
  wc.hInstance = ModuleInstance();
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kClassName;
  // Already registered by an earlier Open of this module: that is fine.
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  int x = (GetSystemMetrics(SM_CXSCREEN) - kFormWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - kFormHeight) / 2;
  hwnd_ = CreateWindowExA(0, kClassName, "Kolvar", WS_POPUP, x, y, kFormWidth, kFormHeight, nullptr,
                          nullptr, ModuleInstance(), this);
  if (!hwnd_) return false;
  view_ = FormView();
  view_.Create(hwnd_, ModuleInstance());
  return true;
}

void FormWindow::Destroy() {
  if (!hwnd_) return;
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  UnregisterClassA(kClassName, ModuleInstance());
}

LRESULT CALLBACK FormWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // The host's message loop calls this: nothing may escape into it.
  try {
    return HandleMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT FormWindow::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (message == kWakeMessage) {
    if (self && self->onWake_) self->onWake_();
    return 0;
  }
  if (message == WM_TIMER) {
    if (self && self->onTimer_) self->onTimer_(static_cast<UINT_PTR>(wParam));
    return 0;
  }
  if (message == WM_DRAWITEM && self &&
      self->view_.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) {
    return TRUE;
  }
  if (message == WM_CLOSE) {
    // Closing the preferences only hides them; the plug-in lives until the host's Close.
    ShowWindow(hwnd, SW_HIDE);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace kolvar::win32
