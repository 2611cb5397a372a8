// The three lists: kept in step with their models by version, the result and
// channel lists drawn from the models line by line (they keep no lines of their
// own), the scroll bars drawn anew after a drag.
#include "win32/form_view.h"

#include <commctrl.h>

#include "win32/control_look.h"
#include "win32/host_protocol.h"
#include "win32/unique_handle.h"
#include "win32/wide_text.h"

namespace kolvar::win32 {

void FormView::SyncList(ListState& state, const ListBox& model, const CheckListBox* checks) {
  if (!state.hwnd) return;
  // The versions say whether anything changed: a Sync costs what changed, not
  // what the lists hold.
  const bool itemsChanged = !state.synced || state.version != model.Version();
  if (itemsChanged) {
    // Rebuilding a long list item by item redraws once, not per line.
    SendMessageA(state.hwnd, WM_SETREDRAW, FALSE, 0);
    SendMessageA(state.hwnd, LB_RESETCONTENT, 0, 0);
    if (state.ownsText) {
      for (const auto& item : model.Items()) {
        SendMessageW(state.hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
      }
    } else {
      SendMessageA(state.hwnd, LB_SETCOUNT, model.Items().size(), 0);
    }
    SendMessageA(state.hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(state.hwnd, nullptr, FALSE);
    state.count = model.Items().size();
    state.version = model.Version();
    state.synced = true;
    state.current = -2;
  }
  // The marks are drawn from the model: a change needs only a repaint.
  if (checks && state.checksVersion != checks->ChecksVersion()) {
    InvalidateRect(state.hwnd, nullptr, FALSE);
    state.checksVersion = checks->ChecksVersion();
  }
  if (state.current != model.ItemIndex()) {
    SendMessageA(state.hwnd, LB_SETCURSEL, static_cast<WPARAM>(model.ItemIndex()), 0);
    state.current = model.ItemIndex();
  }
  if (model.ShowHint && state.hint != model.Hint) {
    SetTip(state.hwnd, model.Hint);
    state.hint = model.Hint;
  }
}

ListBox* FormView::ListModel(FormPref& form, HWND list) {
  if (list == find_.hwnd) return &form.ListBoxFind;
  if (list == words_.hwnd) return &form.ListBoxWords;
  if (list == files_.hwnd) return &form.CheckListBoxFiles;
  return nullptr;
}

void FormView::RefreshScrollBars() {
  for (ListState* list : {&words_, &find_, &files_}) {
    if (!list->hwnd) continue;
    RECT r{};
    GetClientRect(list->hwnd, &r);
    const int visible = (r.bottom - r.top) / list->itemHeight;
    if (static_cast<int>(list->count) > visible) {
      ShowScrollBar(list->hwnd, SB_VERT, FALSE);
      ShowScrollBar(list->hwnd, SB_VERT, TRUE);
    }
  }
}

const std::string* FormView::ModelLine(HWND list, WPARAM index) const {
  if (!model_) return nullptr;
  const ListBox& model = list == files_.hwnd ? model_->CheckListBoxFiles : model_->ListBoxFind;
  if (index >= model.Items().size()) return nullptr;
  return &model.Items()[index];
}

bool FormView::DrawLineBackground(const DRAWITEMSTRUCT& item) {
  RECT r = item.rcItem;
  // A change of focus alone toggles the dotted frame.
  if (item.itemAction == ODA_FOCUS) {
    DrawFocusRect(item.hDC, &r);
    return false;
  }
  const bool selected = item.itemState & ODS_SELECTED;
  FillRect(item.hDC, &r, selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : black_.Get());
  return true;
}

void FormView::DrawResultLine(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  if (!DrawLineBackground(item)) return;
  const bool selected = item.itemState & ODS_SELECTED;
  if (const std::string* line = ModelLine(find_.hwnd, item.itemID)) {
    // A new result is drawn bold and in its own colour; its text stays the line's.
    const bool marked = model_->ListBoxFind.IsMarked(static_cast<int>(item.itemID));
    const HGDIOBJ font = marked ? SelectObject(dc, smallBoldFont_.Get()) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                     : marked ? kNewResultText
                              : kWordsText);
    const std::wstring wide = Wide(*line);
    ExtTextOutW(dc, r.left + 1, r.top, ETO_CLIPPED, &r, wide.data(), static_cast<UINT>(wide.size()),
                nullptr);
    if (font) SelectObject(dc, font);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

void FormView::DrawChannelLine(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  if (!DrawLineBackground(item)) return;
  const bool selected = item.itemState & ODS_SELECTED;
  const std::string* line = ModelLine(files_.hwnd, item.itemID);
  if (!line) return;
  const bool checked = model_->CheckListBoxFiles.IsChecked(static_cast<int>(item.itemID));
  RECT box{r.left + 1, r.top + 1, r.left + (r.bottom - r.top) - 1, r.bottom - 1};
  DrawFlatCheck(dc, box, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : kWordsText, checked);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : kWordsText);
  RECT textRect{box.right + 3, r.top, r.right, r.bottom};
  const std::wstring wide = Wide(*line);
  DrawTextW(dc, wide.data(), static_cast<int>(wide.size()), &textRect,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

bool FormView::DrawItem(const DRAWITEMSTRUCT& item) {
  if (model_ && item.CtlType == ODT_BUTTON) {
    if (item.hwndItem == fullSearch_.hwnd) DrawCheckBox(item, model_->CheckBoxFullSearch);
    if (item.hwndItem == sorted_.hwnd) DrawCheckBox(item, model_->CheckBoxSorted);
    if (item.hwndItem == remind_.hwnd) DrawCheckBox(item, model_->CheckBoxRemind);
    return true;
  }
  if (item.itemID == static_cast<UINT>(-1)) return false;
  if (item.hwndItem == find_.hwnd) {
    DrawResultLine(item);
    return true;
  }
  if (item.hwndItem == files_.hwnd) {
    DrawChannelLine(item);
    return true;
  }
  return false;
}

}  // namespace kolvar::win32
