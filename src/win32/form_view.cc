#include "win32/form_view.h"

#include "win32/host_protocol.h"

namespace kolvar::win32 {
namespace {

HWND Child(HWND parent, HINSTANCE instance, const char* cls, const char* name, DWORD style, int x,
           int y, int w, int h, int id) {
  return CreateWindowExA(0, cls, name, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

}  // namespace

void FormView::Create(HWND parent, HINSTANCE instance) {
  constexpr DWORD kList = WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
  // The list boxes carry their control names as window text: screen readers and
  // the reference host find them by it.
  find_.hwnd = Child(parent, instance, "LISTBOX", "ListBoxFind", kList, 10, 26, 493, 117,
                     kControlListBoxFind);
  words_.hwnd = Child(parent, instance, "LISTBOX", "ListBoxWords", kList, 10, 154, 149, 157,
                      kControlListBoxWords);
  // A list box draws its own check boxes: Win32 has no check-list box control.
  files_.hwnd = Child(parent, instance, "LISTBOX", "CheckListBoxFiles",
                      kList | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, 354, 202, 149, 133,
                      kControlCheckListBoxFiles);
  label1_.hwnd =
      Child(parent, instance, "STATIC", "", SS_LEFTNOWORDWRAP, 168, 178, 177, 13, kControlLabel1);
  label3_.hwnd =
      Child(parent, instance, "STATIC", "", SS_LEFTNOWORDWRAP, 354, 181, 54, 13, kControlLabel3);
  counter_.hwnd = Child(parent, instance, "STATIC", "", SS_RIGHT, 426, 180, 48, 13,
                        kControlLabelNumberOfSelected);

  font_.Reset(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                          "Tahoma"));
  smallFont_.Reset(CreateFontA(-9, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH, "Tahoma"));
  for (HWND control : {words_.hwnd, files_.hwnd, label1_.hwnd, label3_.hwnd, counter_.hwnd}) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  }
  SendMessageA(find_.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(smallFont_.Get()), FALSE);
  // The check list draws its own lines at the height its font needs.
  SendMessageA(files_.hwnd, LB_SETITEMHEIGHT, 0, 13);
}

void FormView::Sync(const FormPref& form) {
  SyncList(find_, form.ListBoxFind, nullptr);
  SyncList(words_, form.ListBoxWords, nullptr);
  SyncList(files_, form.CheckListBoxFiles, &form.CheckListBoxFiles.Checked);
  SyncLabel(label1_, form.Label1.Caption);
  SyncLabel(label3_, form.Label3.Caption);
  SyncLabel(counter_, form.LabelNumberOfSelected.Caption);
}

void FormView::SyncList(ListState& state, const ListBox& model, const std::vector<bool>* checked) {
  if (!state.hwnd) return;
  bool itemsChanged = state.items != model.Items;
  bool checksChanged = checked && state.checked != *checked;
  if (itemsChanged) {
    // Rebuilding a long list item by item redraws once, not per line.
    SendMessageA(state.hwnd, WM_SETREDRAW, FALSE, 0);
    SendMessageA(state.hwnd, LB_RESETCONTENT, 0, 0);
    for (const auto& item : model.Items) {
      SendMessageA(state.hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    SendMessageA(state.hwnd, WM_SETREDRAW, TRUE, 0);
    state.items = model.Items;
    state.current = -2;
  }
  if (checked && (itemsChanged || checksChanged)) {
    for (std::size_t i = 0; i < checked->size() && i < model.Items.size(); ++i) {
      SendMessageA(state.hwnd, LB_SETITEMDATA, i, (*checked)[i] ? 1 : 0);
    }
    state.checked = *checked;
    InvalidateRect(state.hwnd, nullptr, TRUE);
  }
  if (state.current != model.ItemIndex()) {
    SendMessageA(state.hwnd, LB_SETCURSEL, static_cast<WPARAM>(model.ItemIndex()), 0);
    state.current = model.ItemIndex();
  }
}

void FormView::SyncLabel(LabelState& state, const std::string& text) {
  if (!state.hwnd || (state.synced && state.text == text)) return;
  SetWindowTextA(state.hwnd, text.c_str());
  state.text = text;
  state.synced = true;
}

bool FormView::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.hwndItem != files_.hwnd || item.itemID == static_cast<UINT>(-1)) return false;
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  bool selected = item.itemState & ODS_SELECTED;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  RECT box{r.left + 1, r.top + 1, r.left + (r.bottom - r.top) - 1, r.bottom - 1};
  UINT state = DFCS_BUTTONCHECK | DFCS_FLAT | (item.itemData ? DFCS_CHECKED : 0);
  DrawFrameControl(dc, &box, DFC_BUTTON, state);
  std::vector<char> text(
      static_cast<std::size_t>(SendMessageA(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0)) + 1);
  SendMessageA(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT textRect{box.right + 3, r.top, r.right, r.bottom};
  DrawTextA(dc, text.data(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  return true;
}

}  // namespace kolvar::win32
