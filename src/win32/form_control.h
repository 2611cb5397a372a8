// What every control of the preferences window is. It makes its own windows,
// claims the window's messages about it (ControlRouter), copies what changed in its
// model (FormPref) into its windows, and hands the user's input to the model,
// looking the model up afresh each time: the host may close the plug-in inside any
// input, taking the models with it.
//
// The window holds its controls in a table (form_view.cc), each row a place and a
// kind bound to its model: Make<Kind, &FormPref::Model>.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "ui/form_pref.h"
#include "win32/control_look.h"

namespace kolvar::win32 {

class ControlRouter;
class FocusKeeper;
class Tooltips;

// A control's row in the window's table.
struct ControlPlace {
  struct Rect {
    int x, y, w, h;
  };
  int id;
  // Its window text: screen readers and the reference host find the controls by it.
  const char* name;
  Rect rect;
  COLORREF colour;  // of its text, on black
};

// What the window gives its controls.
class ControlHost {
 public:
  // The models; null when none are attached (input is then ignored).
  virtual FormPref* Form() const = 0;
  // Runs fn on the models inside a plug-in frame, then brings every control in step.
  virtual void Input(const std::function<void(FormPref&)>& fn) = 0;
  virtual const FormLook& Look() const = 0;
  virtual Tooltips& Tips() = 0;
  // The window's keyboard focus, to keep across a box a control opens.
  virtual FocusKeeper& Focus() = 0;

 protected:
  ~ControlHost() = default;
};

// What a control is made with.
struct ControlParent {
  HWND window;
  HINSTANCE instance;
  const FormPref& defaults;  // the models as first made: ranges and hints
  ControlRouter& router;
};

class FormControl {
 public:
  FormControl(ControlHost& host, const ControlPlace& place) : host_(host), place_(place) {}
  FormControl(const FormControl&) = delete;
  FormControl& operator=(const FormControl&) = delete;
  virtual ~FormControl() = default;

  // Makes its windows and claims its messages.
  virtual void Create(const ControlParent& parent) = 0;
  // Its hint, when its model shows one; once every control exists.
  void AddTip(Tooltips& tips, const FormPref& defaults);
  virtual void Sync(const FormPref& form) = 0;
  // Shows its vertical scroll bar anew, for the lists.
  virtual void RefreshScrollBar() {}

 protected:
  // A child of the window in the control's place, with its id and name.
  HWND MakeWindow(const ControlParent& parent, const char* cls, DWORD style) const;
  // Keys and presses the system control does not report to its parent come to
  // OnMessage first; part tells which of the control's windows it is.
  void Subclass(HWND window, UINT_PTR part = 0);
  virtual LRESULT OnMessage(UINT_PTR part, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Up and Down step the spin boxes; in the other controls but the lists they are
  // used up all the same, as input that changes nothing.
  static bool IsUpOrDown(UINT message, WPARAM key) {
    return message == WM_KEYDOWN && (key == VK_UP || key == VK_DOWN);
  }
  LRESULT UseUpKey() {
    host_.Input([](FormPref&) {});
    return 0;
  }
  // The model as every control has one: its hint.
  virtual const ControlBase& Model(const FormPref& form) const = 0;

  ControlHost& host_;
  const ControlPlace place_;
  HWND hwnd_ = nullptr;  // its first window, the one its hint is on

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR part, DWORD_PTR self);
};

// A window's text as last put there, so that a Sync finding it unchanged costs nothing.
struct TextMirror {
  void Sync(const std::string& model);

  HWND hwnd = nullptr;
  std::string text;
  bool synced = false;
};

// A row's maker: the kind of control and its model.
using MakeControl = std::unique_ptr<FormControl>(ControlHost& host, const ControlPlace& place);

template <class Kind, auto model, auto... options>
std::unique_ptr<FormControl> Make(ControlHost& host, const ControlPlace& place) {
  return std::make_unique<Kind>(host, place, model, options...);
}

}  // namespace kolvar::win32
