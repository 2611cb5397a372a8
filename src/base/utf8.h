// UTF-8, the text of file names and command lines on Linux, and the core's
// Windows-1251. In the header alone: the tools built from a list of sources
// (jtvgen for the end-to-end cases) need no new file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/cp1251.h"

namespace kolvar {

// Calls each(character, its bytes) for the characters of strict UTF-8 (no
// overlong forms, surrogates or values past U+10FFFF); false, after the valid
// ones, when the text is not UTF-8.
template <typename Each>
bool ForEachUtf8(std::string_view text, Each each) {
  constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t extra = lead < 0x80   ? 0
                              : lead < 0xC2 ? 4
                              : lead < 0xE0 ? 1
                              : lead < 0xF0 ? 2
                                            : 3;
    if (extra > 3 || lead > 0xF4 || text.size() - i <= extra) return false;
    char32_t c = extra == 0 ? lead : lead & (0x3Fu >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3Fu);
    }
    if (c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    each(c, text.substr(i, extra + 1));
    i += extra + 1;
  }
  return true;
}

inline bool IsUtf8(std::string_view text) {
  return ForEachUtf8(text, [](char32_t, std::string_view) {});
}

// The same characters in Windows-1251; nullopt when text is not strict UTF-8 or
// holds a character that Windows-1251 has no byte for.
inline std::optional<std::string> Utf8ToCp1251(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  // Windows-1251 holds nothing beyond the Basic Multilingual Plane.
  bool basic = true;
  const bool valid = ForEachUtf8(text, [&](char32_t c, std::string_view) {
    basic = basic && c <= 0xFFFF;
    wide += static_cast<char16_t>(c);
  });
  if (!valid || !basic) return std::nullopt;
  return Utf16ToCp1251(wide);
}

}  // namespace kolvar
