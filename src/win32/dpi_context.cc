#include "win32/dpi_context.h"

namespace kolvar::win32 {
namespace {

// Looked up at run time: user32 before Windows 10 1607 and older Wine lack them.
struct DpiFunctions {
  using SetThreadFn = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
  using WindowFn = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
  using SystemDpiFn = UINT(WINAPI*)();

  DpiFunctions() {
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
      setThread = Find<SetThreadFn>(user32, "SetThreadDpiAwarenessContext");
      window = Find<WindowFn>(user32, "GetWindowDpiAwarenessContext");
      systemDpi = Find<SystemDpiFn>(user32, "GetDpiForSystem");
    }
  }
  template <typename Fn>
  static Fn Find(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }

  SetThreadFn setThread = nullptr;
  WindowFn window = nullptr;
  SystemDpiFn systemDpi = nullptr;
};

const DpiFunctions& Functions() {
  static const DpiFunctions functions;
  return functions;
}

// The contexts' own values, spelled out: older headers lack them.
DPI_AWARENESS_CONTEXT Unaware() {
  return reinterpret_cast<DPI_AWARENESS_CONTEXT>(static_cast<INT_PTR>(-1));
}
DPI_AWARENESS_CONTEXT PerMonitorAware() {
  return reinterpret_cast<DPI_AWARENESS_CONTEXT>(static_cast<INT_PTR>(-3));
}

}  // namespace

DpiScope::DpiScope(DPI_AWARENESS_CONTEXT context) {
  if (context && Functions().setThread) previous_ = Functions().setThread(context);
}

DpiScope::~DpiScope() {
  if (previous_) Functions().setThread(previous_);
}

DPI_AWARENESS_CONTEXT WindowDpiContext(HWND window) {
  if (!window || !Functions().window) return nullptr;
  return Functions().window(window);
}

DPI_AWARENESS_CONTEXT FormDpiContext() {
  const DpiFunctions& f = Functions();
  if (!f.setThread) return nullptr;
  // A hidden unaware window, measured in the screen's own pixels.
  constexpr int kSide = 96;
  HWND probe = nullptr;
  {
    const DpiScope unaware(Unaware());
    probe = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, kSide, kSide, nullptr,
                            nullptr, nullptr, nullptr);
  }
  if (!probe) return Unaware();
  RECT seen{};
  UINT dpi = USER_DEFAULT_SCREEN_DPI;
  {
    const DpiScope aware(PerMonitorAware());
    GetWindowRect(probe, &seen);
    if (f.systemDpi) dpi = f.systemDpi();
  }
  DestroyWindow(probe);
  const bool scaled = seen.right - seen.left != kSide;
  return scaled || dpi == USER_DEFAULT_SCREEN_DPI ? Unaware() : PerMonitorAware();
}

}  // namespace kolvar::win32
