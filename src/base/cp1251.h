// Single-byte text rules of the Windows-1251 code page the product targets. The
// table is fixed, so every build upper-cases the same way the system does there.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kolvar {

char UpperChar(char c);
std::string UpperCase(std::string_view text);

// Capital Io (0xA8) becomes capital Ie (0xC5), so the two compare alike.
// The small Io (0xB8) is left alone; upper-case first where it should fold too.
std::string FoldIo(std::string_view text);

// Windows-1251 text as UTF-16, whatever the system's code page: every byte has
// its character (0x98, which names none, stands for U+0098 so that nothing is lost).
std::u16string Cp1251ToUtf16(std::string_view text);
// The same characters as UTF-8.
std::string Cp1251ToUtf8(std::string_view text);
// UTF-16 text as Windows-1251; nullopt when a character has no byte there (the
// settings file and the guide could not keep it).
std::optional<std::string> Utf16ToCp1251(std::u16string_view text);

}  // namespace kolvar
