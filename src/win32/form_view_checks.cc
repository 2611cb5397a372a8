// The check boxes: drawn by us from their models, flat, in their colours.
#include "win32/form_view.h"

#include <commctrl.h>

#include "win32/control_look.h"
#include "win32/host_protocol.h"
#include "win32/unique_handle.h"
#include "win32/wide_text.h"

namespace kolvar::win32 {

void FormView::SyncCheck(CheckState& state, const CheckBox& model) {
  const int checked = model.Checked() ? BST_CHECKED : BST_UNCHECKED;
  if (!state.hwnd || state.checked == checked) return;
  // Drawn by us from the model (see DrawCheckBox): a change is a repaint.
  InvalidateRect(state.hwnd, nullptr, FALSE);
  state.checked = checked;
}

void FormView::DrawCheckBox(const DRAWITEMSTRUCT& item, const CheckBox& model) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  FillRect(dc, &r, black_.Get());
  const COLORREF colour = TextColour(GetDlgCtrlID(item.hwndItem));
  const int side = 13;
  const int top = r.top + (r.bottom - r.top - side) / 2;
  DrawFlatCheck(dc, RECT{r.left, top, r.left + side, top + side}, colour, model.Checked());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  HGDIOBJ old = SelectObject(dc, boldFont_.Get());
  RECT text{r.left + side + 4, r.top, r.right, r.bottom};
  const std::wstring caption = Wide(model.Caption);
  DrawTextW(dc, caption.data(), static_cast<int>(caption.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SelectObject(dc, old);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

}  // namespace kolvar::win32
