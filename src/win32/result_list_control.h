// The result list: no lines of its own, each drawn from the model, a new result
// bold and in its own colour; a right press brings the model's menu.
#pragma once

#include "win32/list_control.h"

namespace kolvar::win32 {

class ResultListControl final : public ListControl<ListBox> {
 public:
  ResultListControl(ControlHost& host, const ControlPlace& place, Member model)
      : ListControl(host, place, model, Lines{false, 11, &FormLook::result}) {}

 private:
  void Claim(ControlRouter& router) override {
    ListControl::Claim(router);
    router.OnDrawItem(place_.id, [this](const DRAWITEMSTRUCT& item) {
      if (item.itemID == static_cast<UINT>(-1)) return false;
      DrawLine(item);
      return true;
    });
  }

  std::optional<LRESULT> Answer(UINT message, WPARAM wParam, LPARAM lParam) const override {
    return AnswerText(message, wParam, lParam);
  }

  bool MenuOnPress() const override { return true; }

  void DrawLine(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    if (!DrawLineBackground(item)) return;
    const bool selected = item.itemState & ODS_SELECTED;
    if (const std::optional<std::string> line = ModelLine(item.itemID)) {
      // A new result is drawn bold and in its own colour; its text stays the line's.
      const bool marked = (host_.Form()->*model_).IsMarked(static_cast<int>(item.itemID));
      const HGDIOBJ font = marked ? SelectObject(dc, host_.Look().resultNew.Get()) : nullptr;
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, selected ? kSelectionText : marked ? kNewResultText : kWordsText);
      const std::wstring wide = Wide(*line);
      ExtTextOutW(dc, r.left + 1, r.top, ETO_CLIPPED, &r, wide.data(),
                  static_cast<UINT>(wide.size()), nullptr);
      if (font) SelectObject(dc, font);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
  }
};

}  // namespace kolvar::win32
