#include "base/text_lines.h"

#include <gtest/gtest.h>

namespace kolvar {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitLinesTest, EveryKindOfLineEnd) {
  EXPECT_EQ(SplitLines("a\r\nb\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitLines("a\nb\n"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitLines("a\rb\r"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
}

TEST(SplitLinesTest, EmptyLinesAndUnterminatedLast) {
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("\r\n"), Lines{""});
  EXPECT_EQ(SplitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
  // LF CR is two line ends, not one.
  EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\r\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(SplitLines("last"), Lines{"last"});
}

TEST(SplitLinesTest, KeepsOtherBytes) {
  std::string text("\xC0\xE1\t\0z\r\n", 7);
  EXPECT_EQ(SplitLines(text), Lines{std::string("\xC0\xE1\t\0z", 5)});
}

TEST(JoinLinesTest, WritesCrLfAfterEveryLineAndReadsBack) {
  Lines lines{"one", "", "three"};
  EXPECT_EQ(JoinLinesCrLf(lines), "one\r\n\r\nthree\r\n");
  EXPECT_EQ(SplitLines(JoinLinesCrLf(lines)), lines);
  EXPECT_EQ(JoinLinesCrLf({}), "");
}

}  // namespace
}  // namespace kolvar
