#include "base/cp1251.h"

#include <array>

namespace kolvar {
namespace {

constexpr std::array<unsigned char, 256> MakeUpperTable() {
  std::array<unsigned char, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<unsigned char>(c - 'a' + 'A');
  // Cyrillic small a..ya follow their capitals at a distance of 0x20.
  for (int c = 0xE0; c <= 0xFF; ++c) t[c] = static_cast<unsigned char>(c - 0x20);
  // The scattered letters of the other Cyrillic alphabets, and small Io.
  constexpr unsigned char kPairs[][2] = {
      {0x83, 0x81}, {0x90, 0x80}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D},
      {0x9E, 0x8E}, {0x9F, 0x8F}, {0xA2, 0xA1}, {0xB3, 0xB2}, {0xB4, 0xA5},
      {0xB8, 0xA8}, {0xBA, 0xAA}, {0xBC, 0xA3}, {0xBE, 0xBD}, {0xBF, 0xAF},
  };
  for (const auto& p : kPairs) t[p[0]] = p[1];
  return t;
}

// Constant-initialised: usable from any file's static constants.
constexpr std::array<unsigned char, 256> kUpper = MakeUpperTable();

}  // namespace

char UpperChar(char c) { return static_cast<char>(kUpper[static_cast<unsigned char>(c)]); }

std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperChar(c);
  return out;
}

std::string FoldIo(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) == 0xA8) c = static_cast<char>(0xC5);
  }
  return out;
}

}  // namespace kolvar
