#include "host_log.h"

#include <cstdio>
#include <mutex>

namespace kolvar::host {

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c == 0x7F) {
      char buf[5];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string QuoteOrNull(const char* text) { return text ? Quote(text) : "null"; }

void Log(const std::string& line) {
  // The box watcher thread logs while the main thread may be inside the plug-in.
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace kolvar::host
