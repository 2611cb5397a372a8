// Single-byte text rules of the Windows-1251 code page the product targets. The
// table is fixed, so every build upper-cases the same way the system does there.
#pragma once

#include <string>
#include <string_view>

namespace kolvar {

char UpperChar(char c);
std::string UpperCase(std::string_view text);

// Capital Io (0xA8) becomes capital Ie (0xC5), so the two compare alike.
// The small Io (0xB8) is left alone; upper-case first where it should fold too.
std::string FoldIo(std::string_view text);

}  // namespace kolvar
