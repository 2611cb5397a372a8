#include "capture.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <vector>

#include "host_log.h"
#include "window_report.h"

namespace kolvar::host {
namespace {

// What the screen shows of the plug-in window: its size and its 24-bit pixels,
// rows bottom-up as BMP files hold them; nothing without a window.
struct Capture {
  int w = 0;
  int h = 0;
  std::vector<char> pixels;
};

std::optional<Capture> CaptureWindow() {
  HWND window = PluginWindow();
  RECT r{};
  if (!window || !GetWindowRect(window, &r)) return std::nullopt;
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = h;  // bottom-up, as BMP files are
  info.biPlanes = 1;
  info.biBitCount = 24;
  const int stride = (w * 3 + 3) & ~3;
  std::vector<char> pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(h));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return Capture{w, h, std::move(pixels)};
}

// Writes a capture as a 24-bit BMP file; with log, says so in the transcript.
void WriteBmp(const std::string& file, const Capture& shot, bool log) {
  const int w = shot.w, h = shot.h;
  const std::vector<char>& pixels = shot.pixels;
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof header + sizeof info;
  header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  if (!out) {
    Log("error screenshot " + Quote(file));
  } else if (log) {
    Log("screenshot " + std::to_string(w) + "x" + std::to_string(h));
  }
}

}  // namespace

void Screenshot(const std::string& file) {
  const std::optional<Capture> shot = CaptureWindow();
  if (!shot) {
    Log("error no plug-in window");
    return;
  }
  WriteBmp(file, *shot, true);
}

void RepaintCheck(const std::string& label, const std::function<void(unsigned ms)>& serve) {
  serve(100);
  const std::optional<Capture> before = CaptureWindow();
  HWND window = PluginWindow();
  if (!before || !window) {
    Log("error no plug-in window");
    return;
  }
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  serve(100);
  const std::optional<Capture> after = CaptureWindow();
  long differ = 0;
  if (!after || after->w != before->w || after->h != before->h) {
    differ = -1;
  } else {
    const std::size_t stride = static_cast<std::size_t>((before->w * 3 + 3) & ~3);
    for (std::size_t row = 0; row < static_cast<std::size_t>(before->h); ++row) {
      for (std::size_t x = 0; x < static_cast<std::size_t>(before->w); ++x) {
        const std::size_t at = row * stride + x * 3;
        if (std::memcmp(&before->pixels[at], &after->pixels[at], 3) != 0) ++differ;
      }
    }
  }
  Log("repaint " + label + (differ == 0 ? " same" : " differs pixels=" + std::to_string(differ)));
  // Both pictures are kept where they differ, to look at.
  if (differ != 0) {
    WriteBmp("repaint-" + label + "-shown.bmp", *before, false);
    if (after) WriteBmp("repaint-" + label + "-repainted.bmp", *after, false);
  }
}

void LogColours(int id) {
  const std::optional<Capture> shot = CaptureWindow();
  HWND control = shot ? GetDlgItem(PluginWindow(), id) : nullptr;
  RECT r{};
  if (!control || !GetWindowRect(control, &r)) {
    Log("error no control " + std::to_string(id));
    return;
  }
  // The control's place in the capture, which starts at the window's top left.
  MapWindowPoints(nullptr, PluginWindow(), reinterpret_cast<POINT*>(&r), 2);
  RECT window{};
  GetWindowRect(PluginWindow(), &window);
  POINT origin{0, 0};
  ClientToScreen(PluginWindow(), &origin);
  const int left = static_cast<int>(r.left + origin.x - window.left);
  const int top = static_cast<int>(r.top + origin.y - window.top);
  const int right = static_cast<int>(r.right + origin.x - window.left);
  const int bottom = static_cast<int>(r.bottom + origin.y - window.top);
  const int stride = (shot->w * 3 + 3) & ~3;
  std::set<unsigned> colours;
  for (int y = std::max(0, top); y < std::min(shot->h, bottom); ++y) {
    for (int x = std::max(0, left); x < std::min(shot->w, right); ++x) {
      const auto* p = reinterpret_cast<const unsigned char*>(
          &shot->pixels[static_cast<std::size_t>((shot->h - 1 - y) * stride + x * 3)]);
      colours.insert(static_cast<unsigned>(p[2]) << 16 | p[1] << 8 | p[0]);
    }
  }
  std::string line = "colours " + std::to_string(id);
  char hex[8];
  for (unsigned c : colours) {
    std::snprintf(hex, sizeof hex, " %06x", c);
    line += hex;
  }
  Log(line);
}

}  // namespace kolvar::host
