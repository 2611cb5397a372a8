#include "ui/check_list.h"

#include <cstdio>

namespace kolvar {

void FillCheckList(CheckListBox& list, std::vector<std::string> items,
                   const std::vector<bool>& checked) {
  list.Clear();
  for (std::size_t i = 0; i < items.size(); ++i) {
    list.Add(std::move(items[i]), i < checked.size() && checked[i]);
  }
}

std::string CheckedOfAllText(const CheckListBox& list) {
  return std::to_string(list.CheckedCount()) + "/" + std::to_string(list.Count());
}

std::string NumberedCheckedItems(const CheckListBox& list) {
  std::string text;
  int number = 0;
  for (int i = 0; i < list.Count(); ++i) {
    if (!list.Checked[i]) continue;
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%3d. ", ++number);
    if (!text.empty()) text += '\n';
    text += prefix + list.Items[i];
  }
  return text;
}

void KeepCheckedItems(CheckListBox& list) {
  CheckListBox kept;
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Checked[i]) kept.Add(list.Items[i], true);
  }
  list.Items = std::move(kept.Items);
  list.Checked = std::move(kept.Checked);
  list.SetItemIndex(-1);
}

}  // namespace kolvar
