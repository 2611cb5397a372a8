// A check box following a CheckBox model, drawn by us from it: flat, in its colour
// (the system's square would be white). A click or a key is the model's.
#pragma once

#include <windows.h>

#include "win32/control_router.h"
#include "win32/form_control.h"
#include "win32/wide_text.h"

namespace kolvar::win32 {

class CheckBoxControl final : public FormControl {
 public:
  CheckBoxControl(ControlHost& host, const ControlPlace& place, CheckBox FormPref::*model)
      : FormControl(host, place), model_(model) {}

  void Create(const ControlParent& parent) override {
    hwnd_ = MakeWindow(parent, "BUTTON", BS_OWNERDRAW | WS_TABSTOP);
    SetFont(hwnd_, host_.Look().bold.Get());
    Subclass(hwnd_);
    parent.router.OnCommand(place_.id, [this](int code) {
      if (code != BN_CLICKED) return false;
      host_.Input([this](FormPref& form) { (form.*model_).Click(); });
      return true;
    });
    parent.router.OnDrawItem(place_.id, [this](const DRAWITEMSTRUCT& item) {
      const FormPref* form = host_.Form();
      if (!form) return false;
      Draw(item, form->*model_);
      return true;
    });
  }

  void Sync(const FormPref& form) override {
    const int checked = (form.*model_).Checked() ? BST_CHECKED : BST_UNCHECKED;
    if (!hwnd_ || checked_ == checked) return;
    // Drawn from the model: a change is a repaint.
    InvalidateRect(hwnd_, nullptr, FALSE);
    checked_ = checked;
  }

 private:
  const ControlBase& Model(const FormPref& form) const override { return form.*model_; }

  LRESULT OnMessage(UINT_PTR part, HWND window, UINT message, WPARAM wParam,
                    LPARAM lParam) override {
    if (message == WM_CHAR) {
      // The model hears of the key (a Space also toggles the box, which it reports
      // as a click).
      const LRESULT r = FormControl::OnMessage(part, window, message, wParam, lParam);
      host_.Input([this](FormPref& form) { (form.*model_).KeyPress(); });
      return r;
    }
    if (IsUpOrDown(message, wParam)) return UseUpKey();
    return FormControl::OnMessage(part, window, message, wParam, lParam);
  }

  void Draw(const DRAWITEMSTRUCT& item, const CheckBox& model) const {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    FillRect(dc, &r, host_.Look().black.Get());
    const int side = 13;
    const int top = r.top + (r.bottom - r.top - side) / 2;
    DrawFlatCheck(dc, RECT{r.left, top, r.left + side, top + side}, place_.colour, model.Checked());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, place_.colour);
    HGDIOBJ old = SelectObject(dc, host_.Look().bold.Get());
    RECT text{r.left + side + 4, r.top, r.right, r.bottom};
    const std::wstring caption = Wide(model.Caption);
    DrawTextW(dc, caption.data(), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, old);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
  }

  CheckBox FormPref::*const model_;
  int checked_ = -1;
};

}  // namespace kolvar::win32
