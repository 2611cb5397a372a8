// The real controls of the preferences window, kept in step with the control
// models both ways: after the plug-in has acted, Sync copies what changed into the
// controls; what the user does in a control changes its model and runs the
// model's handler, inside a plug-in frame.
//
// One class a kind of control (form_control.h); the view makes them from its table
// (form_view.cc) and hands each message about a control to the control it names.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "ui/form_pref.h"
#include "win32/control_look.h"
#include "win32/control_router.h"
#include "win32/focus_keeper.h"
#include "win32/form_control.h"
#include "win32/tooltips.h"

namespace kolvar::win32 {

using Enter = std::function<void(const std::function<void()>&)>;

class FormView final : public ControlHost {
 public:
  FormView() = default;
  FormView(const FormView&) = delete;
  FormView& operator=(const FormView&) = delete;
  ~FormView() = default;

  // Creates the child controls of parent at their places; focus is the parent's.
  void Create(HWND parent, HINSTANCE instance, FocusKeeper& focus);
  // The models the controls follow and feed (null: none, input is ignored), and
  // how plug-in code is entered.
  void Attach(FormPref* form, Enter enter);
  void Sync();
  // Handles a message of the parent window meant for the controls; false when it
  // is not one of theirs.
  bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Shows the vertical scroll bar anew of each list holding more than it shows.
  void RefreshScrollBars();
  // Runs fn on the models inside a plug-in frame, then brings the controls in step.
  void Input(const std::function<void(FormPref&)>& fn) override;

 private:
  FormPref* Form() const override { return model_; }
  const FormLook& Look() const override { return look_; }
  Tooltips& Tips() override { return tips_; }
  FocusKeeper& Focus() override { return *focus_; }

  FormPref* model_ = nullptr;
  Enter enter_;
  FocusKeeper* focus_ = nullptr;
  bool syncing_ = false;  // the controls' notifications while Sync writes are not input
  FormLook look_;
  Tooltips tips_;
  ControlRouter router_;
  std::vector<std::unique_ptr<FormControl>> controls_;  // in tab order
};

}  // namespace kolvar::win32
