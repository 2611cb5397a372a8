// The user's input: the window's notifications from its controls, and the
// messages of the controls themselves (subclassed), each handed to the model.
#include "win32/form_view.h"

#include <commctrl.h>

#include "base/texts.h"
#include "win32/control_look.h"
#include "win32/wide_text.h"

namespace kolvar::win32 {

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
      if (!control || syncing_ || !OnCommand(parent, control, HIWORD(wParam))) return false;
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

bool FormView::OnCommand(HWND parent, HWND control, int code) {
  if (code == LBN_SELCHANGE || code == LBN_DBLCLK) {
    const int current = static_cast<int>(SendMessageA(control, LB_GETCURSEL, 0, 0));
    Input([&](FormPref& form) {
      ListBox* list = ListModel(form, control);
      if (!list) return;
      list->SetItemIndex(current);
      const auto& handler = code == LBN_SELCHANGE ? list->OnClick : list->OnDblClick;
      if (handler) handler();
    });
    return true;
  }
  if (code == EN_CHANGE && (control == findStr_.hwnd || control == folder_.hwnd)) {
    OnEditChange(parent, control);
    return true;
  }
  if (code == BN_CLICKED) {
    Input([&](FormPref& form) {
      if (CheckBox* box = CheckBoxModel(form, control)) box->Click();
    });
    return true;
  }
  return false;
}

void FormView::OnEditChange(HWND parent, HWND edit) {
  TextState& state = edit == findStr_.hwnd ? findStr_ : folder_;
  const std::optional<std::string> narrow = Narrow(WideTextOf(edit));
  if (!narrow) {
    SetWindowTextW(edit, Wide(state.text).c_str());  // changes it again: one that fits
    MessageBoxW(parent, kNot1251, Wide(kMessageBoxCaption).c_str(), MB_OK);
    return;
  }
  state.text = *narrow;
  if (model_) (edit == findStr_.hwnd ? model_->EditFindStr : model_->EditFolderPath).Text = *narrow;
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
  if (const std::optional<LRESULT> answer = AnswerFromModel(hwnd, message, wParam, lParam)) {
    return *answer;
  }
  const bool isList = hwnd == words_.hwnd || hwnd == files_.hwnd || hwnd == find_.hwnd;
  if (isList && (message == WM_RBUTTONDOWN || message == WM_LBUTTONDOWN)) {
    if (OnListMouseDown(hwnd, message == WM_RBUTTONDOWN, lParam)) return 0;
  }
  if (message == WM_CHAR && (hwnd == findStr_.hwnd || hwnd == folder_.hwnd)) {
    return OnEditChar(hwnd, wParam, lParam);
  }
  if (message == WM_CHAR &&
      (hwnd == fullSearch_.hwnd || hwnd == sorted_.hwnd || hwnd == remind_.hwnd)) {
    // Its model hears of the key (a Space also toggles the box, which it reports as
    // a click).
    const LRESULT r = DefSubclassProc(hwnd, message, wParam, lParam);
    Input([&](FormPref& form) {
      if (CheckBox* box = CheckBoxModel(form, hwnd)) box->KeyPress();
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

std::optional<LRESULT> FormView::AnswerFromModel(HWND hwnd, UINT message, WPARAM wParam,
                                                 LPARAM lParam) const {
  // The result and channel lists keep no text: their lines are the model's, for
  // anyone who asks, and so are the channels' marks (as item data, 1 checked).
  if (hwnd != find_.hwnd && hwnd != files_.hwnd) return std::nullopt;
  if (hwnd == files_.hwnd && message == LB_GETITEMDATA) {
    if (!model_ || wParam >= model_->CheckListBoxFiles.CheckMarks().size()) return LB_ERR;
    return model_->CheckListBoxFiles.IsChecked(static_cast<int>(wParam)) ? 1 : 0;
  }
  if (message != LB_GETTEXT && message != LB_GETTEXTLEN) return std::nullopt;
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

bool FormView::OnListMouseDown(HWND list, bool right, LPARAM lParam) {
  const LRESULT hit = SendMessageA(list, LB_ITEMFROMPOINT, 0, lParam);
  const int item = HIWORD(hit) ? -1 : static_cast<int>(LOWORD(hit));
  if (right) {
    Input([&](FormPref& form) {
      ListBox* model = ListModel(form, list);
      if (model && model->OnMouseDown) model->OnMouseDown(true, item);
    });
    return list == find_.hwnd;  // its menu has been and gone
  }
  if (list == files_.hwnd && item >= 0 && static_cast<short>(LOWORD(lParam)) < files_.itemHeight) {
    // A click on a line's check square changes its mark.
    Input([&](FormPref& form) {
      CheckListBox& channels = form.CheckListBoxFiles;
      if (item >= channels.Count()) return;
      channels.SetChecked(item, !channels.IsChecked(item));
      if (channels.OnClickCheck) channels.OnClickCheck();
    });
  }
  return false;
}

LRESULT FormView::OnEditChar(HWND edit, WPARAM wParam, LPARAM lParam) {
  // The window is Unicode: the key is UTF-16, the model's is Windows-1251.
  const std::optional<std::string> byte = Narrow(std::wstring(1, static_cast<wchar_t>(wParam)));
  const char key = byte ? (*byte)[0] : '?';
  const bool enter = key == '\r' || key == '\n';
  // Enter belongs to the plug-in; other keys first change the text as usual.
  const LRESULT r = enter ? 0 : DefSubclassProc(edit, WM_CHAR, wParam, lParam);
  DWORD caret = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
  const std::string text = TextOf(edit);
  const bool findStr = edit == findStr_.hwnd;
  Input([&](FormPref& form) {
    Edit& model = findStr ? form.EditFindStr : form.EditFolderPath;
    model.Text = text;
    model.SelStart = static_cast<int>(caret);
    if (model.OnKeyPress) model.OnKeyPress(key);
  });
  if (findStr && model_) {
    SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(model_->EditFindStr.SelStart),
                 model_->EditFindStr.SelStart);
  }
  return r;
}

CheckBox* FormView::CheckBoxModel(FormPref& form, HWND control) const {
  if (control == fullSearch_.hwnd) return &form.CheckBoxFullSearch;
  if (control == sorted_.hwnd) return &form.CheckBoxSorted;
  if (control == remind_.hwnd) return &form.CheckBoxRemind;
  return nullptr;
}

}  // namespace kolvar::win32
