// What the window does with a check-list box's items and marks.
#pragma once

#include <string>
#include <vector>

#include "ui/controls.h"

namespace kolvar {

// "checked/all".
std::string CheckedOfAllText(const CheckListBox& list);

// The checked items as numbered lines ("  1. a.ndx"), joined by line feeds.
std::string NumberedCheckedItems(const CheckListBox& list);

// Removes the unchecked items, keeping the order of the rest; no item is current.
void KeepCheckedItems(CheckListBox& list);

}  // namespace kolvar
