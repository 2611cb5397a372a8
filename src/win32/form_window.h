// The preferences window's Win32 side. For now a plain borderless window of the
// skin's size; it owns its HWND and its window class.
#pragma once

#include <windows.h>

#include <functional>

#include "ui/form_pref.h"
#include "win32/form_view.h"

namespace kolvar::win32 {

class FormWindow {
 public:
  FormWindow() = default;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;
  ~FormWindow() { Destroy(); }

  // Posted to the window to make it run onWake on its thread.
  static constexpr UINT kWakeMessage = WM_APP + 1;

  // Creates the window hidden, running onWake for kWakeMessage and onTimer for
  // each timer tick. False when the system refused.
  bool Create(std::function<void()> onWake, std::function<void(UINT_PTR)> onTimer);
  void Destroy();
  HWND Handle() const { return hwnd_; }
  // Brings the real controls in step with the models.
  void Sync(const FormPref& form) { view_.Sync(form); }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  std::function<void()> onWake_;
  std::function<void(UINT_PTR)> onTimer_;
  FormView view_;
};

}  // namespace kolvar::win32
