#include "ui/check_list.h"

#include <cstdio>

namespace kolvar {

std::string CheckedOfAllText(const CheckListBox& list) {
  return std::to_string(list.CheckedCount()) + "/" + std::to_string(list.Count());
}

std::string NumberedCheckedItems(const CheckListBox& list) {
  std::string text;
  int number = 0;
  for (int i = 0; i < list.Count(); ++i) {
    if (!list.IsChecked(i)) continue;
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%3d. ", ++number);
    if (!text.empty()) text += '\n';
    text += prefix + list.Items()[static_cast<std::size_t>(i)];
  }
  return text;
}

void KeepCheckedItems(CheckListBox& list) {
  std::vector<std::string> kept;
  for (int i = 0; i < list.Count(); ++i) {
    if (list.IsChecked(i)) kept.push_back(list.Items()[static_cast<std::size_t>(i)]);
  }
  const std::size_t count = kept.size();
  list.SetItems(std::move(kept), std::vector<bool>(count, true));
  list.SetItemIndex(-1);
}

}  // namespace kolvar
