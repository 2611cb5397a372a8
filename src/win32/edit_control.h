// A one-line edit following an Edit model: typed keys handed to the model with the
// text and caret they made (Enter belongs to the plug-in), the text the model's
// after it acted. A text Windows-1251 cannot hold is put back, with a box that says
// why.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "base/texts.h"
#include "win32/control_router.h"
#include "win32/focus_keeper.h"
#include "win32/form_control.h"
#include "win32/wide_text.h"

namespace kolvar::win32 {

enum class EditRole {
  kKeyword,  // the keyword being typed: framed, in the edit font, its caret the model's
  kPath,     // the guide folder
};

class EditControl final : public FormControl {
 public:
  EditControl(ControlHost& host, const ControlPlace& place, Edit FormPref::*model, EditRole role)
      : FormControl(host, place), model_(model), role_(role) {}

  void Create(const ControlParent& parent) override {
    const bool keyword = role_ == EditRole::kKeyword;
    hwnd_ = MakeWindow(parent, "EDIT", ES_AUTOHSCROLL | (keyword ? WS_BORDER : WS_TABSTOP));
    text_.hwnd = hwnd_;
    parent_ = parent.window;
    SetFont(hwnd_, (keyword ? host_.Look().edit : host_.Look().bold).Get());
    Subclass(hwnd_);
    parent.router.OnCommand(place_.id, [this](int code) {
      if (code != EN_CHANGE) return false;
      OnChange();
      return true;
    });
  }

  void Sync(const FormPref& form) override { text_.Sync((form.*model_).Text); }

 private:
  const ControlBase& Model(const FormPref& form) const override { return form.*model_; }

  LRESULT OnMessage(UINT_PTR part, HWND window, UINT message, WPARAM wParam,
                    LPARAM lParam) override {
    // Ctrl+A selects all, which not every system's edit does; its character is then
    // used up.
    const bool control = GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0;
    if (message == WM_KEYDOWN && wParam == 'A' && control) {
      SendMessageW(hwnd_, EM_SETSEL, 0, -1);
      return 0;
    }
    if (message == WM_CHAR && wParam == kCtrlA) return 0;
    if (message == WM_CHAR) return OnChar(wParam, lParam);
    if (IsUpOrDown(message, wParam)) return UseUpKey();
    return FormControl::OnMessage(part, window, message, wParam, lParam);
  }

  void OnChange() {
    const std::optional<std::string> narrow = Narrow(WideTextOf(hwnd_));
    if (!narrow) {
      SetWindowTextW(hwnd_, Wide(text_.text).c_str());  // changes it again: one that fits
      const FocusKept kept(host_.Focus());
      MessageBoxW(parent_, kNot1251, Wide(kMessageBoxCaption).c_str(), MB_OK);
      return;
    }
    text_.text = *narrow;
    if (FormPref* form = host_.Form()) (form->*model_).Text = *narrow;
  }

  LRESULT OnChar(WPARAM wParam, LPARAM lParam) {
    // The window is Unicode: the key is UTF-16, the model's is Windows-1251.
    const std::optional<std::string> byte = Narrow(std::wstring(1, static_cast<wchar_t>(wParam)));
    const char key = byte ? (*byte)[0] : '?';
    const bool enter = key == '\r' || key == '\n';
    // Enter belongs to the plug-in; other keys first change the text as usual.
    const LRESULT r = enter ? 0 : DefSubclassProc(hwnd_, WM_CHAR, wParam, lParam);
    DWORD caret = 0;
    SendMessageA(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
    const std::string text = TextOf(hwnd_);
    host_.Input([&](FormPref& form) {
      Edit& model = form.*model_;
      model.Text = text;
      model.SelStart = static_cast<int>(caret);
      if (model.OnKeyPress) model.OnKeyPress(key);
    });
    const FormPref* form = host_.Form();
    if (role_ == EditRole::kKeyword && form) {
      const int caretAfter = (form->*model_).SelStart;
      SendMessageA(hwnd_, EM_SETSEL, static_cast<WPARAM>(caretAfter), caretAfter);
    }
    return r;
  }

  static constexpr WPARAM kCtrlA = 0x01;

  Edit FormPref::*const model_;
  const EditRole role_;
  HWND parent_ = nullptr;
  TextMirror text_;
};

}  // namespace kolvar::win32
