// The plug-in's text is Windows-1251 bytes; the system's is UTF-16. Converted here,
// at the edge, so titles, keywords and file names are right whatever the system's
// ANSI code page is (the "A" functions would read the bytes in that code page).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/cp1251.h"

namespace kolvar::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16");

inline std::wstring Wide(std::string_view text) {
  const std::u16string wide = Cp1251ToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

// nullopt when a character has no Windows-1251 byte.
inline std::optional<std::string> Narrow(std::wstring_view text) {
  return Utf16ToCp1251(std::u16string(text.begin(), text.end()));
}

// The same, each character without a byte given as "?", where nothing can be refused.
inline std::string NarrowLossy(std::wstring_view text) {
  std::string out;
  for (wchar_t c : text) {
    const std::optional<std::string> byte = Narrow(std::wstring_view(&c, 1));
    out += byte ? *byte : "?";
  }
  return out;
}

}  // namespace kolvar::win32
