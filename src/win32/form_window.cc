#include "win32/form_window.h"

#include "win32/skin_scroll_bar.h"

// The DLL's own instance: window classes registered with it belong to this module,
// so a second copy of the plug-in in the same process registers its own. The name
// is the linker's, reserved as it is.
extern "C" IMAGE_DOS_HEADER __ImageBase;  // NOLINT(bugprone-reserved-identifier)

namespace kolvar::win32 {
namespace {

// A Unicode window: its text and its controls' are UTF-16, whatever the system's
// code page (see wide_text.h).
constexpr wchar_t kClassName[] = L"KolvarFormPref";

HINSTANCE ModuleInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

}  // namespace

bool FormWindow::Create(std::function<void()> onWake, std::function<void(UINT_PTR)> onTimer) {
  if (hwnd_) return true;
  onWake_ = std::move(onWake);
  onTimer_ = std::move(onTimer);
  WNDCLASSW wc{};
  wc.lpfnWndProc = &FormWindow::WindowProc;
  wc.hInstance = ModuleInstance();
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kClassName;
  // Already registered by an earlier Open of this module: that is fine.
  if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  if (!RegisterSkinScrollBar(ModuleInstance())) return false;

  // For the window and every control made with it; centred in the same pixels.
  const DpiScope dpi(FormDpiContext());
  int x = (GetSystemMetrics(SM_CXSCREEN) - kFormWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - kFormHeight) / 2;
  // The skin is drawn onto the window wherever a button changes, not only when it
  // paints: clipped to its own surface, it never covers the controls.
  hwnd_ = CreateWindowExW(0, kClassName, L"Kolvar", WS_POPUP | WS_CLIPCHILDREN, x, y, kFormWidth,
                          kFormHeight, nullptr, nullptr, ModuleInstance(), this);
  if (!hwnd_) return false;
  focus_.Attach(hwnd_);
  view_ = std::make_unique<FormView>();
  view_->Create(hwnd_, ModuleInstance(), focus_);
  view_->Attach(model_, enter_);
  return true;
}

void FormWindow::Attach(FormPref* form, Enter enter) {
  model_ = form;
  enter_ = std::move(enter);
  if (view_) view_->Attach(model_, enter_);
}

void FormWindow::Destroy() {
  if (!hwnd_) return;
  DestroyWindow(hwnd_);
  focus_.Attach(nullptr);
  // The view stays until the next window: Destroy may run from inside its input.
  hwnd_ = nullptr;
  UnregisterClassW(kClassName, ModuleInstance());
  UnregisterSkinScrollBar(ModuleInstance());
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
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == kWakeMessage) {
    if (self->onWake_) self->onWake_();
    return 0;
  }
  if (message == WM_TIMER) {
    if (self->onTimer_) self->onTimer_(static_cast<UINT_PTR>(wParam));
    return 0;
  }
  if (self->registered_ && message == self->registered_) {
    if (self->onRegistered_) self->onRegistered_(lParam);
    return 0;
  }
  if (self->focus_.Handle(message, wParam)) return 0;
  LRESULT result = 0;
  if (self->view_ && self->view_->Handle(message, wParam, lParam, result)) return result;
  const Point at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the skin covers the whole face
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      self->Input([](FormPref& form) {
        if (form.OnPaint) form.OnPaint();
      });
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_MOUSEMOVE: {
      constexpr WPARAM kHeld = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL;
      const bool leftAlone = (wParam & kHeld) == MK_LBUTTON && GetKeyState(VK_MENU) >= 0;
      self->Input([&](FormPref& form) {
        if (form.OnMouseMove) form.OnMouseMove(at, leftAlone);
      });
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      // After a press on the surface the pointer stays ours until the release.
      if (message == WM_LBUTTONDOWN) SetCapture(hwnd);
      const MouseButton b = message == WM_LBUTTONDOWN ? MouseButton::Left : MouseButton::Right;
      self->Input([&](FormPref& form) {
        if (form.OnMouseDown) form.OnMouseDown(b, at);
      });
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      if (message == WM_LBUTTONUP) ReleaseCapture();
      const MouseButton b = message == WM_LBUTTONUP ? MouseButton::Left : MouseButton::Right;
      self->Input([&](FormPref& form) {
        if (form.OnMouseUp) form.OnMouseUp(b, at);
      });
      return 0;
    }
    case WM_CLOSE:
      // Closing the preferences only hides them; the plug-in lives until the host's Close.
      self->focus_.Remember();
      ShowWindow(hwnd, SW_HIDE);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace kolvar::win32
