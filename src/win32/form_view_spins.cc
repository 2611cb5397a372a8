// The spin boxes: a read-only edit and its arrows, the value the model's, the
// arrows painted flat in the box's colour.
#include "win32/form_view.h"

#include <commctrl.h>

#include "win32/control_look.h"
#include "win32/host_protocol.h"
#include "win32/unique_handle.h"
#include "win32/wide_text.h"

namespace kolvar::win32 {

void FormView::SyncSpin(SpinState& state, const SpinEdit& model) {
  SyncText(state.edit, std::to_string(model.Value()));
  if (state.enabled != model.Enabled) {
    EnableWindow(state.edit.hwnd, model.Enabled);
    EnableWindow(state.arrows, model.Enabled);
    state.enabled = model.Enabled;
  }
}

SpinEdit* FormView::SpinModel(FormPref& form, HWND control) {
  if (control == searchMod_.edit.hwnd || control == searchMod_.arrows) {
    return &form.SpinEditSearchMod;
  }
  if (control == identital_.edit.hwnd || control == identital_.arrows) {
    return &form.SpinEditIdentital;
  }
  if (control == notiseDelay_.edit.hwnd || control == notiseDelay_.arrows) {
    return &form.SpinEditNotiseDelay;
  }
  if (control == timeShift_.edit.hwnd || control == timeShift_.arrows) {
    return &form.SpinEditTimeShift;
  }
  return nullptr;
}

void FormView::DrawFlatArrows(HWND arrows) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(arrows, &ps);
  RECT r{};
  GetClientRect(arrows, &r);
  FillRect(dc, &r, black_.Get());
  const bool enabled = IsWindowEnabled(arrows);
  const COLORREF colour =
      enabled ? TextColour(GetDlgCtrlID(arrows) - kSpinArrowsOffset) : RGB(96, 96, 96);
  UniqueGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
  UniqueGdiObject<HBRUSH> fill(CreateSolidBrush(colour));
  HGDIOBJ oldPen = SelectObject(dc, pen.Get());
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  const int middle = (r.top + r.bottom) / 2;
  // Two flat buttons, each a frame with a triangle, in the spin box's colour.
  Rectangle(dc, r.left, r.top, r.right, middle);
  Rectangle(dc, r.left, middle, r.right, r.bottom);
  SelectObject(dc, fill.Get());
  const int cx = (r.left + r.right) / 2;
  const POINT up[] = {{cx - 3, middle - 3}, {cx + 3, middle - 3}, {cx, middle - 6}};
  const POINT down[] = {{cx - 3, middle + 3}, {cx + 3, middle + 3}, {cx, middle + 6}};
  Polygon(dc, up, 3);
  Polygon(dc, down, 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  EndPaint(arrows, &ps);
}

}  // namespace kolvar::win32
