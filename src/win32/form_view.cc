#include "win32/form_view.h"

#include <commctrl.h>

#include "base/texts.h"
#include "win32/control_look.h"
#include "win32/host_protocol.h"
#include "win32/wide_text.h"

namespace kolvar::win32 {

void FormView::Create(HWND parent, HINSTANCE instance) {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&init);
  font_.Reset(Font(11, FW_NORMAL, "Tahoma"));
  boldFont_.Reset(Font(11, FW_BOLD, "Tahoma"));
  editFont_.Reset(Font(11, FW_BOLD, "Verdana"));
  smallFont_.Reset(Font(9, FW_NORMAL, "Tahoma"));
  black_.Reset(CreateSolidBrush(RGB(0, 0, 0)));

  // Lists are opaque: they draw their own background, nothing is erased first.
  constexpr DWORD kList = WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT;
  // The controls carry their names as window text: screen readers and the
  // reference host find them by it. In tab order.
  words_.hwnd = Child(parent, instance, "LISTBOX", "ListBoxWords", kList | WS_TABSTOP, 10, 154, 149,
                      157, kControlListBoxWords);
  findStr_.hwnd = Child(parent, instance, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER, 10, 322, 149, 19,
                        kControlEditFindStr);
  // Sizes measured in the fonts the window gets (the host's "measure"): every value
  // of a spin box's range and every caption fits its control.
  constexpr int kArrowsWidth = 12;
  auto spin = [&](SpinState& s, int x, int y, int w, int h, int id, const SpinEdit& model) {
    s.edit.hwnd = Child(parent, instance, "EDIT", "", ES_READONLY | ES_RIGHT | WS_TABSTOP, x, y,
                        w - kArrowsWidth, h, id);
    s.arrows = Child(parent, instance, UPDOWN_CLASSA, "", UDS_ARROWKEYS, x + w - kArrowsWidth, y,
                     kArrowsWidth, h, id + kSpinArrowsOffset);
    SendMessageA(s.arrows, UDM_SETRANGE32, static_cast<WPARAM>(model.Min()), model.Max());
  };
  const FormPref defaults;
  spin(searchMod_, 170, 200, 41, 22, kControlSpinEditSearchMod, defaults.SpinEditSearchMod);
  folder_.hwnd = Child(parent, instance, "EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, 170, 152, 309, 19,
                       kControlEditFolderPath);
  spin(identital_, 218, 200, 41, 22, kControlSpinEditIdentital, defaults.SpinEditIdentital);
  fullSearch_.hwnd = Child(parent, instance, "BUTTON", "Full search", BS_OWNERDRAW | WS_TABSTOP,
                           168, 230, 86, 17, kControlCheckBoxFullSearch);
  sorted_.hwnd = Child(parent, instance, "BUTTON", "Sorted", BS_OWNERDRAW | WS_TABSTOP, 168, 250,
                       73, 17, kControlCheckBoxSorted);
  remind_.hwnd = Child(parent, instance, "BUTTON", "  Remind", BS_OWNERDRAW | WS_TABSTOP, 272, 202,
                       73, 17, kControlCheckBoxRemind);
  // Up to 5000 seconds: wider than its neighbours, to the middle panel's edge.
  spin(notiseDelay_, 298, 232, 48, 22, kControlSpinEditNotiseDelay, defaults.SpinEditNotiseDelay);
  // A list box draws its own check boxes: Win32 has no check-list box control.
  // A folder may hold thousands of channels: like the result list, it keeps no
  // lines and is filled by one message.
  files_.hwnd = Child(parent, instance, "LISTBOX", "CheckListBoxFiles",
                      kList | LBS_OWNERDRAWFIXED | LBS_NODATA | WS_TABSTOP, 354, 202, 149, 133,
                      kControlCheckListBoxFiles);
  files_.ownsText = false;
  spin(timeShift_, 439, 342, 61, 22, kControlSpinEditTimeShift, defaults.SpinEditTimeShift);
  // The result list can hold hundreds of thousands of lines: the control keeps
  // none (LBS_NODATA) and draws each from the model.
  find_.hwnd = Child(parent, instance, "LISTBOX", "ListBoxFind",
                     kList | LBS_OWNERDRAWFIXED | LBS_NODATA | WS_TABSTOP, 10, 26, 493, 117,
                     kControlListBoxFind);
  find_.itemHeight = 11;
  find_.ownsText = false;
  label1_.hwnd =
      Child(parent, instance, "STATIC", "", SS_LEFTNOWORDWRAP, 168, 178, 177, 13, kControlLabel1);
  label3_.hwnd =
      Child(parent, instance, "STATIC", "", SS_LEFTNOWORDWRAP, 354, 181, 63, 13, kControlLabel3);
  // Right-aligned with its right edge at x = 474, whatever the text's width.
  counter_.hwnd = Child(parent, instance, "STATIC", "", SS_RIGHT, 374, 180, 100, 13,
                        kControlLabelNumberOfSelected);

  for (HWND c : {words_.hwnd, files_.hwnd}) SetFont(c, font_.Get());
  for (HWND c : {label1_.hwnd, label3_.hwnd, counter_.hwnd, folder_.hwnd, fullSearch_.hwnd,
                 sorted_.hwnd, remind_.hwnd, searchMod_.edit.hwnd, identital_.edit.hwnd,
                 notiseDelay_.edit.hwnd, timeShift_.edit.hwnd}) {
    SetFont(c, boldFont_.Get());
  }
  SetFont(findStr_.hwnd, editFont_.Get());
  // One pixel of margin: the spin boxes' numbers need the room.
  for (HWND c :
       {searchMod_.edit.hwnd, identital_.edit.hwnd, notiseDelay_.edit.hwnd, timeShift_.edit.hwnd}) {
    SendMessageA(c, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 1));
  }
  SetFont(find_.hwnd, smallFont_.Get());
  SendMessageA(words_.hwnd, LB_SETITEMHEIGHT, 0, 13);
  SendMessageA(files_.hwnd, LB_SETITEMHEIGHT, 0, 13);
  SendMessageA(find_.hwnd, LB_SETITEMHEIGHT, 0, 11);

  // Keys and right clicks the controls do not report to their parent.
  for (HWND c : {words_.hwnd, files_.hwnd, find_.hwnd, findStr_.hwnd, folder_.hwnd,
                 searchMod_.edit.hwnd, identital_.edit.hwnd, notiseDelay_.edit.hwnd,
                 timeShift_.edit.hwnd, fullSearch_.hwnd, sorted_.hwnd, remind_.hwnd,
                 searchMod_.arrows, identital_.arrows, notiseDelay_.arrows, timeShift_.arrows}) {
    SetWindowSubclass(c, &FormView::ControlProc, 1, reinterpret_cast<DWORD_PTR>(this));
  }

  tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0,
                          0, 0, parent, nullptr, instance, nullptr);
  auto tip = [&](HWND c, const ControlBase& m) {
    if (m.ShowHint) AddTip(c, m.Hint);
  };
  tip(words_.hwnd, defaults.ListBoxWords);
  tip(find_.hwnd, defaults.ListBoxFind);
  tip(folder_.hwnd, defaults.EditFolderPath);
  tip(searchMod_.edit.hwnd, defaults.SpinEditSearchMod);
  tip(identital_.edit.hwnd, defaults.SpinEditIdentital);
  tip(notiseDelay_.edit.hwnd, defaults.SpinEditNotiseDelay);
  tip(timeShift_.edit.hwnd, defaults.SpinEditTimeShift);
}

void FormView::Attach(FormPref* form, Enter enter) {
  model_ = form;
  enter_ = std::move(enter);
}

void FormView::Sync() {
  if (!model_) return;
  const FormPref& form = *model_;
  syncing_ = true;
  SyncList(find_, form.ListBoxFind, nullptr);
  SyncList(words_, form.ListBoxWords, nullptr);
  SyncList(files_, form.CheckListBoxFiles, &form.CheckListBoxFiles);
  SyncText(label1_, form.Label1.Caption);
  SyncText(label3_, form.Label3.Caption);
  SyncCounter(form.LabelNumberOfSelected.Caption);
  SyncText(findStr_, form.EditFindStr.Text);
  SyncText(folder_, form.EditFolderPath.Text);
  SyncSpin(searchMod_, form.SpinEditSearchMod);
  SyncSpin(identital_, form.SpinEditIdentital);
  SyncSpin(notiseDelay_, form.SpinEditNotiseDelay);
  SyncSpin(timeShift_, form.SpinEditTimeShift);
  SyncCheck(fullSearch_, form.CheckBoxFullSearch);
  SyncCheck(sorted_, form.CheckBoxSorted);
  SyncCheck(remind_, form.CheckBoxRemind);
  syncing_ = false;
}

void FormView::Input(const std::function<void(FormPref&)>& fn) {
  if (!model_ || !enter_) return;
  // A copy: a Close inside replaces the view's own.
  const Enter enter = enter_;
  enter([this, &fn] {
    if (model_) fn(*model_);
  });
  Sync();  // the plug-in may be gone now: Sync looks at model_ afresh
}

bool FormView::Handle(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_DRAWITEM:
      if (!DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return false;
      result = TRUE;
      return true;
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // Our own colours on black, for every control of the window.
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, TextColour(GetDlgCtrlID(reinterpret_cast<HWND>(lParam))));
      SetBkColor(dc, RGB(0, 0, 0));
      result = reinterpret_cast<LRESULT>(black_.Get());
      return true;
    }
    case WM_COMMAND: {
      const HWND control = reinterpret_cast<HWND>(lParam);
      const int code = HIWORD(wParam);
      if (!control || syncing_) return false;
      if (code == LBN_SELCHANGE || code == LBN_DBLCLK) {
        const int current = static_cast<int>(SendMessageA(control, LB_GETCURSEL, 0, 0));
        Input([&](FormPref& form) {
          ListBox* list = ListModel(form, control);
          if (!list) return;
          list->SetItemIndex(current);
          const auto& handler = code == LBN_SELCHANGE ? list->OnClick : list->OnDblClick;
          if (handler) handler();
        });
      } else if (code == EN_CHANGE && (control == findStr_.hwnd || control == folder_.hwnd)) {
        TextState& state = control == findStr_.hwnd ? findStr_ : folder_;
        const std::optional<std::string> narrow = Narrow(WideTextOf(control));
        if (!narrow) {
          SetWindowTextW(control, Wide(state.text).c_str());  // changes it again: one that fits
          MessageBoxW(parent, kNot1251, Wide(kMessageBoxCaption).c_str(), MB_OK);
          result = 0;
          return true;
        }
        const std::string text = *narrow;
        state.text = text;
        if (model_)
          (control == findStr_.hwnd ? model_->EditFindStr : model_->EditFolderPath).Text = text;
      } else if (code == BN_CLICKED) {
        Input([&](FormPref& form) {
          if (control == fullSearch_.hwnd) form.CheckBoxFullSearch.Click();
          if (control == sorted_.hwnd) form.CheckBoxSorted.Click();
          if (control == remind_.hwnd) form.CheckBoxRemind.Click();
        });
      } else {
        return false;
      }
      result = 0;
      return true;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code != UDN_DELTAPOS) return false;
      const int delta = reinterpret_cast<const NMUPDOWN*>(lParam)->iDelta;
      const HWND arrows = header->hwndFrom;
      Input([&](FormPref& form) {
        if (SpinEdit* spin = SpinModel(form, arrows)) delta > 0 ? spin->StepUp() : spin->StepDown();
      });
      result = TRUE;  // the arrows keep no value of their own: the model has it
      return true;
    }
    case WM_VKEYTOITEM: {
      const HWND list = reinterpret_cast<HWND>(lParam);
      if (LOWORD(wParam) == VK_RETURN) {
        Input([&](FormPref& form) {
          ListBox* model = ListModel(form, list);
          if (model && model->OnKeyPress) model->OnKeyPress('\r');
        });
      }
      result = -1;  // the list box does the rest
      return true;
    }
    case WM_CONTEXTMENU: {
      const HWND control = reinterpret_cast<HWND>(wParam);
      if (control != words_.hwnd && control != files_.hwnd) return false;
      Input([&](FormPref& form) {
        ListBox* list = ListModel(form, control);
        if (list && list->OnContextMenu) list->OnContextMenu();
      });
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

LRESULT CALLBACK FormView::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
  return reinterpret_cast<FormView*>(self)->OnControlMessage(hwnd, message, wParam, lParam);
}

LRESULT FormView::OnControlMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool arrows = hwnd == searchMod_.arrows || hwnd == identital_.arrows ||
                      hwnd == notiseDelay_.arrows || hwnd == timeShift_.arrows;
  if (arrows && message == WM_PAINT) {
    DrawFlatArrows(hwnd);
    return 0;
  }
  if (arrows && message == WM_ENABLE) InvalidateRect(hwnd, nullptr, FALSE);
  // The result and channel lists keep no text: their lines are the model's, for
  // anyone who asks, and so are the channels' marks (as item data, 1 checked).
  const bool modelLines = hwnd == find_.hwnd || hwnd == files_.hwnd;
  if (hwnd == files_.hwnd && message == LB_GETITEMDATA) {
    if (!model_ || wParam >= model_->CheckListBoxFiles.CheckMarks().size()) return LB_ERR;
    return model_->CheckListBoxFiles.IsChecked(static_cast<int>(wParam)) ? 1 : 0;
  }
  if (modelLines && (message == LB_GETTEXT || message == LB_GETTEXTLEN)) {
    // A Unicode list's text is UTF-16: one unit a byte, as Windows-1251 has no other.
    const std::string* line = ModelLine(hwnd, wParam);
    if (!line) return LB_ERR;
    if (message == LB_GETTEXT) {
      if (!lParam) return LB_ERR;
      const std::wstring wide = Wide(*line);
      wide.copy(reinterpret_cast<wchar_t*>(lParam), wide.size());
      reinterpret_cast<wchar_t*>(lParam)[wide.size()] = L'\0';
    }
    return static_cast<LRESULT>(line->size());
  }
  const bool isList = hwnd == words_.hwnd || hwnd == files_.hwnd || hwnd == find_.hwnd;
  if (isList && (message == WM_RBUTTONDOWN || message == WM_LBUTTONDOWN)) {
    const LRESULT hit = SendMessageA(hwnd, LB_ITEMFROMPOINT, 0, lParam);
    const int item = HIWORD(hit) ? -1 : static_cast<int>(LOWORD(hit));
    if (message == WM_RBUTTONDOWN) {
      Input([&](FormPref& form) {
        ListBox* list = ListModel(form, hwnd);
        if (list && list->OnMouseDown) list->OnMouseDown(true, item);
      });
      if (hwnd == find_.hwnd) return 0;  // its menu has been and gone
    } else if (hwnd == files_.hwnd && item >= 0 &&
               static_cast<short>(LOWORD(lParam)) < files_.itemHeight) {
      // A click on a line's check square changes its mark.
      Input([&](FormPref& form) {
        CheckListBox& list = form.CheckListBoxFiles;
        if (item >= list.Count()) return;
        list.SetChecked(item, !list.IsChecked(item));
        if (list.OnClickCheck) list.OnClickCheck();
      });
    }
  }
  if ((hwnd == findStr_.hwnd || hwnd == folder_.hwnd) && message == WM_CHAR) {
    // The window is Unicode: the key is UTF-16, the model's is Windows-1251.
    const std::optional<std::string> byte = Narrow(std::wstring(1, static_cast<wchar_t>(wParam)));
    const char key = byte ? (*byte)[0] : '?';
    const bool enter = key == '\r' || key == '\n';
    // Enter belongs to the plug-in; other keys first change the text as usual.
    LRESULT r = enter ? 0 : DefSubclassProc(hwnd, message, wParam, lParam);
    DWORD caret = 0;
    SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
    const std::string text = TextOf(hwnd);
    const bool findStr = hwnd == findStr_.hwnd;
    Input([&](FormPref& form) {
      Edit& edit = findStr ? form.EditFindStr : form.EditFolderPath;
      edit.Text = text;
      edit.SelStart = static_cast<int>(caret);
      if (edit.OnKeyPress) edit.OnKeyPress(key);
    });
    if (findStr && model_) {
      SendMessageA(hwnd, EM_SETSEL, static_cast<WPARAM>(model_->EditFindStr.SelStart),
                   model_->EditFindStr.SelStart);
    }
    return r;
  }
  // A key on a check box: its model hears of it (a Space also toggles it, which
  // the box reports as a click).
  if (message == WM_CHAR &&
      (hwnd == fullSearch_.hwnd || hwnd == sorted_.hwnd || hwnd == remind_.hwnd)) {
    const LRESULT r = DefSubclassProc(hwnd, message, wParam, lParam);
    Input([&](FormPref& form) {
      CheckBox& box = hwnd == fullSearch_.hwnd ? form.CheckBoxFullSearch
                      : hwnd == sorted_.hwnd   ? form.CheckBoxSorted
                                               : form.CheckBoxRemind;
      box.KeyPress();
    });
    return r;
  }
  if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN) && !isList) {
    const bool up = wParam == VK_UP;
    Input([&](FormPref& form) {
      if (SpinEdit* spin = SpinModel(form, hwnd)) up ? spin->StepUp() : spin->StepDown();
    });
    return 0;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace kolvar::win32
