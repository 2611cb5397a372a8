// A label following a Label model: its caption, left-aligned on one line.
#pragma once

#include <windows.h>

#include "win32/form_control.h"

namespace kolvar::win32 {

class LabelControl : public FormControl {
 public:
  LabelControl(ControlHost& host, const ControlPlace& place, Label FormPref::*model)
      : FormControl(host, place), model_(model) {}

  void Create(const ControlParent& parent) override {
    hwnd_ = MakeWindow(parent, "STATIC", Style());
    text_.hwnd = hwnd_;
    SetFont(hwnd_, host_.Look().bold.Get());
  }

  void Sync(const FormPref& form) override { text_.Sync((form.*model_).Caption); }

 protected:
  virtual DWORD Style() const { return SS_LEFTNOWORDWRAP; }
  const ControlBase& Model(const FormPref& form) const override { return form.*model_; }

  Label FormPref::*const model_;
  TextMirror text_;
};

}  // namespace kolvar::win32
