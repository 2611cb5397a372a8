// The preferences window's controls, named by kind and role as the handlers that
// act on them are named after them, with their ranges and initial values. The
// plug-in wires the handlers.
#pragma once

#include <functional>

#include "ui/controls.h"
#include "ui/shortcuts.h"
#include "ui/skin.h"

namespace kolvar {

struct FormPref {
  FormPref();

  ListBox ListBoxWords;                    // the keyword list, one keyword line an item
  Edit EditFindStr;                        // the keyword being typed or edited; also the find text
  SpinEdit SpinEditSearchMod{1, 3, 1, 3};  // the default find mode (FindMode)
  Edit EditFolderPath;                     // the guide folder (PATH)
  // The default precision in percent (CongenialityRate).
  SpinEdit SpinEditIdentital{1, 100, 1, 86};
  CheckBox CheckBoxFullSearch{"Full search", false};  // every programme, not a window
  CheckBox CheckBoxSorted{"Sorted", true};            // results by start time
  CheckBox CheckBoxRemind{"  Remind", true};          // reminders on or off
  // Seconds between two reminder ticks (NotiseDelay, TimerNiticer's interval).
  SpinEdit SpinEditNotiseDelay{1, 5000, 1, 5};
  CheckListBox CheckListBoxFiles;  // the guide folder's channels; checked: searched
  // The selected channel's time shift in minutes.
  SpinEdit SpinEditTimeShift{-1440, 1440, 30, 0};
  ListBox ListBoxFind;          // the result list
  Label Label1;                 // the result list's caption: progress and counts
  Label Label3;                 // "Channels:", before the counter
  Label LabelNumberOfSelected;  // checked channels of all, "3/40"

  // Looks for due reminders and re-searches an outdated guide (every BeatDelay
  // minutes once reminders were due).
  Timer TimerSearchUpdate{5000};
  Timer TimerNiticer{5000};  // the reminder tick: announces the next due entry
  // Looks at the guide's files for a change; enabled while the guide is watched.
  Timer TimerGuideWatch{5000};

  bool Visible = false;  // the window is shown

  // The window's own surface: painting, and the pointer where no control covers it.
  std::function<void()> OnPaint;
  std::function<void(Point p, bool leftAlone)> OnMouseMove;
  std::function<void(MouseButton button, Point p)> OnMouseDown;
  std::function<void(MouseButton button, Point p)> OnMouseUp;
  // A shortcut pressed while the window has the keyboard (ui/shortcuts.h).
  std::function<void(const Shortcut& shortcut)> OnShortcut;
};

}  // namespace kolvar
