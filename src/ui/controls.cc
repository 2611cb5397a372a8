#include "ui/controls.h"

#include <algorithm>

namespace kolvar {

void ListBox::SetItemIndex(int index) { itemIndex_ = index >= 0 && index < Count() ? index : -1; }

void ListBox::SetItems(std::vector<std::string> items) { (void)ReplaceItems(std::move(items)); }

std::string ListBox::Item(int index) const {
  if (index < 0 || index >= Count()) return {};
  const auto at = static_cast<std::size_t>(index);
  return source_ ? source_->Line(at) : items_[at];
}

std::vector<std::string> ListBox::Lines() const {
  if (!source_) return items_;
  std::vector<std::string> lines;
  lines.reserve(source_->Size());
  for (std::size_t i = 0; i < source_->Size(); ++i) lines.push_back(source_->Line(i));
  return lines;
}

void ListBox::OwnLines() {
  if (!source_) return;
  items_ = Lines();
  source_.reset();
}

std::vector<std::string> ListBox::ReplaceItems(std::vector<std::string> items) {
  source_.reset();
  std::swap(items_, items);
  std::vector<bool>().swap(marks_);
  if (itemIndex_ >= Count()) itemIndex_ = -1;
  Changed();
  return items;
}

std::shared_ptr<const LineSource> ListBox::ReplaceSource(std::shared_ptr<const LineSource> source) {
  std::vector<std::string>().swap(items_);
  std::swap(source_, source);
  std::vector<bool>().swap(marks_);
  if (itemIndex_ >= Count()) itemIndex_ = -1;
  Changed();
  return source;
}

void ListBox::SetMarks(std::vector<bool> marks) {
  if (marks.size() > static_cast<std::size_t>(Count()))
    marks.resize(static_cast<std::size_t>(Count()));
  marks_ = std::move(marks);
  Changed();
}

void ListBox::SetItem(int index, std::string text) {
  OwnLines();
  items_.at(static_cast<std::size_t>(index)) = std::move(text);
  Changed();
}

void ListBox::Add(std::string item) {
  OwnLines();
  items_.push_back(std::move(item));
  Changed();
}

void ListBox::Erase(int index) {
  OwnLines();
  items_.erase(items_.begin() + index);
  if (static_cast<std::size_t>(index) < marks_.size()) marks_.erase(marks_.begin() + index);
  if (itemIndex_ >= Count()) itemIndex_ = -1;
  Changed();
}

void ListBox::SwapItems(int a, int b) {
  OwnLines();
  std::swap(items_.at(static_cast<std::size_t>(a)), items_.at(static_cast<std::size_t>(b)));
  if (!marks_.empty()) {
    marks_.resize(items_.size());
    std::vector<bool>::swap(marks_[static_cast<std::size_t>(a)],
                            marks_[static_cast<std::size_t>(b)]);
  }
  Changed();
}

void ListBox::Clear() {
  source_.reset();
  items_.clear();
  marks_.clear();
  itemIndex_ = -1;
  Changed();
}

std::string ListBox::CurrentText() const { return Item(itemIndex_); }

void CheckListBox::SetItems(std::vector<std::string> items, std::vector<bool> checked) {
  checked.resize(items.size(), false);
  ListBox::SetItems(std::move(items));
  checked_ = std::move(checked);
  ++checksVersion_;
}

void CheckListBox::Add(std::string item, bool checked) {
  ListBox::Add(std::move(item));
  checked_.push_back(checked);
  ++checksVersion_;
}

void CheckListBox::Clear() {
  ListBox::Clear();
  checked_.clear();
  ++checksVersion_;
}

void CheckListBox::SetChecked(int index, bool checked) {
  auto mark = checked_.at(static_cast<std::size_t>(index));
  if (mark == checked) return;
  mark = checked;
  ++checksVersion_;
}

void CheckListBox::SetAllChecked(bool checked) {
  std::fill(checked_.begin(), checked_.end(), checked);
  ++checksVersion_;
}

int CheckListBox::CheckedCount() const {
  return static_cast<int>(std::count(checked_.begin(), checked_.end(), true));
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
