// The preferences window's controls, named by kind and role as the handlers that
// act on them are named after them, with their ranges and initial values. The
// plug-in wires the handlers.
#pragma once

#include <functional>

#include "ui/controls.h"
#include "ui/skin.h"

namespace kolvar {

inline constexpr int kFormWidth = 515;
inline constexpr int kFormHeight = 383;

struct FormPref {
  FormPref();

  ListBox ListBoxWords;
  Edit EditFindStr;
  SpinEdit SpinEditSearchMod{1, 3, 1, 3};
  Edit EditFolderPath;
  SpinEdit SpinEditIdentital{1, 100, 1, 86};
  CheckBox CheckBoxFullSearch{"Full search", false};
  CheckBox CheckBoxSorted{"Sorted", true};
  CheckBox CheckBoxRemind{"  Remind", true};
  SpinEdit SpinEditNotiseDelay{1, 5000, 1, 5};
  CheckListBox CheckListBoxFiles;
  SpinEdit SpinEditTimeShift{-1440, 1440, 30, 0};
  ListBox ListBoxFind;
  Label Label1;
  Label Label3;
  Label LabelNumberOfSelected;

  Timer TimerSearchUpdate{5000};
  Timer TimerNiticer{5000};

  bool Visible = false;

  // The window's own surface: painting, and the pointer where no control covers it.
  std::function<void()> OnPaint;
  std::function<void(SkinPoint p, bool leftAlone)> OnMouseMove;
  std::function<void(MouseButton button, SkinPoint p)> OnMouseDown;
  std::function<void(MouseButton button, SkinPoint p)> OnMouseUp;
};

}  // namespace kolvar
