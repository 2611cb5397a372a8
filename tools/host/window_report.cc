#include "window_report.h"

#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "host_log.h"
#include "host_text.h"
#include "win32/unique_handle.h"

namespace kolvar::host {
namespace {

BOOL CALLBACK CollectControl(HWND hwnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

BOOL CALLBACK LogOneControl(HWND hwnd, LPARAM) {
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  const std::string text = WindowText(hwnd);
  // Where it sits in its window's client area.
  RECT r{};
  GetWindowRect(hwnd, &r);
  MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  std::string line = "control id=" + std::to_string(GetDlgCtrlID(hwnd)) + " class=" + Quote(cls) +
                     " at=" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                     std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) +
                     " text=" + Quote(text);
  if (std::string(cls) == "ListBox") {
    auto count = SendMessageA(hwnd, LB_GETCOUNT, 0, 0);
    line += " count=" + std::to_string(count) +
            " current=" + std::to_string(SendMessageA(hwnd, LB_GETCURSEL, 0, 0)) +
            " top=" + std::to_string(SendMessageA(hwnd, LB_GETTOPINDEX, 0, 0));
    // The channel list, found by its name, draws a check mark on every line.
    const bool checkList = text == "CheckListBoxFiles";
    // Long lists are cut: the transcript shows their start.
    for (LRESULT i = 0; i < count && i < 25; ++i) {
      // Through the Unicode API, as a screen reader reads it.
      std::vector<wchar_t> item(static_cast<std::size_t>(SendMessageW(hwnd, LB_GETTEXTLEN, i, 0)) +
                                1);
      SendMessageW(hwnd, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
      line += " item" + std::to_string(i) + "=" + Quote(To1251(item.data()));
      if (checkList) {
        line += SendMessageA(hwnd, LB_GETITEMDATA, i, 0) ? "[x]" : "[ ]";
      }
    }
  }
  // The system's bar, or the plug-in's own in the skin's colours: both answer as a bar.
  if (std::string(cls) == "ScrollBar" || std::string(cls) == "KolvarScrollBar") {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    SendMessageW(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&si));
    line += std::string(IsWindowVisible(hwnd) ? " shown" : " hidden") +
            " range=" + std::to_string(si.nMin) + ".." + std::to_string(si.nMax) +
            " page=" + std::to_string(si.nPage) + " pos=" + std::to_string(si.nPos);
    // Scrolled to the last page: a case whose list length varies can still say so.
    const bool last =
        si.nPage > 0 && si.nPos > si.nMin && si.nPos + static_cast<int>(si.nPage) - 1 >= si.nMax;
    if (last) line += " last-page";
  }
  Log(line);
  return TRUE;
}

// How wide text is in the font a control draws with.
int TextWidth(HWND control, const std::string& text) {
  HDC dc = GetDC(control);
  if (!dc) return 0;
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size.cx;
}

// One line of "measure": whether text fits the room it has in control.
void LogMeasure(HWND control, const std::string& text, int room) {
  const int width = TextWidth(control, text);
  Log("measure id=" + std::to_string(GetDlgCtrlID(control)) + " text=" + Quote(text) +
      (width <= room
           ? " fits"
           : " CLIPPED width=" + std::to_string(width) + " room=" + std::to_string(room)));
}

// Whether the text of every label and check box, and every value at the ends of a
// spin box's range, fits its control in the font it really gets: one line each,
// "fits" or "CLIPPED".
BOOL CALLBACK MeasureOneControl(HWND hwnd, LPARAM) {
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  const std::string kind = cls;
  if (kind == "Static" || kind == "Button") {
    RECT client{};
    GetClientRect(hwnd, &client);
    int room = client.right - client.left;
    // A check box's caption starts after its square and a gap: the window draws
    // its own flat square of 13 pixels at every dpi (the system's menu check grows
    // with the screen's dpi).
    if (kind == "Button") room -= 13 + 4;
    const std::string text = WindowText(hwnd);
    if (!text.empty()) LogMeasure(hwnd, text, room);
  } else if (kind == "msctls_updown32") {
    HWND edit = reinterpret_cast<HWND>(SendMessageA(hwnd, UDM_GETBUDDY, 0, 0));
    if (!edit) edit = GetDlgItem(GetParent(hwnd), GetDlgCtrlID(hwnd) - 100);
    int low = 0, high = 0;
    SendMessageA(hwnd, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                 reinterpret_cast<LPARAM>(&high));
    RECT editClient{};
    GetClientRect(edit, &editClient);
    // An edit keeps a margin on each side of its text.
    const DWORD margins = static_cast<DWORD>(SendMessageA(edit, EM_GETMARGINS, 0, 0));
    const int room = editClient.right - editClient.left - LOWORD(margins) - HIWORD(margins);
    for (int value : {low, high}) LogMeasure(edit, std::to_string(value), room);
  }
  return TRUE;
}

// The find dialog of this process: a dialog with the edit edt1 and no file types.
BOOL CALLBACK FindTheFindDialog(HWND hwnd, LPARAM found) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[32] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (pid != GetCurrentProcessId() || std::string(cls) != "#32770" || !IsWindowVisible(hwnd) ||
      !GetDlgItem(hwnd, 0x480) || GetDlgItem(hwnd, 0x470)) {
    return TRUE;
  }
  *reinterpret_cast<HWND*>(found) = hwnd;
  return FALSE;
}

struct WindowListing {
  HWND host;
  int count;
  bool withControls;
};

BOOL CALLBACK LogOneWindow(HWND hwnd, LPARAM p) {
  auto* listing = reinterpret_cast<WindowListing*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  // Wine keeps an input-method window of its own in every process. A tooltip
  // comes and goes with the pointer's rest (the "tips" and "tooltip" commands
  // read them): listed, it would make a listing depend on timing.
  if (pid != GetCurrentProcessId() || hwnd == listing->host || std::string(cls) == "#32770" ||
      std::string(cls) == "IME" || std::string(cls) == TOOLTIPS_CLASSA) {
    return TRUE;
  }
  // Wine keeps helper windows of its own in the process; they have no size.
  RECT r{};
  GetWindowRect(hwnd, &r);
  if (r.right - r.left == 0) return TRUE;
  LONG ex = GetWindowLongA(hwnd, GWL_EXSTYLE);
  Log(std::string("window class=") + Quote(cls) + " visible=" +
      (IsWindowVisible(hwnd) ? "1" : "0") + " toolwindow=" + ((ex & WS_EX_TOOLWINDOW) ? "1" : "0") +
      " caption=" + ((GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION ? "1" : "0") +
      " size=" + std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
  ++listing->count;
  if (listing->withControls) EnumChildWindows(hwnd, &LogOneControl, 0);
  return TRUE;
}

}  // namespace

HWND PluginWindow() { return FindWindowA("KolvarFormPref", nullptr); }

void LogPluginWindows(HWND hostWindow, bool withControls) {
  WindowListing listing{hostWindow, 0, withControls};
  EnumWindows(&LogOneWindow, reinterpret_cast<LPARAM>(&listing));
  Log("windows count=" + std::to_string(listing.count));
}

void LogMeasures(HWND window) { EnumChildWindows(window, &MeasureOneControl, 0); }

void LogSkinFit(HWND window, const std::string& face) {
  const kolvar::win32::UniqueGdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(
      LoadImageW(nullptr, FromUtf8(face).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
  HDC dc = CreateCompatibleDC(nullptr);
  if (!bitmap.Get() || !dc) {
    Log("skinfit " + Quote(face) + " unreadable");
    if (dc) DeleteDC(dc);
    return;
  }
  HGDIOBJ old = SelectObject(dc, bitmap.Get());
  std::vector<HWND> controls;
  EnumChildWindows(window, &CollectControl, reinterpret_cast<LPARAM>(&controls));
  for (HWND control : controls) {
    if (!IsWindowVisible(control)) continue;
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    int over = 0;
    for (LONG y = r.top; y < r.bottom; ++y) {
      for (LONG x = r.left; x < r.right; ++x) {
        if (GetPixel(dc, x, y) != RGB(0, 0, 0)) ++over;
      }
    }
    char cls[64] = {};
    GetClassNameA(control, cls, sizeof cls);
    Log("skinfit id=" + std::to_string(GetDlgCtrlID(control)) + " class=" + Quote(cls) +
        (over ? " OVER " + std::to_string(over) + " px" : " inside"));
  }
  SelectObject(dc, old);
  DeleteDC(dc);
}

void LogPlacement() {
  HWND window = PluginWindow();
  RECT r{};
  if (!window || !GetWindowRect(window, &r)) {
    Log("error no plug-in window");
    return;
  }
  const int dx = r.left + r.right - GetSystemMetrics(SM_CXSCREEN);
  const int dy = r.top + r.bottom - GetSystemMetrics(SM_CYSCREEN);
  Log(dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2
          ? std::string("placement centred")
          : "placement off-centre by " + std::to_string(dx / 2) + "," + std::to_string(dy / 2));
}

void LogFocus() {
  HWND focus = GetFocus();
  if (!focus) {
    Log("focus none");
    return;
  }
  char cls[64] = {};
  GetClassNameA(focus, cls, sizeof cls);
  Log("focus id=" + std::to_string(GetDlgCtrlID(focus)) + " class=" + Quote(cls) +
      " text=" + Quote(WindowText(focus)));
}

void LogControl(int id) {
  HWND window = PluginWindow();
  HWND control = window ? GetDlgItem(window, id) : nullptr;
  if (!control) {
    Log("control id=" + std::to_string(id) + " none");
    return;
  }
  LogOneControl(control, 0);
}

namespace {

struct TipSearch {
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK FindPluginTip(HWND hwnd, LPARAM p) {
  auto* s = reinterpret_cast<TipSearch*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (pid == GetCurrentProcessId() && std::string(cls) == TOOLTIPS_CLASSA &&
      GetWindow(hwnd, GW_OWNER) == PluginWindow() && (!s->visibleOnly || IsWindowVisible(hwnd))) {
    s->found.push_back(hwnd);
  }
  return TRUE;
}

// The plug-in's tooltip windows, the visible ones alone when asked.
std::vector<HWND> PluginTips(bool visibleOnly) {
  TipSearch search{visibleOnly, {}};
  EnumWindows(&FindPluginTip, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

void LogSurfaceTips() {
  HWND window = PluginWindow();
  for (HWND tips : PluginTips(false)) {
    const auto count = SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      wchar_t text[256] = {};
      TOOLINFOW info{};
      info.cbSize = sizeof info;
      info.lpszText = text;
      if (!SendMessageW(tips, TTM_ENUMTOOLSW, static_cast<WPARAM>(i),
                        reinterpret_cast<LPARAM>(&info)) ||
          info.hwnd != window || (info.uFlags & TTF_IDISHWND)) {
        continue;
      }
      const RECT& r = info.rect;
      Log("tip at=" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
          std::to_string(r.right) + "," + std::to_string(r.bottom) +
          " text=" + Quote(To1251(text)));
    }
  }
}

void LogShownTip(unsigned ms, const std::function<void(unsigned ms)>& serve) {
  for (unsigned waited = 0;; waited += 50) {
    const std::vector<HWND> shown = PluginTips(true);
    if (!shown.empty()) {
      Log("tooltip text=" + Quote(WindowText(shown.front())));
      return;
    }
    if (waited >= ms) break;
    serve(50);
  }
  Log("tooltip none");
}

void LogFindDialog() {
  HWND dialog = nullptr;
  EnumWindows(&FindTheFindDialog, reinterpret_cast<LPARAM>(&dialog));
  HWND results = PluginWindow() ? GetDlgItem(PluginWindow(), 101) : nullptr;
  RECT d{}, r{};
  if (!dialog || !results || !GetWindowRect(dialog, &d) || !GetWindowRect(results, &r)) {
    Log("finddialog none");
    return;
  }
  const char* side = d.bottom <= r.top   ? "above"
                     : d.top >= r.bottom ? "below"
                     : d.right <= r.left ? "left"
                     : d.left >= r.right ? "right"
                                         : "over";
  Log(std::string("finddialog ") + side + " the result list");
}

void LogHandle(HWND hwnd) {
  if (!IsWindow(hwnd)) {
    Log("handle window=0");
    return;
  }
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  LONG ex = GetWindowLongA(hwnd, GWL_EXSTYLE);
  Log(std::string("handle window=1 class=") + Quote(cls) + " toolwindow=" +
      ((ex & WS_EX_TOOLWINDOW) ? "1" : "0") + " visible=" + (IsWindowVisible(hwnd) ? "1" : "0"));
}

void LogStats() {
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                          sizeof memory);
  int threads = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
      if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++threads;
    }
    CloseHandle(snapshot);
  }
  DWORD handles = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles);
  Log("stats memoryKB=" + std::to_string(memory.PagefileUsage / 1024) + " workingSetKB=" +
      std::to_string(memory.WorkingSetSize / 1024) + " handles=" + std::to_string(handles) +
      " gdi=" + std::to_string(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) +
      " user=" + std::to_string(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) +
      " threads=" + std::to_string(threads) +
      " peakMemoryKB=" + std::to_string(memory.PeakPagefileUsage / 1024) +
      " peakWorkingSetKB=" + std::to_string(memory.PeakWorkingSetSize / 1024));
}

void LogFile(const std::string& path) {
  kolvar::win32::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    Log("file " + Quote(path) + " missing");
    return;
  }
  std::uint32_t hash = 2166136261u;
  std::uint64_t bytes = 0;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    for (DWORD i = 0; i < got; ++i) {
      hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 16777619u;
    }
    bytes += got;
  }
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(hash));
  Log("file " + Quote(path) + " bytes=" + std::to_string(bytes) + " fnv=" + hex);
}

}  // namespace kolvar::host
