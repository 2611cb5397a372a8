// The DPI awareness the preferences window is made in, and a scope that puts the
// calling thread in a window's own awareness: coordinates given to or read from a
// window mean the window's pixels only in its own awareness, and the host's thread
// may be in another one (a DPI-aware host on a 150 % screen).
#pragma once

#include <windows.h>

namespace kolvar::win32 {

// Puts the calling thread in an awareness context for its lifetime, then gives
// the thread its own back. Nothing where the system has no such contexts (before
// Windows 10 1607) or for a null context.
class DpiScope {
 public:
  explicit DpiScope(DPI_AWARENESS_CONTEXT context);
  DpiScope(const DpiScope&) = delete;
  DpiScope& operator=(const DpiScope&) = delete;
  ~DpiScope();

 private:
  DPI_AWARENESS_CONTEXT previous_ = nullptr;
};

// The window's own context, null without a window or where there are none.
DPI_AWARENESS_CONTEXT WindowDpiContext(HWND window);

// The context for the preferences window, laid out in pixels of a 96 dpi skin:
// DPI-unaware where the system scales such a window with the screen, so it is not
// tiny at 150 % or 200 %. Where it would not be scaled (Wine draws it in its own
// pixels but maps the pointer as if it were scaled, so clicks miss), per-monitor
// aware: its pixels are the screen's. Null where there are no contexts.
DPI_AWARENESS_CONTEXT FormDpiContext();

}  // namespace kolvar::win32
