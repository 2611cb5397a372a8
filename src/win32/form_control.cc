#include "win32/form_control.h"

#include <commctrl.h>

#include "win32/tooltips.h"
#include "win32/wide_text.h"

namespace kolvar::win32 {

void FormControl::AddTip(Tooltips& tips, const FormPref& defaults) {
  const ControlBase& model = Model(defaults);
  if (model.ShowHint) tips.Add(hwnd_, model.Hint);
}

HWND FormControl::MakeWindow(const ControlParent& parent, const char* cls, DWORD style) const {
  const ControlPlace::Rect& r = place_.rect;
  return Child(parent.window, parent.instance, cls, place_.name, style, r.x, r.y, r.w, r.h,
               place_.id);
}

void FormControl::Subclass(HWND window, UINT_PTR part) {
  SetWindowSubclass(window, &FormControl::SubclassProc, part, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK FormControl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR part, DWORD_PTR self) {
  return reinterpret_cast<FormControl*>(self)->OnMessage(part, window, message, wParam, lParam);
}

LRESULT FormControl::OnMessage(UINT_PTR, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(window, message, wParam, lParam);
}

void TextMirror::Sync(const std::string& model) {
  if (!hwnd || (synced && text == model)) return;
  if (TextOf(hwnd) != model) SetWindowTextW(hwnd, Wide(model).c_str());
  text = model;
  synced = true;
}

}  // namespace kolvar::win32
