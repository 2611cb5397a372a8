// The host's transcript: one line per event on standard output, in arrival order.
// Lines are "word key=value ...", texts in double quotes with \\, \" and \xNN
// escapes for control bytes; other bytes are written as they are (Windows-1251).
#pragma once

#include <string>
#include <string_view>

namespace kolvar::host {

std::string Quote(std::string_view text);
// A text that may be absent: "null" for a null pointer.
std::string QuoteOrNull(const char* text);

// Writes the line and flushes it; safe from any thread.
void Log(const std::string& line);

}  // namespace kolvar::host
