// The window's tooltip: a hint for each control whose model shows one.
#pragma once

#include <windows.h>

#include <string>

namespace kolvar::win32 {

class Tooltips {
 public:
  void Create(HWND parent, HINSTANCE instance);
  void Add(HWND control, const std::string& text);
  void Set(HWND control, const std::string& text);
  // A hint for a part of window's own surface (a skin button), told apart by id.
  void AddArea(HWND window, UINT_PTR id, const RECT& area, const std::string& text);

 private:
  // Owned by the window, which destroys it with itself; the view outlives the window.
  HWND hwnd_ = nullptr;
};

}  // namespace kolvar::win32
