// Models of the preferences window's controls. Handlers act on these; the Win32
// view mirrors them into real controls and turns user input into calls here.
// Window thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/line_source.h"

namespace kolvar {

// What every control has.
namespace testing {
class UiProbe;
}  // namespace testing

struct ControlBase {
  bool Enabled = true;
  std::string Hint;
  bool ShowHint = false;
};

// The lines change only through the calls below, each of which counts a new
// version: a view learns of a change by the number, never by reading the lines,
// which may be hundreds of thousands.
class ListBox : public ControlBase {
 public:
  // The lines given as texts: none while a source gives them (SetSource).
  const std::vector<std::string>& Items() const { return items_; }
  int Count() const { return static_cast<int>(source_ ? source_->Size() : items_.size()); }
  // The line at index; empty out of range.
  std::string Item(int index) const;
  // Every line, made now.
  std::vector<std::string> Lines() const;
  // Replaces every line; a current item past the new end becomes none.
  void SetItems(std::vector<std::string> items);
  // The same, handing the old lines back, so a long list can be freed elsewhere.
  [[nodiscard]] std::vector<std::string> ReplaceItems(std::vector<std::string> items);
  // Replaces every line with the source's, made when they are drawn or asked
  // for; hands the old source back, so a long list can be freed elsewhere. The
  // calls below that change single lines first make the source's lines texts.
  [[nodiscard]] std::shared_ptr<const LineSource> ReplaceSource(
      std::shared_ptr<const LineSource> source);
  void SetItem(int index, std::string text);
  void Add(std::string item);
  // Removes a line; the current item is left for the caller to place.
  void Erase(int index);
  void SwapItems(int a, int b);
  void Clear();
  // Counts the changes of the lines and their marks (not of the current item).
  std::uint64_t Version() const { return version_; }

  // Lines drawn marked (new results), the text unchanged; lines past the end of
  // marks are not. Replacing or clearing the lines clears the marks.
  void SetMarks(std::vector<bool> marks);
  bool IsMarked(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < marks_.size() &&
           marks_[static_cast<std::size_t>(index)];
  }

  // The current item, -1 for none.
  int ItemIndex() const { return itemIndex_; }
  // Out-of-range positions mean "none", as the system list box takes them.
  void SetItemIndex(int index);
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
  void Changed() { ++version_; }
  // The source's lines become texts, for a change of single lines.
  void OwnLines();

  std::vector<std::string> items_;
  std::shared_ptr<const LineSource> source_;
  std::vector<bool> marks_;
  std::uint64_t version_ = 0;
  int itemIndex_ = -1;
};

// A list box with a check mark on every line. Lines change only as a whole here
// (a folder listed, the unchecked ones left out), always with their marks.
class CheckListBox : public ListBox {
 public:
  // The lines with their marks (marks missing at the end count as unchecked).
  void SetItems(std::vector<std::string> items, std::vector<bool> checked);
  void Add(std::string item, bool checked = false);
  void Clear();

  bool IsChecked(int index) const { return checked_[static_cast<std::size_t>(index)]; }
  void SetChecked(int index, bool checked);
  void SetAllChecked(bool checked);
  const std::vector<bool>& CheckMarks() const { return checked_; }
  int CheckedCount() const;
  // Counts the changes of the marks.
  std::uint64_t ChecksVersion() const { return checksVersion_; }

  // The user clicked an item's check square; its mark has changed already.
  std::function<void()> OnClickCheck;

 private:
  std::vector<bool> checked_;  // one per line
  std::uint64_t checksVersion_ = 0;
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
  // Clamps into the range; fires OnChange when the shown value differs, unless
  // told not to (a value shown for information only).
  void SetValue(int value, bool notify = true);
  // The up and down arrows (or arrow keys).
  void StepUp() { SetValue(value_ + step_); }
  void StepDown() { SetValue(value_ - step_); }

  std::function<void()> OnChange;

 private:
  friend class testing::UiProbe;
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
