#include "ui/controls.h"

#include <algorithm>

namespace kolvar {

void ListBox::SetItemIndex(int index) { itemIndex_ = index >= 0 && index < Count() ? index : -1; }

void ListBox::Clear() {
  Items.clear();
  itemIndex_ = -1;
}

std::string ListBox::CurrentText() const {
  return itemIndex_ >= 0 ? Items[itemIndex_] : std::string();
}

void CheckListBox::Add(std::string item, bool checked) {
  ListBox::Add(std::move(item));
  Checked.push_back(checked);
}

void CheckListBox::Clear() {
  ListBox::Clear();
  Checked.clear();
}

int CheckListBox::CheckedCount() const {
  return static_cast<int>(std::count(Checked.begin(), Checked.end(), true));
}

void SpinEdit::SetValue(int value, bool notify) {
  int clamped = std::clamp(value, min_, max_);
  if (clamped == value_) return;
  value_ = clamped;
  if (notify && OnChange) OnChange();
}

void CheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  if (OnClick) OnClick();
}

void Timer::SetInterval(int ms) {
  if (ms == interval_) return;
  interval_ = ms;
  if (OnChanged) OnChanged();
}

void Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (OnChanged) OnChanged();
}

void Timer::Tick() {
  if (enabled_ && OnTimer) OnTimer();
}

}  // namespace kolvar
