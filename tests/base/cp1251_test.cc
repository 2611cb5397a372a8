#include "base/cp1251.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace kolvar {
namespace {

unsigned char Up(int byte) {
  return static_cast<unsigned char>(UpperChar(static_cast<char>(byte)));
}

TEST(UpperCaseTest, LatinLettersOnly) {
  for (int c = 0; c < 0x80; ++c) {
    int expected = (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    EXPECT_EQ(Up(c), expected) << "byte " << c;
  }
}

TEST(UpperCaseTest, RussianAlphabet) {
  for (int c = 0xE0; c <= 0xFF; ++c) EXPECT_EQ(Up(c), c - 0x20) << "byte " << c;
  for (int c = 0xC0; c <= 0xDF; ++c) EXPECT_EQ(Up(c), c) << "byte " << c;
  EXPECT_EQ(UpperCase("\xEF\xF0\xE8\xE2\xE5\xF2 world"), "\xCF\xD0\xC8\xC2\xC5\xD2 WORLD");
}

TEST(UpperCaseTest, ScatteredCyrillicLettersAndIo) {
  const std::map<int, int> pairs = {
      {0x83, 0x81}, {0x90, 0x80}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D},
      {0x9E, 0x8E}, {0x9F, 0x8F}, {0xA2, 0xA1}, {0xB3, 0xB2}, {0xB4, 0xA5},
      {0xB8, 0xA8}, {0xBA, 0xAA}, {0xBC, 0xA3}, {0xBE, 0xBD}, {0xBF, 0xAF},
  };
  for (int c = 0x80; c < 0xC0; ++c) {
    auto it = pairs.find(c);
    EXPECT_EQ(Up(c), it == pairs.end() ? c : it->second) << "byte " << c;
  }
}

TEST(UpperCaseTest, IsIdempotentAndKeepsLength) {
  for (int c = 0; c < 256; ++c) EXPECT_EQ(Up(Up(c)), Up(c)) << "byte " << c;
  std::string withNul("a\0b", 3);
  EXPECT_EQ(UpperCase(withNul), std::string("A\0B", 3));
}

TEST(FoldIoTest, OnlyCapitalIoBecomesIe) {
  for (int c = 0; c < 256; ++c) {
    std::string in(1, static_cast<char>(c));
    std::string expected = c == 0xA8 ? std::string("\xC5") : in;
    EXPECT_EQ(FoldIo(in), expected) << "byte " << c;
  }
  // Small Io folds only after upper-casing.
  EXPECT_EQ(FoldIo("\xB8"), "\xB8");
  EXPECT_EQ(FoldIo(UpperCase("\xB8\xEB\xEA\xE0")), "\xC5\xCB\xCA\xC0");
}

// The window and the file names meet the system in UTF-16: every byte goes there
// and back unchanged, Cyrillic lands on its letters, and a character the code
// page cannot hold is refused rather than changed.
TEST(Cp1251Test, Utf16BothWays) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::u16string wide = Cp1251ToUtf16(all);
  ASSERT_EQ(wide.size(), 256u);
  EXPECT_EQ(Utf16ToCp1251(wide), all);
  EXPECT_EQ(Cp1251ToUtf16("\xCF\xE5\xF0\xE2\xFB\xE9 \xA8\xB8 \xB9"),
            u"\u041F\u0435\u0440\u0432\u044B\u0439 \u0401\u0451 \u2116");
  EXPECT_EQ(Utf16ToCp1251(u"News \u041D\u0425\u041B \u20AC"), "News \xCD\xD5\xCB \x88");
  EXPECT_EQ(Utf16ToCp1251(u"\u4E2D"), std::nullopt);
  EXPECT_EQ(Utf16ToCp1251(u"\u00E9"), std::nullopt);  // Latin-1's e acute has no byte here
}

}  // namespace
}  // namespace kolvar
