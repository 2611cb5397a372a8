// The channel list: Win32 has no check-list box, so a list box that draws a check
// square on every line. A folder may hold thousands of channels: like the result
// list, it keeps no lines and draws them, and their marks, from the model.
#pragma once

#include "win32/list_control.h"

namespace kolvar::win32 {

class CheckListControl final : public ListControl<CheckListBox> {
 public:
  CheckListControl(ControlHost& host, const ControlPlace& place, Member model)
      : ListControl(host, place, model, Lines{false, 13, &FormLook::font}) {}

 private:
  void Claim(ControlRouter& router) override {
    ListControl::Claim(router);
    router.OnDrawItem(place_.id, [this](const DRAWITEMSTRUCT& item) {
      if (item.itemID == static_cast<UINT>(-1)) return false;
      DrawLine(item);
      return true;
    });
  }

  // The marks are drawn from the model: a change needs only a repaint.
  void SyncMarks(const CheckListBox& model) override {
    if (checksVersion_ == model.ChecksVersion()) return;
    InvalidateRect(hwnd_, nullptr, FALSE);
    checksVersion_ = model.ChecksVersion();
  }

  // The marks too, as item data: 1 checked.
  std::optional<LRESULT> Answer(UINT message, WPARAM wParam, LPARAM lParam) const override {
    if (message == LB_GETITEMDATA) {
      const FormPref* form = host_.Form();
      if (!form || wParam >= (form->*model_).CheckMarks().size()) return LB_ERR;
      return (form->*model_).IsChecked(static_cast<int>(wParam)) ? 1 : 0;
    }
    return AnswerText(message, wParam, lParam);
  }

  void OnLeftPress(int item, LPARAM lParam) override {
    // A click on a line's check square changes its mark.
    if (static_cast<short>(LOWORD(lParam)) < lines_.itemHeight) ToggleMark(item);
  }

  // Space changes the current line's mark, as a click on its square does.
  LRESULT OnKey(int key) override {
    if (key != VK_SPACE) return ListControl::OnKey(key);
    const FormPref* form = host_.Form();
    if (form) ToggleMark((form->*model_).ItemIndex());
    return -2;  // nothing more for the list box to do
  }

  void ToggleMark(int item) {
    if (item < 0) return;
    host_.Input([&](FormPref& form) {
      CheckListBox& channels = form.*model_;
      if (item >= channels.Count()) return;
      channels.SetChecked(item, !channels.IsChecked(item));
      if (channels.OnClickCheck) channels.OnClickCheck();
    });
  }

  void DrawLine(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    if (!DrawLineBackground(item)) return;
    const bool selected = item.itemState & ODS_SELECTED;
    const std::optional<std::string> line = ModelLine(item.itemID);
    if (!line) return;
    const bool checked = (host_.Form()->*model_).IsChecked(static_cast<int>(item.itemID));
    RECT box{r.left + 1, r.top + 1, r.left + (r.bottom - r.top) - 1, r.bottom - 1};
    const COLORREF colour = selected ? kSelectionText : kWordsText;
    DrawFlatCheck(dc, box, colour, checked);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    RECT textRect{box.right + 3, r.top, r.right, r.bottom};
    const std::wstring wide = Wide(*line);
    DrawTextW(dc, wide.data(), static_cast<int>(wide.size()), &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
  }

  std::uint64_t checksVersion_ = 0;
};

}  // namespace kolvar::win32
