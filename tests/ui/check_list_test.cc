#include "ui/check_list.h"

#include <gtest/gtest.h>

namespace kolvar {
namespace {

TEST(CheckListTest, CounterNumberedLinesAndKeepingTheChecked) {
  CheckListBox list;
  list.SetItems({"old.ndx"}, {true});
  list.SetItems({"a.ndx", "b.ndx"}, {false});  // missing marks are unchecked
  EXPECT_EQ(CheckedOfAllText(list), "0/2");
  list.SetItems({}, {});
  EXPECT_EQ(CheckedOfAllText(list), "0/0");

  for (int i = 1; i <= 12; ++i) list.Add("c" + std::to_string(i) + ".ndx", i != 2);
  EXPECT_EQ(CheckedOfAllText(list), "11/12");
  std::string text = NumberedCheckedItems(list);
  EXPECT_EQ(text.substr(0, 22), "  1. c1.ndx\n  2. c3.nd");
  EXPECT_NE(text.find("\n 10. c11.ndx\n 11. c12.ndx"), std::string::npos);
  EXPECT_EQ(text.back(), 'x');
  EXPECT_EQ(NumberedCheckedItems(CheckListBox{}), "");
  list.SetItemIndex(3);
  KeepCheckedItems(list);
  EXPECT_EQ(list.Count(), 11);
  EXPECT_EQ(list.Items()[1], "c3.ndx");
  EXPECT_EQ(list.ItemIndex(), -1);
}

}  // namespace
}  // namespace kolvar
