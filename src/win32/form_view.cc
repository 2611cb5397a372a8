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
  smallBoldFont_.Reset(Font(9, FW_BOLD, "Tahoma"));
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

}  // namespace kolvar::win32
