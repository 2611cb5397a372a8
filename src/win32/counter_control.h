// The channel counter ("3/40"): a label as wide as its text whose right edge stays
// where its place ends, as the skin expects it, whatever the text's width.
#pragma once

#include <windows.h>

#include <string>

#include "win32/label_control.h"
#include "win32/wide_text.h"

namespace kolvar::win32 {

class CounterControl final : public LabelControl {
 public:
  using LabelControl::LabelControl;

  void Sync(const FormPref& form) override {
    const std::string& caption = (form.*model_).Caption;
    if (text_.synced && text_.text == caption) return;
    // Sized for the new text first, so the text is never drawn into the old width.
    Fit(caption);
    text_.Sync(caption);
  }

 private:
  DWORD Style() const override { return SS_RIGHT; }

  void Fit(const std::string& text) const {
    HDC dc = GetDC(hwnd_);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, host_.Look().bold.Get());
    SIZE size{};
    const std::wstring wide = Wide(text);
    GetTextExtentPoint32W(dc, wide.data(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    const ControlPlace::Rect& r = place_.rect;
    MoveWindow(hwnd_, r.x + r.w - size.cx, r.y, size.cx, r.h, TRUE);
  }
};

}  // namespace kolvar::win32
