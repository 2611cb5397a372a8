#include "user_input.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "host_log.h"
#include "host_text.h"
#include "window_report.h"

namespace kolvar::host {
namespace {

// The window the last left press went to, as the thread's mouse hook saw it.
HWND g_pressed = nullptr;

LRESULT CALLBACK NotePress(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && (wParam == WM_LBUTTONDOWN || wParam == WM_NCLBUTTONDOWN)) {
    g_pressed = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->hwnd;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK CollectControl(HWND hwnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

// A window of the plug-in's, in the transcript's words.
std::string Named(HWND hwnd, HWND window) {
  if (!hwnd) return "none";
  if (hwnd == window) return "window";
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  return "id=" + std::to_string(GetDlgCtrlID(hwnd)) + " class=" + Quote(cls);
}

}  // namespace

void Click(int x, int y, bool right, Press press) {
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

void MovePointerOnScreen(int x, int y) {
  SetCursorPos(x, y);
  INPUT input{};
  input.type = INPUT_MOUSE;
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  input.mi.dx = (x * 65536 + width - 1) / width;
  input.mi.dy = (y * 65536 + height - 1) / height;
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof(INPUT));
}

void ClickEachControl(const std::function<void(unsigned ms)>& serve) {
  HWND window = PluginWindow();
  if (!window) {
    Log("error no plug-in window");
    return;
  }
  std::vector<HWND> controls;
  EnumChildWindows(window, &CollectControl, reinterpret_cast<LPARAM>(&controls));
  HHOOK hook = SetWindowsHookExW(WH_MOUSE, &NotePress, nullptr, GetCurrentThreadId());
  for (HWND control : controls) {
    // Where the host sees the control on the screen, as the user does.
    RECT r{};
    GetWindowRect(control, &r);
    MovePointerOnScreen((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    g_pressed = nullptr;
    INPUT input[2] = {};
    for (INPUT& i : input) i.type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
    serve(150);
    Log("clicked " + Named(control, window) + (IsWindowEnabled(control) ? "" : " disabled") +
        " reached " + Named(g_pressed, window) + " focus=" + Named(GetFocus(), window) +
        " active=" + Named(GetActiveWindow(), window));
  }
  if (hook) UnhookWindowsHookEx(hook);
}

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

void Wheel(int x, int y, int notches) {
  Click(x, y, false, Press::kNone);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_WHEEL;
  // Positive away from the user: the list goes up.
  input.mi.mouseData = static_cast<DWORD>(notches) * static_cast<DWORD>(WHEEL_DELTA);
  SendInput(1, &input, sizeof input);
}

bool PressKey(const std::string& name) {
  // Modifiers first, each ending in "+", in any order.
  std::vector<WORD> held;
  std::string key = name;
  for (bool more = true; more;) {
    more = false;
    for (const auto& [prefix, code] : {std::pair<std::string, WORD>{"shift+", VK_SHIFT},
                                       std::pair<std::string, WORD>{"ctrl+", VK_CONTROL},
                                       std::pair<std::string, WORD>{"alt+", VK_MENU}}) {
      if (key.rfind(prefix, 0) == 0) {
        held.push_back(code);
        key = key.substr(prefix.size());
        more = true;
      }
    }
  }
  // A letter is its upper-case key code; f1 … f12 the function keys.
  const bool letter = key.size() == 1 && key[0] >= 'a' && key[0] <= 'z';
  const int function = key.size() >= 2 && key[0] == 'f' ? std::atoi(key.c_str() + 1) : 0;
  const WORD vk = letter                            ? static_cast<WORD>(key[0] - 'a' + 'A')
                  : function >= 1 && function <= 12 ? static_cast<WORD>(VK_F1 + function - 1)
                  : key == "tab"                    ? VK_TAB
                  : key == "enter"                  ? VK_RETURN
                  : key == "esc"                    ? VK_ESCAPE
                  : key == "space"                  ? VK_SPACE
                  : key == "up"                     ? VK_UP
                  : key == "down"                   ? VK_DOWN
                  : key == "pgup"                   ? VK_PRIOR
                  : key == "pgdn"                   ? VK_NEXT
                  : key == "home"                   ? VK_HOME
                  : key == "end"                    ? VK_END
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
  for (WORD code : held) add(code, false);
  add(vk, false);
  add(vk, true);
  for (auto it = held.rbegin(); it != held.rend(); ++it) add(*it, true);
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
  return true;
}

}  // namespace kolvar::host
