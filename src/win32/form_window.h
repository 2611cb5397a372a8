// The preferences window's Win32 side: a borderless window of the skin's size
// that paints the skin and hosts the controls (FormView); it owns its HWND and
// its window class.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "ui/form_pref.h"
#include "win32/dpi_context.h"
#include "win32/focus_keeper.h"
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
  // The calling thread in the window's own DPI awareness for the scope's life:
  // for every call from outside the window's messages that works on it.
  DpiScope InItsDpi() const { return DpiScope(WindowDpiContext(hwnd_)); }
  // Which of its controls has the keyboard focus, kept across boxes, dialogs,
  // hiding and showing.
  FocusKeeper& Focus() { return focus_; }
  // The models the window follows and feeds, and how plug-in code is entered.
  void Attach(FormPref* form, Enter enter);
  // Brings the real controls in step with the models.
  void Sync() {
    if (view_) view_->Sync();
  }
  void RefreshScrollBars() {
    if (view_) view_->RefreshScrollBars();
  }
  // Runs fn on the models as plug-in code (see FormView::Input).
  void Input(const std::function<void(FormPref&)>& fn) {
    if (view_) view_->Input(fn);
  }
  // A message registered at run time (the find dialog's) and what to do with it.
  void OnRegisteredMessage(UINT message, std::function<void(LPARAM)> handler) {
    registered_ = message;
    onRegistered_ = std::move(handler);
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  std::function<void()> onWake_;
  std::function<void(UINT_PTR)> onTimer_;
  UINT registered_ = 0;
  std::function<void(LPARAM)> onRegistered_;
  FocusKeeper focus_;
  std::unique_ptr<FormView> view_;  // made with each window
  FormPref* model_ = nullptr;
  Enter enter_;
};

}  // namespace kolvar::win32
