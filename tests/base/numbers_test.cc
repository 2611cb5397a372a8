#include "base/numbers.h"

#include <gtest/gtest.h>

namespace kolvar {
namespace {

TEST(ParseInt32Test, SignAndDigitsOnlyWithinThirtyTwoBits) {
  EXPECT_EQ(ParseInt32("0"), 0);
  EXPECT_EQ(ParseInt32("-90"), -90);
  EXPECT_EQ(ParseInt32("+30"), 30);
  EXPECT_EQ(ParseInt32("007"), 7);
  EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
  EXPECT_EQ(ParseInt32("-2147483648"), -2147483647 - 1);
  for (const char* bad : {"", "+", "-", "+-5", "5x", " 5", "5 ", "2147483648", "-2147483649",
                          "99999999999999999999", "0x10", "1.5"}) {
    EXPECT_EQ(ParseInt32(bad), std::nullopt) << bad;
  }
}

TEST(SaturatedProductTest, ProductsOfAny32BitSettingStayInRange) {
  EXPECT_EQ(SaturatedProduct(24, 60), 1440);
  EXPECT_EQ(SaturatedProduct(INT32_MAX, 60), INT32_MAX);
  EXPECT_EQ(SaturatedProduct(INT32_MIN, 60), INT32_MIN);
  EXPECT_EQ(SaturatedProduct(-3, 60), -180);
  EXPECT_EQ(TimerIntervalMs(5, 1000), 5000);
  EXPECT_EQ(TimerIntervalMs(INT32_MAX, 60000), INT32_MAX);
  EXPECT_EQ(TimerIntervalMs(-1, 1000), 0);
}

}  // namespace
}  // namespace kolvar
