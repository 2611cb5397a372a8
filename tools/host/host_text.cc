#include "host_text.h"

#include <vector>

namespace kolvar::host {

std::string To1251(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(1251, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(1251, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(
                        CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0)),
                    L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                      static_cast<int>(wide.size()));
  return wide;
}

std::string WindowText(HWND hwnd) {
  std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1);
  GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
  return To1251(text.data());
}
}  // namespace kolvar::host
