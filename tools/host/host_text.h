// Text between the host's three encodings: windows speak UTF-16, scripts are
// UTF-8, and the transcript holds the plug-in's own Windows-1251 bytes.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kolvar::host {

// Whatever the system's code page.
std::string To1251(std::wstring_view text);
std::wstring FromUtf8(const std::string& text);
// A window's text, read through the Unicode API.
std::string WindowText(HWND hwnd);

}  // namespace kolvar::host
