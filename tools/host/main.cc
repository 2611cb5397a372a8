// kolvar-host: a small host application for the Kolvar plug-in. It loads the
// plug-in as the real host does, calls Open with a window of its own, runs the
// commands of a script (a file, or standard input), and writes every message the
// plug-in sends it, every reply and every message box to standard output, one
// line each. Message boxes are answered by a watcher thread, so nothing waits for
// a person. See README.md for the commands and the transcript's lines.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host_log.h"
#include "pulse.h"
#include "win32/host_protocol.h"
#include "win32/unique_handle.h"

namespace {

using kolvar::host::Log;
using kolvar::host::Quote;
using kolvar::host::QuoteOrNull;
using kolvar::win32::HostEventRecord;
using kolvar::win32::RawActionRecord;

using OpenFn = const char*(__stdcall*)(std::int32_t, HWND, std::int32_t);
using VoidFn = void(__stdcall*)();
using ActionFn = void(__stdcall*)(RawActionRecord*, std::uint32_t);

// Texts are read from windows as UTF-16 and written to the transcript as the
// plug-in's own Windows-1251 bytes, whatever the system's code page.
std::string To1251(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(1251, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(1251, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

// Script text, which is UTF-8.
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

// How the watcher answers message boxes; set by --answer and the "answer" command.
std::atomic<int> g_answer{IDOK};
// The item the next pop-up menu is answered with ("menu TEXT"); empty: none, the
// menu is closed as Escape closes it.
std::mutex g_menuChoiceMutex;
std::string g_menuChoice;

// Replies seen for the command in flight, so each call can report how many came.
std::uint32_t g_currentTag = 0;
int g_repliesForTag = 0;
LPARAM g_lastReplyValue = 0;
HWND g_lastWindowReply = nullptr;  // for "checkhandle"
// Messages handled so far; "settle" waits until this stops moving.
std::atomic<long> g_activity{0};
// Replies to "probe" commands carry tags from here on and are not written out.
constexpr std::uint32_t kProbeTags = 1000000;

// What the host does when it receives an event of a kind ("when KIND ACTION"):
// each runs once ("every KIND N ACTION": for the next N events), from inside the
// message, as a host may; all those waiting for the kind run in the order given,
// inside the same message.
struct Trigger {
  std::string kind;
  std::string action;  // a script line
  int times = 1;
};
std::vector<Trigger> g_triggers;
// Events of each kind received so far, for "waitfor".
std::map<std::string, int> g_eventCounts;
void RunTriggered(const std::string& action);
// "pulse": the host's own posted messages and timer, timed.
kolvar::host::Pulse g_pulse;

std::string FieldText(const char* field, std::size_t size) {
  std::size_t n = 0;
  while (n < size && field[n] != '\0') ++n;
  return std::string(field, n);
}

void LogEvent(const HostEventRecord* rec, LPARAM pieces) {
  if (!rec) {
    Log("event record=null lparam=" + std::to_string(pieces));
    return;
  }
  std::ostringstream line;
  line << "event lparam=" << pieces << " name=" << Quote(FieldText(rec->name, sizeof rec->name))
       << " kind=" << Quote(FieldText(rec->kind, sizeof rec->kind))
       << " marker=" << Quote(FieldText(rec->marker, sizeof rec->marker))
       << " count=" << rec->entryCount << " flags=" << rec->entryFlags[0] << ','
       << rec->entryFlags[1] << ',' << rec->entryFlags[2] << ',' << rec->entryFlags[3];
  for (int i = 0; i < 4; ++i) line << " text" << i << '=' << QuoteOrNull(rec->entryText[i]);
  Log(line.str());
}

// Window handles differ from run to run, so the transcript names them "window".
std::string ValueText(LPARAM value) {
  if (value > 2 && IsWindow(reinterpret_cast<HWND>(value))) return "window";
  return std::to_string(value);
}

LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // The pulse's own messages are not the plug-in's activity: "settle" ignores them.
  if (g_pulse.Handle(hwnd, message, wParam, lParam)) return 0;
  ++g_activity;
  if (message == kolvar::win32::kEventMessage) {
    const auto* rec = reinterpret_cast<const HostEventRecord*>(wParam);
    LogEvent(rec, lParam);
    const std::string kind = rec ? FieldText(rec->kind, sizeof rec->kind) : "";
    ++g_eventCounts[kind];
    std::vector<std::string> actions;
    for (auto it = g_triggers.begin(); it != g_triggers.end();) {
      if (it->kind != kind) {
        ++it;
        continue;
      }
      actions.push_back(it->action);
      it = --it->times > 0 ? it + 1 : g_triggers.erase(it);
    }
    for (const std::string& action : actions) RunTriggered(action);
    return 0;
  }
  if (message == kolvar::win32::kReplyMessage) {
    auto tag = static_cast<std::uint32_t>(wParam);
    if (tag == g_currentTag) ++g_repliesForTag;
    g_lastReplyValue = lParam;
    if (tag >= kProbeTags) return 0;
    if (ValueText(lParam) == "window") g_lastWindowReply = reinterpret_cast<HWND>(lParam);
    Log("reply tag=" + std::to_string(tag) + " value=" + ValueText(lParam));
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Finds the process's message boxes and presses the chosen button. It runs on its
// own thread because a box blocks the thread that shows it.
class BoxWatcher {
 public:
  BoxWatcher() : thread_([this] { Run(); }) {}
  ~BoxWatcher() {
    stop_ = true;
    thread_.join();
  }

 private:
  void Run() {
    while (!stop_) {
      EnumWindows(&BoxWatcher::Visit, reinterpret_cast<LPARAM>(this));
      Sleep(20);
    }
  }

  static BOOL CALLBACK Visit(HWND hwnd, LPARAM self) {
    reinterpret_cast<BoxWatcher*>(self)->Consider(hwnd);
    return TRUE;
  }

  void Consider(HWND box) {
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(box)) return;
    char cls[32] = {};
    GetClassNameA(box, cls, sizeof cls);
    if (std::string(cls) == "#32768") {
      CloseMenu(box);
      return;
    }
    if (std::string(cls) != "#32770" || !GetDlgItem(box, 0xFFFF)) return;
    // The find dialog (it has the edit edt1) is the script's to drive with keys.
    constexpr int kFindEdit = 0x480;
    if (GetDlgItem(box, kFindEdit)) return;
    if (answered_.count(box)) {
      if (IsWindow(box)) return;  // still closing
      answered_.erase(box);
    }
    const std::string caption = WindowText(box);
    const std::string text = WindowText(GetDlgItem(box, 0xFFFF));

    bool hasYes = GetDlgItem(box, IDYES) != nullptr;
    bool hasNo = GetDlgItem(box, IDNO) != nullptr;
    bool hasOk = GetDlgItem(box, IDOK) != nullptr;
    int button = IDOK;
    switch (g_answer.load()) {
      case IDYES:
        button = hasYes ? IDYES : IDOK;
        break;
      case IDNO:
        button = hasNo ? IDNO : (GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK);
        break;
      case IDCANCEL:
        button = GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK;
        break;
      default:
        button = hasOk ? IDOK : IDYES;
        break;
    }
    std::string buttons = hasYes && hasNo ? "yesno" : hasOk ? "ok" : "other";
    static const char* const kNames[] = {"",      "ok",     "cancel", "abort",
                                         "retry", "ignore", "yes",    "no"};
    Log("box caption=" + Quote(caption) + " text=" + Quote(text) + " buttons=" + buttons +
        " answer=" + kNames[button]);
    answered_.insert(box);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  }

  // A pop-up menu the plug-in opened: its items are written out, and it is closed
  // without a choice, as a user pressing Escape would.
  void CloseMenu(HWND menuWindow) {
    if (answered_.count(menuWindow)) {
      if (IsWindow(menuWindow)) return;
      answered_.erase(menuWindow);
    }
    answered_.insert(menuWindow);
    auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    std::string items;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
      char text[128] = {};
      GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      items += (items.empty() ? "" : "|") + std::string(*text ? text : "-");
    }
    std::string choice;
    {
      std::lock_guard lock(g_menuChoiceMutex);
      choice.swap(g_menuChoice);
    }
    // Down to the chosen item (separators are passed over), then Enter.
    int downs = 0;
    bool found = false;
    for (int i = 0; menu && !found && i < GetMenuItemCount(menu); ++i) {
      char text[128] = {};
      GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      if (!*text) continue;
      ++downs;
      found = !choice.empty() && choice == text;
    }
    Log("menu items=" + Quote(items) + (found ? " chosen=" + Quote(choice) : ""));
    if (!found) {
      PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
      return;
    }
    for (int i = 0; i < downs; ++i) PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
  }

  std::atomic<bool> stop_{false};
  std::set<HWND> answered_;
  std::thread thread_;
};

// Serves messages (sends from the plug-in's threads among them) for a while.
void Pump(DWORD milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    // A Unicode loop: typed characters reach a Unicode window as they were typed,
    // whatever the system's code page.
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!g_pulse.Owns(msg)) ++g_activity;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
  }
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
            " current=" + std::to_string(SendMessageA(hwnd, LB_GETCURSEL, 0, 0));
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
    // A check box's caption starts after its square and a gap.
    if (kind == "Button") room -= GetSystemMetrics(SM_CXMENUCHECK) + 4;
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
  // Wine keeps an input-method window of its own in every process.
  if (pid != GetCurrentProcessId() || hwnd == listing->host || std::string(cls) == "#32770" ||
      std::string(cls) == "IME") {
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

// Serves messages until nothing has happened for a quiet while (at most 10 s),
// so that what the plug-in does in the background is over before the next line.
// A long search may be silent for longer than the default while between channels.
void Settle(DWORD quiet) {
  DWORD start = GetTickCount();
  long seen = g_activity;
  DWORD quietSince = start;
  while (GetTickCount() - quietSince < quiet && GetTickCount() - start < 10000 + quiet) {
    Pump(10);
    if (g_activity != seen) {
      seen = g_activity;
      quietSince = GetTickCount();
    }
  }
}

// Serves messages until the next event of a kind arrives (at most ms).
void WaitFor(const std::string& kind, DWORD ms) {
  const int seen = g_eventCounts[kind];
  const DWORD start = GetTickCount();
  while (g_eventCounts[kind] == seen) {
    if (GetTickCount() - start >= ms) {
      Log("timeout waiting for " + kind);
      return;
    }
    Pump(10);
  }
}

// Top-level windows of this process other than the host's own and message boxes.
void LogPluginWindows(HWND hostWindow, bool withControls) {
  WindowListing listing{hostWindow, 0, withControls};
  EnumWindows(&LogOneWindow, reinterpret_cast<LPARAM>(&listing));
  Log("windows count=" + std::to_string(listing.count));
}

// What the process holds now: its private memory and working set, its kernel
// handles, GDI and user objects and threads, for the soak's comparison of cycles;
// then the peaks of the first two, for the memory measurement.
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

// A file's size and an FNV-1a hash of its bytes, so a transcript shows whether a
// file stayed as it was; "missing" when it cannot be read.
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

// The plug-in's preferences window, if there is one.
HWND PluginWindow() { return FindWindowA("KolvarFormPref", nullptr); }

// A click of a mouse button at a point of the plug-in window's client area, as a
// user's hand would make it: the pointer moves there, then the button goes down
// and up.
// The left button's press or release alone (press, release), both (click), or
// no button: the pointer only comes to rest there (move).
enum class Press { kClick, kDown, kUp, kNone };

void Click(int x, int y, bool right, Press press = Press::kClick) {
  HWND window = PluginWindow();
  if (!window) {
    Log("error no plug-in window");
    return;
  }
  POINT p{x, y};
  ClientToScreen(window, &p);
  SetCursorPos(p.x, p.y);
  INPUT input[2] = {};
  for (INPUT& i : input) i.type = INPUT_MOUSE;
  input[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  if (press == Press::kNone) {
    // A move as the mouse makes it (Wine tells no window of SetCursorPos alone):
    // absolute, in 65 536ths of the screen.
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    input[0].mi.dx = (p.x * 65536 + width - 1) / width;
    input[0].mi.dy = (p.y * 65536 + height - 1) / height;
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, input, sizeof(INPUT));
  } else if (press == Press::kClick) {
    SendInput(2, input, sizeof(INPUT));
  } else {
    SendInput(1, &input[press == Press::kDown ? 0 : 1], sizeof(INPUT));
  }
}

// Types text (UTF-8, as the script is) into the control that has the keyboard
// focus, a character at a time; "\n" in the text is the Enter key, "\b" Backspace.
void Type(const std::string& text) {
  const std::wstring wide = FromUtf8(text);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    INPUT input[2] = {};
    for (INPUT& in : input) in.type = INPUT_KEYBOARD;
    if (wide.compare(i, 2, L"\\n") == 0 || wide.compare(i, 2, L"\\b") == 0) {
      input[0].ki.wVk = input[1].ki.wVk = wide[i + 1] == L'n' ? VK_RETURN : VK_BACK;
      ++i;
    } else {
      input[0].ki.wScan = input[1].ki.wScan = static_cast<WORD>(wide[i]);
      input[0].ki.dwFlags = KEYEVENTF_UNICODE;
      input[1].ki.dwFlags = KEYEVENTF_UNICODE;
    }
    input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
  }
}

// Presses a key as a hand would ("tab", "shift+tab", "enter", "esc", "space"); false for a
// name it does not know.
bool PressKey(const std::string& name) {
  const bool shift = name.rfind("shift+", 0) == 0;
  const std::string key = shift ? name.substr(6) : name;
  const WORD vk = key == "tab"     ? VK_TAB
                  : key == "enter" ? VK_RETURN
                  : key == "esc"   ? VK_ESCAPE
                  : key == "space" ? VK_SPACE
                                   : 0;
  if (!vk) return false;
  std::vector<INPUT> input;
  auto add = [&input](WORD code, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = code;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    input.push_back(in);
  };
  if (shift) add(VK_SHIFT, false);
  add(vk, false);
  add(vk, true);
  if (shift) add(VK_SHIFT, true);
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
  return true;
}

// The control that has the keyboard focus, by its id and name.
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

// Writes what the screen shows of the plug-in window to a 24-bit BMP file.
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

void Screenshot(const std::string& file) {
  const std::optional<Capture> shot = CaptureWindow();
  if (!shot) {
    Log("error no plug-in window");
    return;
  }
  WriteBmp(file, *shot, true);
}

// Whether the window as the screen shows it equals the window fully repainted
// (every control invalidated and drawn anew): a control left blank or a text drawn
// into a stale place shows as a difference. Differing pixels are counted.
void RepaintCheck(const std::string& label) {
  Pump(100);
  const std::optional<Capture> before = CaptureWindow();
  HWND window = PluginWindow();
  if (!before || !window) {
    Log("error no plug-in window");
    return;
  }
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump(100);
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

// What the window behind a handle is, without its varying number.
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

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  // FARPROC stands for any function; the export's real type is the host contract's.
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct Plugin {
  HMODULE module = nullptr;
  OpenFn open = nullptr;
  VoidFn close = nullptr;
  VoidFn setup = nullptr;
  ActionFn action = nullptr;
  bool isOpen = false;
};

std::string Rest(const std::string& line, std::size_t from) {
  return from < line.size() ? line.substr(from) : std::string();
}

class Runner {
 public:
  Runner(Plugin& plugin, HWND window) : plugin_(plugin), window_(window) {}

  void Open() {
    const char* title = plugin_.open(0, window_, 0);
    plugin_.isOpen = true;
    Log("open title=" + QuoteOrNull(title));
  }

  void Close() {
    if (!plugin_.isOpen) return;
    plugin_.close();
    plugin_.isOpen = false;
    Log("close");
  }

  // Returns false for a line it does not understand.
  bool Execute(const std::string& line) {
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    if (verb.empty() || verb[0] == '#') return true;
    const auto handler = kVerbs.find(verb);
    if (handler == kVerbs.end()) return false;
    ScriptLine script{verb, Rest(line, verb.size() + 1), words};
    return (this->*handler->second)(script);
  }

 private:
  // A script line: its verb, the text after it, and its words after the verb.
  struct ScriptLine {
    const std::string& verb;
    std::string arg;
    std::istringstream& words;
  };
  using Verb = bool (Runner::*)(ScriptLine&);
  static const std::map<std::string, Verb> kVerbs;

  // Host commands, as the host sends them.
  bool Command(ScriptLine& l) {
    RawActionRecord rec{};
    rec.kind = 1;
    rec.command = l.arg.c_str();
    Send(rec, Quote(l.arg));
    return true;
  }
  bool FindIt(ScriptLine& l) {
    RawActionRecord rec{};
    rec.kind = 2;
    rec.command = "FINDIT";
    rec.param = reinterpret_cast<std::intptr_t>(l.arg.c_str());
    Send(rec, "\"FINDIT\" text=" + Quote(l.arg));
    return true;
  }
  bool ShowUntil(ScriptLine& l) {
    RawActionRecord rec{};
    rec.kind = 2;
    rec.flag = 1;
    rec.command = "CUSTOMSHOWUNTILNEXT";
    rec.param = std::atoi(l.arg.c_str());
    Send(rec, "\"CUSTOMSHOWUNTILNEXT\" minutes=" + std::to_string(rec.param));
    return true;
  }
  bool Raw(ScriptLine& l) { return SendRaw(l.words); }

  // Waiting.
  bool SettleVerb(ScriptLine& l) {
    Settle(l.arg.empty() ? 150 : static_cast<DWORD>(std::atoi(l.arg.c_str())));
    return true;
  }
  bool WaitForVerb(ScriptLine& l) {
    std::string kind, ms;
    l.words >> kind >> ms;
    if (kind.empty()) return false;
    WaitFor(kind, ms.empty() ? 15000 : static_cast<DWORD>(std::atoi(ms.c_str())));
    return true;
  }
  bool Wait(ScriptLine& l) {
    Pump(static_cast<DWORD>(std::atoi(l.arg.c_str())));
    return true;
  }

  // The plug-in's own calls.
  bool Setup(ScriptLine&) {
    Log("setup");
    if (plugin_.isOpen) plugin_.setup();
    Pump(50);
    return true;
  }
  bool CloseVerb(ScriptLine&) {
    Close();
    return true;
  }
  bool OpenVerb(ScriptLine&) {
    Open();
    return true;
  }

  // The user at the window.
  bool Pointer(ScriptLine& l) {
    int x = 0, y = 0;
    if (!(l.words >> x >> y)) return false;
    Log(l.verb + " " + std::to_string(x) + "," + std::to_string(y));
    const Press press = l.verb == "press"     ? Press::kDown
                        : l.verb == "release" ? Press::kUp
                        : l.verb == "move"    ? Press::kNone
                                              : Press::kClick;
    Click(x, y, l.verb == "rightclick", press);
    Pump(100);
    return true;
  }
  bool TypeVerb(ScriptLine& l) {
    Log("type " + Quote(l.arg));
    Type(l.arg);
    Pump(100);
    return true;
  }
  bool Key(ScriptLine& l) {
    Log("key " + l.arg);
    if (!PressKey(l.arg)) return false;
    Pump(100);
    return true;
  }
  bool Menu(ScriptLine& l) {
    std::lock_guard lock(g_menuChoiceMutex);
    g_menuChoice = l.arg;
    return true;
  }
  bool Answer(ScriptLine& l) {
    static const std::map<std::string, int> kAnswers = {
        {"ok", IDOK}, {"yes", IDYES}, {"no", IDNO}, {"cancel", IDCANCEL}};
    const auto answer = kAnswers.find(l.arg);
    if (answer == kAnswers.end()) return false;
    g_answer = answer->second;
    return true;
  }

  // What the transcript records of the window and the files.
  bool Measure(ScriptLine&) {
    Pump(50);
    if (HWND window = PluginWindow()) EnumChildWindows(window, &MeasureOneControl, 0);
    return true;
  }
  bool Focus(ScriptLine&) {
    LogFocus();
    return true;
  }
  bool RepaintCheckVerb(ScriptLine& l) {
    RepaintCheck(l.arg);
    return true;
  }
  bool ScreenshotVerb(ScriptLine& l) {
    Pump(100);
    Screenshot(l.arg);
    return true;
  }
  bool Stats(ScriptLine&) {
    Pump(50);
    LogStats();
    return true;
  }
  bool File(ScriptLine& l) {
    if (l.arg.empty()) return false;
    LogFile(l.arg);
    return true;
  }
  // contains PATH TEXT: whether the file holds TEXT (UTF-8 here) as Windows-1251.
  bool Contains(ScriptLine& l) {
    std::string path, text;
    l.words >> path;
    std::getline(l.words >> std::ws, text);
    const std::wstring wide = FromUtf8(text);
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Log("contains " + Quote(path) + " " + Quote(To1251(wide)) +
        (bytes.find(To1251(wide)) != std::string::npos ? " yes" : " no"));
    return true;
  }
  bool Rename(ScriptLine& l) {
    std::string from, to;
    if (!(l.words >> from >> to)) return false;
    const bool renamed = MoveFileA(from.c_str(), to.c_str()) != 0;
    Log("rename " + Quote(from) + " " + Quote(to) + (renamed ? " done" : " failed"));
    return true;
  }
  bool CheckHandle(ScriptLine&) {
    LogHandle(g_lastWindowReply);
    return true;
  }
  bool Windows(ScriptLine& l) {
    Pump(50);
    LogPluginWindows(window_, l.verb == "controls");
    return true;
  }

  // Scripted reactions to the plug-in's messages.
  bool When(ScriptLine& l) {
    std::string kind, action;
    l.words >> kind;
    std::getline(l.words >> std::ws, action);
    if (kind.empty() || action.empty()) return false;
    g_triggers.push_back({kind, action});
    return true;
  }
  bool Every(ScriptLine& l) {
    std::string kind, action;
    int times = 0;
    l.words >> kind >> times;
    std::getline(l.words >> std::ws, action);
    if (kind.empty() || times < 1 || action.empty()) return false;
    g_triggers.push_back({kind, action, times});
    return true;
  }

  // Timing.
  bool ProbeVerb(ScriptLine& l) {
    std::string ms, commands;
    l.words >> ms;
    std::getline(l.words >> std::ws, commands);
    Probe(static_cast<DWORD>(std::atoi(ms.c_str())), commands);
    return true;
  }
  // For timing by hand; its numbers vary, so transcripts that are compared do not
  // use it.
  bool Elapsed(ScriptLine&) {
    const DWORD now = GetTickCount();
    Log("elapsed ms=" + std::to_string(now - lastElapsed_));
    lastElapsed_ = now;
    return true;
  }
  bool Pulse(ScriptLine& l) {
    if (l.arg == "start") {
      g_pulse.Start(window_, 10);
    } else if (l.arg == "report") {
      Log(g_pulse.Report());
    } else if (l.arg == "stop") {
      g_pulse.Stop();
    } else {
      return false;
    }
    return true;
  }
  bool Echo(ScriptLine& l) {
    Log("echo " + l.arg);
    return true;
  }

  // Sends the commands (separated by blanks) in turn for ms milliseconds, serving
  // messages between the calls, and writes how long the slowest call took.
  void Probe(DWORD ms, const std::string& commands) {
    std::vector<std::string> list;
    std::istringstream words(commands);
    for (std::string w; words >> w;) list.push_back(w);
    if (list.empty()) return;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    const DWORD begin = GetTickCount();
    double worst = 0;
    int sends = 0;
    while (GetTickCount() - begin < ms && plugin_.isOpen) {
      RawActionRecord rec{};
      rec.kind = 1;
      rec.command = list[static_cast<std::size_t>(sends) % list.size()].c_str();
      QueryPerformanceCounter(&start);
      plugin_.action(&rec, kProbeTags + static_cast<std::uint32_t>(sends));
      QueryPerformanceCounter(&end);
      const double took =
          1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
      if (took > worst) worst = took;
      ++sends;
      Pump(5);
    }
    char line[128];
    std::snprintf(line, sizeof line, "probe sends=%d worst_ms=%.1f", sends, worst);
    Log(std::string(line) + " commands=" + Quote(commands));
  }

  void Send(RawActionRecord& rec, const std::string& what) {
    std::uint32_t tag = nextTag_++;
    Log("send tag=" + std::to_string(tag) + " kind=" + std::to_string(rec.kind) +
        " command=" + what);
    // A send from inside a message nests in the one in flight.
    const std::uint32_t outerTag = g_currentTag;
    const int outerReplies = g_repliesForTag;
    g_currentTag = tag;
    g_repliesForTag = 0;
    const char* commandBefore = rec.command;
    if (plugin_.isOpen) plugin_.action(&rec, tag);
    std::string result = ValueText(rec.result);
    if (result == "window" && rec.result == g_lastReplyValue) result = "window(reply)";
    std::string line = "done tag=" + std::to_string(tag) +
                       " replies=" + std::to_string(g_repliesForTag) + " result=" + result;
    // Handles differ from run to run; say only how the field relates to the reply.
    if (rec.command != commandBefore) {
      bool same = reinterpret_cast<LPARAM>(rec.command) == g_lastReplyValue;
      line += std::string(" commandfield=") + (same ? "reply" : "changed");
    }
    Log(line);
    g_currentTag = outerTag;
    g_repliesForTag = outerReplies;
  }

  // raw KIND RESULT FLAG PARAM COMMAND: PARAM is a number, "null", or "text:WORD";
  // COMMAND is the rest of the line, or "<null>" for a null pointer.
  bool SendRaw(std::istringstream& words) {
    RawActionRecord rec{};
    std::string param;
    if (!(words >> rec.kind >> rec.result >> rec.flag >> param)) return false;
    std::string command;
    std::getline(words >> std::ws, command);
    std::string paramText;
    if (param.rfind("text:", 0) == 0) {
      paramText = param.substr(5);
      rec.param = reinterpret_cast<std::intptr_t>(paramText.c_str());
    } else if (param != "null") {
      rec.param = std::atoi(param.c_str());
    }
    rec.command = command == "<null>" ? nullptr : command.c_str();
    Send(rec, command == "<null>" ? "null" : Quote(command));
    return true;
  }

  Plugin& plugin_;
  HWND window_;
  std::uint32_t nextTag_ = 101;
  DWORD lastElapsed_ = GetTickCount();
};

// The script's verbs, as README.md lists them.
const std::map<std::string, Runner::Verb> Runner::kVerbs = {
    {"command", &Runner::Command},
    {"findit", &Runner::FindIt},
    {"showuntil", &Runner::ShowUntil},
    {"raw", &Runner::Raw},
    {"settle", &Runner::SettleVerb},
    {"waitfor", &Runner::WaitForVerb},
    {"wait", &Runner::Wait},
    {"setup", &Runner::Setup},
    {"close", &Runner::CloseVerb},
    {"open", &Runner::OpenVerb},
    {"click", &Runner::Pointer},
    {"rightclick", &Runner::Pointer},
    {"press", &Runner::Pointer},
    {"release", &Runner::Pointer},
    {"move", &Runner::Pointer},
    {"type", &Runner::TypeVerb},
    {"key", &Runner::Key},
    {"menu", &Runner::Menu},
    {"answer", &Runner::Answer},
    {"measure", &Runner::Measure},
    {"focus", &Runner::Focus},
    {"repaintcheck", &Runner::RepaintCheckVerb},
    {"screenshot", &Runner::ScreenshotVerb},
    {"stats", &Runner::Stats},
    {"file", &Runner::File},
    {"contains", &Runner::Contains},
    {"rename", &Runner::Rename},
    {"checkhandle", &Runner::CheckHandle},
    {"windows", &Runner::Windows},
    {"controls", &Runner::Windows},
    {"when", &Runner::When},
    {"every", &Runner::Every},
    {"probe", &Runner::ProbeVerb},
    {"elapsed", &Runner::Elapsed},
    {"pulse", &Runner::Pulse},
    {"echo", &Runner::Echo},
};

Runner* g_runner = nullptr;

void RunTriggered(const std::string& action) {
  if (g_runner && !g_runner->Execute(action)) Log("error script " + Quote(action));
}

// The usage text: on standard output with status 0 when asked for, else on standard
// error with status 2.
int Usage(bool asked) {
  std::fputs(
      "usage: kolvar-host [--plugin PATH] [--answer ok|yes|no|cancel] [SCRIPT]\n"
      "Loads the plug-in (default Plugins\\Kolvar\\Kolvar.dll beside the host), opens it,\n"
      "runs the script's commands (standard input without SCRIPT) and closes it.\n"
      "The script's commands are listed in the project's README.\n",
      asked ? stdout : stderr);
  return asked ? 0 : 2;
}

std::string DefaultPluginPath() {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string path(exe);
  std::size_t slash = path.find_last_of("\\/");
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
         "Plugins\\Kolvar\\Kolvar.dll";
}

}  // namespace

int main(int argc, char** argv) {
  // The transcript has LF line ends on every system, so it compares as text.
  _setmode(_fileno(stdout), _O_BINARY);
  std::string pluginPath = DefaultPluginPath();
  std::string scriptPath;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--plugin" && i + 1 < argc) {
      pluginPath = argv[++i];
    } else if (a == "--answer" && i + 1 < argc) {
      std::string v = argv[++i];
      g_answer = v == "yes" ? IDYES : v == "no" ? IDNO : v == "cancel" ? IDCANCEL : IDOK;
    } else if (a == "--help") {
      return Usage(true);
    } else if (!a.empty() && a[0] != '-' && scriptPath.empty()) {
      scriptPath = a;
    } else {
      return Usage(false);
    }
  }

  std::ifstream scriptFile;
  if (!scriptPath.empty()) {
    scriptFile.open(scriptPath, std::ios::binary);
    if (!scriptFile) {
      std::fprintf(stderr, "kolvar-host: cannot read %s\n", scriptPath.c_str());
      return 2;
    }
  }
  std::istream& script = scriptPath.empty() ? std::cin : scriptFile;

  WNDCLASSA wc{};
  wc.lpfnWndProc = HostWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "KolvarHostWindow";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, "Kolvar host", WS_OVERLAPPEDWINDOW, 0, 0, 320,
                                200, nullptr, nullptr, wc.hInstance, nullptr);
  if (!window) {
    Log("error host-window");
    return 2;
  }

  BoxWatcher watcher;
  Plugin plugin;
  plugin.module = LoadLibraryA(pluginPath.c_str());
  if (!plugin.module) {
    Log("error load code=" + std::to_string(GetLastError()));
    return 2;
  }
  plugin.open = Export<OpenFn>(plugin.module, "Open");
  plugin.close = Export<VoidFn>(plugin.module, "Close");
  plugin.setup = Export<VoidFn>(plugin.module, "Setup");
  plugin.action = Export<ActionFn>(plugin.module, "ActionManual");
  if (!plugin.open || !plugin.close || !plugin.setup || !plugin.action) {
    Log("error exports");
    return 2;
  }

  int status = 0;
  Runner runner(plugin, window);
  g_runner = &runner;
  runner.Open();
  std::string line;
  while (std::getline(script, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!runner.Execute(line)) {
      Log("error script " + Quote(line));
      status = 2;
      break;
    }
  }
  runner.Close();
  g_pulse.Stop();
  FreeLibrary(plugin.module);
  Log("unload");
  DestroyWindow(window);
  return status;
}
