// A spin box following a SpinEdit model: a read-only edit showing the model's
// value and its arrows beside it, painted flat in the box's colour; the arrows and
// the Up and Down keys step the model, which keeps the value.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "win32/control_router.h"
#include "win32/form_control.h"
#include "win32/host_protocol.h"

namespace kolvar::win32 {

class SpinControl final : public FormControl {
 public:
  SpinControl(ControlHost& host, const ControlPlace& place, SpinEdit FormPref::*model)
      : FormControl(host, place), model_(model) {}

  void Create(const ControlParent& parent) override {
    constexpr int kArrowsWidth = 12;
    const ControlPlace::Rect& r = place_.rect;
    hwnd_ = Child(parent.window, parent.instance, "EDIT", "", ES_READONLY | ES_RIGHT | WS_TABSTOP,
                  r.x, r.y, r.w - kArrowsWidth, r.h, place_.id);
    text_.hwnd = hwnd_;
    arrows_ = Child(parent.window, parent.instance, UPDOWN_CLASSA, "", UDS_ARROWKEYS,
                    r.x + r.w - kArrowsWidth, r.y, kArrowsWidth, r.h, ArrowsId());
    // Wine makes the arrows as wide as it likes (16 pixels): the edit gives them
    // the room they took, so the pair stays in its place and its skin frame.
    RECT made{};
    GetWindowRect(arrows_, &made);
    const int arrowsWidth = std::max(0L, made.right - made.left);
    if (arrowsWidth != kArrowsWidth) {
      MoveWindow(hwnd_, r.x, r.y, r.w - arrowsWidth, r.h, FALSE);
      MoveWindow(arrows_, r.x + r.w - arrowsWidth, r.y, arrowsWidth, r.h, FALSE);
    }
    const SpinEdit& defaults = parent.defaults.*model_;
    SendMessageA(arrows_, UDM_SETRANGE32, static_cast<WPARAM>(defaults.Min()), defaults.Max());
    SetFont(hwnd_, host_.Look().bold.Get());
    // One pixel of margin: the numbers need the room.
    SendMessageA(hwnd_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 1));
    Subclass(hwnd_, kEdit);
    Subclass(arrows_, kArrows);
    parent.router.OnNotify(ArrowsId(), [this](const NMHDR& header) -> std::optional<LRESULT> {
      if (header.code != UDN_DELTAPOS) return std::nullopt;
      const bool up = reinterpret_cast<const NMUPDOWN&>(header).iDelta > 0;
      Step(up);
      return TRUE;  // the arrows keep no value of their own: the model has it
    });
  }

  void Sync(const FormPref& form) override {
    const SpinEdit& model = form.*model_;
    text_.Sync(std::to_string(model.Value()));
    if (enabled_ != model.Enabled) {
      EnableWindow(hwnd_, model.Enabled);
      EnableWindow(arrows_, model.Enabled);
      enabled_ = model.Enabled;
    }
  }

 private:
  enum Part : UINT_PTR { kEdit, kArrows };

  int ArrowsId() const { return place_.id + kSpinArrowsOffset; }

  const ControlBase& Model(const FormPref& form) const override { return form.*model_; }

  LRESULT OnMessage(UINT_PTR part, HWND window, UINT message, WPARAM wParam,
                    LPARAM lParam) override {
    if (part == kArrows && message == WM_PAINT) {
      DrawFlatArrows();
      return 0;
    }
    if (part == kArrows && message == WM_ENABLE) InvalidateRect(arrows_, nullptr, FALSE);
    if (IsUpOrDown(message, wParam)) {
      Step(wParam == VK_UP);
      return 0;
    }
    return FormControl::OnMessage(part, window, message, wParam, lParam);
  }

  void Step(bool up) {
    host_.Input([&](FormPref& form) {
      SpinEdit& model = form.*model_;
      up ? model.StepUp() : model.StepDown();
    });
  }

  void DrawFlatArrows() const {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(arrows_, &ps);
    RECT r{};
    GetClientRect(arrows_, &r);
    FillRect(dc, &r, host_.Look().black.Get());
    const COLORREF colour = IsWindowEnabled(arrows_) ? place_.colour : RGB(96, 96, 96);
    UniqueGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
    UniqueGdiObject<HBRUSH> fill(CreateSolidBrush(colour));
    HGDIOBJ oldPen = SelectObject(dc, pen.Get());
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    const int middle = (r.top + r.bottom) / 2;
    // Two flat buttons, each a frame with a triangle.
    Rectangle(dc, r.left, r.top, r.right, middle);
    Rectangle(dc, r.left, middle, r.right, r.bottom);
    SelectObject(dc, fill.Get());
    const int cx = (r.left + r.right) / 2;
    const POINT upArrow[] = {{cx - 3, middle - 3}, {cx + 3, middle - 3}, {cx, middle - 6}};
    const POINT downArrow[] = {{cx - 3, middle + 3}, {cx + 3, middle + 3}, {cx, middle + 6}};
    Polygon(dc, upArrow, 3);
    Polygon(dc, downArrow, 3);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    EndPaint(arrows_, &ps);
  }

  SpinEdit FormPref::*const model_;
  HWND arrows_ = nullptr;
  TextMirror text_;
  bool enabled_ = true;
};

}  // namespace kolvar::win32
