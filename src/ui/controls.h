// Models of the preferences window's controls. Handlers act on these; the Win32
// view mirrors them into real controls and turns user input into calls here.
// Window thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kolvar {

// What every control has.
struct ControlBase {
  bool Enabled = true;
  std::string Hint;
  bool ShowHint = false;
};

class ListBox : public ControlBase {
 public:
  std::vector<std::string> Items;
  // The current item, -1 for none.
  int ItemIndex() const { return itemIndex_; }
  // Out-of-range positions mean "none", as the system list box takes them.
  void SetItemIndex(int index);
  void Add(std::string item) { Items.push_back(std::move(item)); }
  void Clear();
  int Count() const { return static_cast<int>(Items.size()); }
  // The current item's text; empty with no current item.
  std::string CurrentText() const;

  // What the user did: a click that changed the current item, a double click, a
  // mouse press (the button and the item under the pointer, -1 for none), a key
  // and a request for the list's menu.
  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  std::function<void(bool rightButton, int item)> OnMouseDown;
  std::function<void(char key)> OnKeyPress;
  std::function<void()> OnContextMenu;

 private:
  int itemIndex_ = -1;
};

class CheckListBox : public ListBox {
 public:
  // One check mark per item; kept the same length as Items by the calls below.
  std::vector<bool> Checked;
  // The user clicked an item's check square; its mark has changed already.
  std::function<void()> OnClickCheck;
  void Add(std::string item, bool checked = false);
  void Clear();
  int CheckedCount() const;
};

class Edit : public ControlBase {
 public:
  std::string Text;
  // The caret: the number of characters before it.
  int SelStart = 0;
  // A character typed (Enter is '\r', Ctrl+Enter '\n'); Text already holds what
  // the keys before it made.
  std::function<void(char key)> OnKeyPress;
};

class Label : public ControlBase {
 public:
  std::string Caption;
};

// A spin box: its value never leaves [min, max] and changes by step through the
// arrows; the change handler runs only when the shown value changes.
class SpinEdit : public ControlBase {
 public:
  SpinEdit(int min, int max, int step, int value)
      : min_(min), max_(max), step_(step), value_(value) {}

  int Value() const { return value_; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Step() const { return step_; }
  // Clamps into the range; fires OnChange when the shown value differs, unless
  // told not to (a value shown for information only).
  void SetValue(int value, bool notify = true);
  // The up and down arrows (or arrow keys).
  void StepUp() { SetValue(value_ + step_); }
  void StepDown() { SetValue(value_ - step_); }

  std::function<void()> OnChange;

 private:
  int min_;
  int max_;
  int step_;
  int value_;
};

// A check box: a state that differs from the shown one runs the click handler,
// exactly as a user's click does.
class CheckBox : public ControlBase {
 public:
  CheckBox(std::string caption, bool checked) : Caption(std::move(caption)), checked_(checked) {}

  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  // A user's click: toggles and runs the handler.
  void Click() { SetChecked(!checked_); }
  // A key pressed while the box has the focus. Any toggling comes separately,
  // as a click.
  void KeyPress() {
    if (OnKeyPress) OnKeyPress();
  }

  std::string Caption;
  std::function<void()> OnClick;
  std::function<void()> OnKeyPress;

 private:
  bool checked_;
};

class Timer {
 public:
  explicit Timer(int intervalMs) : interval_(intervalMs) {}

  int Interval() const { return interval_; }
  bool Enabled() const { return enabled_; }
  void SetInterval(int ms);
  void SetEnabled(bool enabled);
  // The system's tick: runs the handler when enabled.
  void Tick();

  std::function<void()> OnTimer;
  // Tells the view that the interval or the state changed.
  std::function<void()> OnChanged;

 private:
  int interval_;
  bool enabled_ = true;
};

}  // namespace kolvar
