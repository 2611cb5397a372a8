#include "win32/win32_platform.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/local_zone.h"
#include "base/paths.h"
#include "base/texts.h"
#include "win32/host_protocol.h"
#include "win32/wide_text.h"

namespace kolvar::win32 {
namespace {

// GetModuleFileNameW cuts long names silently; grow the buffer until it fits. A
// name Windows-1251 cannot spell gives "?" for those characters, and the files
// beside it are then not found, as with no name at all.
std::string ModuleFileName(HMODULE module) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size() || buffer.size() >= 32768) {
      return NarrowLossy(std::wstring_view(buffer.data(), n));
    }
    buffer.resize(buffer.size() * 2);
  }
}

// "Text file (*.txt)|*.TXT" becomes the double-zero-terminated list the dialog wants.
std::string DialogFilter(const std::string& filter) {
  std::string out = filter;
  for (char& c : out) {
    if (c == '|') c = '\0';
  }
  out.append(2, '\0');
  return out;
}

std::optional<std::string> RunFileDialog(HWND owner, const std::string& filter, bool save,
                                         const std::string& folder) {
  std::wstring filterList = Wide(DialogFilter(filter));
  const std::wstring initialDir = Wide(folder);
  std::vector<wchar_t> file(32768, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filterList.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  if (!initialDir.empty()) ofn.lpstrInitialDir = initialDir.c_str();
  // The read-only box ticked but hidden, no read-only files, the current folder
  // kept, resizable, nothing added to the recent documents, hidden files shown; a
  // save overwrites without asking.
  ofn.Flags = OFN_EXPLORER | OFN_READONLY | OFN_HIDEREADONLY | OFN_NOREADONLYRETURN |
              OFN_NOCHANGEDIR | OFN_ENABLESIZING | OFN_DONTADDTORECENT | OFN_FORCESHOWHIDDEN |
              (save ? 0 : OFN_FILEMUSTEXIST);
  BOOL ok = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!ok) return std::nullopt;
  // A path Windows-1251 cannot spell could not be opened or kept in the settings.
  std::optional<std::string> path = Narrow(file.data());
  if (!path) {
    MessageBoxW(owner,
                L"The path holds characters outside the Windows-1251 code page; choose another "
                L"folder or file.      ",
                Wide(kMessageBoxCaption).c_str(), MB_OK);
  }
  if (path && save) return WithChosenExtension(*path, filter, static_cast<int>(ofn.nFilterIndex));
  return path;
}

// Where the find dialog goes, so that the result list's lines it finds stay in
// sight: beside the window at the list's height (right, then left), else above or
// below the window; the first place the screen's work area holds. On a screen too
// small for any, below the list, kept on the screen.
POINT FindDialogPlace(const RECT& window, const RECT& list, SIZE size, const RECT& work) {
  const POINT places[] = {{window.right, list.top},
                          {window.left - size.cx, list.top},
                          {list.left, window.top - size.cy},
                          {list.left, window.bottom}};
  for (const POINT& p : places) {
    if (p.x >= work.left && p.y >= work.top && p.x + size.cx <= work.right &&
        p.y + size.cy <= work.bottom) {
      return p;
    }
  }
  const auto within = [](LONG at, LONG length, LONG low, LONG high) {
    return std::max(low, std::min(at, high - length));
  };
  return {within(list.left, size.cx, work.left, work.right),
          within(list.bottom, size.cy, work.top, work.bottom)};
}

// Places the find dialog before it first shows.
UINT_PTR CALLBACK FindDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;
  const HWND owner = reinterpret_cast<const FINDREPLACEW*>(lParam)->hwndOwner;
  RECT window{}, list{}, self{};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetWindowRect(owner, &window) &&
      GetWindowRect(GetDlgItem(owner, kControlListBoxFind), &list) &&
      GetWindowRect(dialog, &self) &&
      GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const POINT at = FindDialogPlace(window, list, {self.right - self.left, self.bottom - self.top},
                                     monitor.rcWork);
    SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return TRUE;  // the dialog shows, its focus as it chooses
}

// The platform whose windows the key hook serves: one per module, on the thread
// that created its window.
Win32Platform* g_keyHookOwner = nullptr;

// Set while the hook hands a key on itself: the messages that takes pass the hook.
bool g_handingOnKey = false;

// A key press translated and dispatched here, as the host's loop would, its
// characters (dead ones too) taken back from the queue in their Unicode form: a
// loop that takes messages in their ANSI form would pass them through the system's
// code page, which may not hold them. Through DIALOG, when given, as a dialog's own
// loop does.
void HandOnKey(MSG& msg, HWND dialog) {
  const bool outer = g_handingOnKey;
  g_handingOnKey = true;
  if (!dialog || !IsDialogMessageW(dialog, &msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  MSG character;
  while (PeekMessageW(&character, msg.hwnd, WM_CHAR, WM_DEADCHAR, PM_REMOVE)) {
    if (!dialog || !IsDialogMessageW(dialog, &character)) DispatchMessageW(&character);
  }
  g_handingOnKey = outer;
}

LRESULT CALLBACK KeyHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && g_keyHookOwner && !g_handingOnKey) {
    MSG& msg = *reinterpret_cast<MSG*>(lParam);
    // Taken: the host's loop then finds nothing to translate or dispatch.
    if (g_keyHookOwner->TakeDialogKey(msg)) msg.message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool Within(HWND window, HWND target) {
  return window && (target == window || IsChild(window, target));
}

DateTime FromSystemTime(const SYSTEMTIME& st) {
  return EncodeDateTime({st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute,
                         st.wSecond, st.wMilliseconds})
      .value_or(0.0);
}

}  // namespace

DateTime Win32Platform::Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return FromSystemTime(st);
}

DateTime Win32Platform::UtcNow() {
  SYSTEMTIME st;
  GetSystemTime(&st);
  return FromSystemTime(st);
}

std::optional<DateTime> Win32Platform::UtcFromLocal(DateTime local) {
  return kolvar::UtcFromLocal(local);
}

void Win32Platform::SetHostWindow(WindowHandle host) { host_ = reinterpret_cast<HWND>(host); }

void Win32Platform::SendEvent(const HostEvent& event) {
  HostEventRecord record = LayOutHostEvent(event);
  SendMessageA(host_, kEventMessage, reinterpret_cast<WPARAM>(&record),
               static_cast<LPARAM>(record.entryCount - 1));
}

void Win32Platform::Reply(std::uint32_t tag, std::intptr_t value) {
  SendMessageA(host_, kReplyMessage, static_cast<WPARAM>(tag), static_cast<LPARAM>(value));
}

int Win32Platform::ModalMessageBox(const std::string& text, const std::string& caption, int style) {
  const DpiScope dpi = form_.InItsDpi();
  SyncView();  // the window behind the box shows what the plug-in has done so far
  const FocusKept kept(form_.Focus());
  return MessageBoxW(form_.Handle(), Wide(text).c_str(), Wide(caption).c_str(),
                     static_cast<UINT>(style));
}

std::optional<std::string> Win32Platform::LoadedModuleFileName(const std::string& moduleName) {
  HMODULE module = GetModuleHandleA(moduleName.c_str());
  if (!module) return std::nullopt;
  return ModuleFileName(module);
}

std::string Win32Platform::HostExecutablePath() { return ModuleFileName(nullptr); }

void Win32Platform::CreatePreferencesWindow() {
  form_.Create([this] { RunPosted(); }, [this](UINT_PTR id) { RunTimer(id); });
  if (form_.Handle()) {
    g_keyHookOwner = this;
    keyHook_.Reset(SetWindowsHookExA(WH_GETMESSAGE, &KeyHook, nullptr, GetCurrentThreadId()));
  }
  std::lock_guard lock(postedMutex_);
  postTarget_ = form_.Handle();
}

bool Win32Platform::TakeDialogKey(MSG& msg) {
  const DpiScope dpi = form_.InItsDpi();
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  // A menu's own loop reads its keys first: they are the menu's alone.
  if (inMenu_) return false;
  const bool inFind = findDialog_ && Within(findDialog_, msg.hwnd);
  const bool inForm = Within(form_.Handle(), msg.hwnd);
  if (!inFind && !inForm) return false;
  if (inForm && TakeShortcut(msg)) return true;
  // Every key press but an input method's is translated here, whatever form the
  // host's loop takes messages in; Tab walks the window's controls.
  if (msg.message == WM_KEYDOWN && msg.wParam != VK_PROCESSKEY) {
    HandOnKey(msg, inFind ? findDialog_ : msg.wParam == VK_TAB ? form_.Handle() : nullptr);
    return true;
  }
  // The hook cannot tell whether the host took the message in its ANSI or its
  // Unicode form. Key codes and ASCII are the same in both; a character beyond
  // ASCII is left to the host's own loop, which dispatches it in the form it took.
  const bool character = msg.message == WM_CHAR || msg.message == WM_SYSCHAR ||
                         msg.message == WM_DEADCHAR || msg.message == WM_SYSDEADCHAR;
  if (character && msg.wParam > 0x7F) return false;
  if (inFind) return IsDialogMessageW(findDialog_, &msg);
  // Only Tab: the window's other keys belong to its controls and handlers.
  const bool tab = msg.message == WM_KEYUP && msg.wParam == VK_TAB;
  const bool tabChar = msg.message == WM_CHAR && msg.wParam == '\t';
  return (tab || tabChar) && IsDialogMessageW(form_.Handle(), &msg);
}

bool Win32Platform::TakeShortcut(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  const KeyChord chord{static_cast<int>(msg.wParam), GetKeyState(VK_CONTROL) < 0,
                       GetKeyState(VK_MENU) < 0, GetKeyState(VK_SHIFT) < 0};
  const std::optional<Shortcut> shortcut = ShortcutFor(chord);
  if (!shortcut) return false;
  // Taken untranslated: no character, no system menu, no beep follows.
  if (shortcut->command == KeyCommand::kKeywordEdit) {
    // A key rather than a place in the Tab order: the order stays as users know it,
    // and Enter there keeps inserting "&". As a dialog's mnemonic does, the edit's
    // text is selected, ready to be retyped.
    if (HWND edit = GetDlgItem(form_.Handle(), kControlEditFindStr)) {
      SetFocus(edit);
      SendMessageW(edit, EM_SETSEL, 0, -1);
    }
    return true;
  }
  form_.Input([&](FormPref& form) {
    if (form.OnShortcut) form.OnShortcut(*shortcut);
  });
  return true;
}

void Win32Platform::ShowPreferencesWindow() {
  const DpiScope dpi = form_.InItsDpi();
  if (!form_.Handle()) return;
  ShowWindow(form_.Handle(), SW_SHOW);
  SetForegroundWindow(form_.Handle());
  // Also when it was active already, and so told of no activation.
  form_.Focus().Restore();
}

void Win32Platform::HidePreferencesWindow() {
  const DpiScope dpi = form_.InItsDpi();
  if (!form_.Handle()) return;
  // Before the system takes the focus from a window being hidden.
  form_.Focus().Remember();
  ShowWindow(form_.Handle(), SW_HIDE);
}

void Win32Platform::DestroyPreferencesWindow() {
  keyHook_.Reset();
  if (g_keyHookOwner == this) g_keyHookOwner = nullptr;
  findDialog_ = nullptr;  // an owned window: it goes with the window
  {
    std::lock_guard lock(postedMutex_);
    postTarget_ = nullptr;
    posted_.clear();
  }
  timers_.clear();  // the window's timers die with it
  form_.Destroy();
}

void Win32Platform::PostToWindowThread(std::function<void()> fn) {
  std::lock_guard lock(postedMutex_);
  if (!postTarget_) return;
  posted_.push_back(std::move(fn));
  PostMessageA(postTarget_, FormWindow::kWakeMessage, 0, 0);
}

void Win32Platform::RunPosted() {
  for (;;) {
    std::function<void()> fn;
    {
      std::lock_guard lock(postedMutex_);
      if (posted_.empty()) break;
      fn = std::move(posted_.front());
      posted_.pop_front();
    }
    try {
      fn();
    } catch (...) {
      // An exception must not cross into the host's message loop; the task's own
      // bookkeeping has let its waiting worker go on.
    }
  }
  SyncView();
}

void Win32Platform::SetTimer(int id, int intervalMs, std::function<void()> fn) {
  HWND window = form_.Handle();
  if (!window) return;
  const auto timerId = static_cast<UINT_PTR>(id);
  if (intervalMs <= 0) {
    KillTimer(window, timerId);
    timers_.erase(timerId);
    return;
  }
  timers_[timerId] = std::move(fn);
  // The same id replaces the timer and starts its count anew; the system keeps
  // the interval within what it supports.
  ::SetTimer(window, timerId, static_cast<UINT>(intervalMs), nullptr);
}

void Win32Platform::RunTimer(UINT_PTR id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  std::function<void()> fn = it->second;  // a copy: the tick may replace or stop its timer
  try {
    fn();
  } catch (...) {
    // As with posted tasks: nothing may cross into the host's message loop.
  }
  SyncView();
}

void Win32Platform::AttachForm(FormPref* form, Enter enter) {
  model_ = form;
  enter_ = std::move(enter);
  form_.Attach(form, enter_);
}

void Win32Platform::SyncView() {
  const DpiScope dpi = form_.InItsDpi();
  if (model_ && form_.Handle()) form_.Sync();
}

bool Win32Platform::DrawImage(const std::string& file, int left, int top, int right, int bottom,
                              bool stretch) {
  const DpiScope dpi = form_.InItsDpi();
  HWND window = form_.Handle();
  if (!window) return false;
  // Read at every draw: a skin changed on disk shows at once.
  UniqueGdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(LoadImageW(
      nullptr, Wide(file).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
  if (!bitmap.Get()) return false;
  BITMAP info{};
  if (!GetObjectA(bitmap.Get(), sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) {
    return false;
  }
  HDC screen = GetDC(window);
  if (!screen) return false;
  HDC memory = CreateCompatibleDC(screen);
  bool drawn = false;
  if (memory) {
    HGDIOBJ old = SelectObject(memory, bitmap.Get());
    drawn = stretch ? StretchBlt(screen, left, top, right - left, bottom - top, memory, 0, 0,
                                 info.bmWidth, info.bmHeight, SRCCOPY)
                    : BitBlt(screen, left, top, right - left, bottom - top, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  ReleaseDC(window, screen);
  return drawn;
}

Point Win32Platform::PointerOnScreen() {
  const DpiScope dpi = form_.InItsDpi();
  POINT p{};
  GetCursorPos(&p);
  return {p.x, p.y};
}

Point Win32Platform::WindowOnScreen() {
  const DpiScope dpi = form_.InItsDpi();
  RECT r{};
  if (form_.Handle()) GetWindowRect(form_.Handle(), &r);
  return {r.left, r.top};
}

void Win32Platform::MoveWindowTo(Point topLeft) {
  const DpiScope dpi = form_.InItsDpi();
  // Size, z-order and activation stay as they are; the window is told nothing.
  constexpr UINT kFlags =
      SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;
  if (form_.Handle()) SetWindowPos(form_.Handle(), nullptr, topLeft.x, topLeft.y, 0, 0, kFlags);
}

void Win32Platform::RefreshScrollBars() {
  const DpiScope dpi = form_.InItsDpi();
  form_.RefreshScrollBars();
}

void Win32Platform::BringToFront() {
  const DpiScope dpi = form_.InItsDpi();
  if (form_.Handle()) SetForegroundWindow(form_.Handle());
}

int Win32Platform::PopupMenu(const std::vector<MenuItem>& items) {
  const DpiScope dpi = form_.InItsDpi();
  HWND window = form_.Handle();
  if (!window) return 0;
  // The line a right click chose is shown selected before its menu opens.
  SyncView();
  HMENU menu = CreatePopupMenu();
  if (!menu) return 0;
  for (const MenuItem& item : items) {
    if (item.text.empty()) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu, MF_STRING | (item.checked ? MF_CHECKED : 0), static_cast<UINT_PTR>(item.id),
                  Wide(item.text).c_str());
    }
  }
  POINT p{};
  GetCursorPos(&p);
  // The choice comes back here rather than as a command message, so no control's
  // notification can ever pass for one.
  inMenu_ = true;
  const int chosen = static_cast<int>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, p.x, p.y,
                     0, window, nullptr));
  inMenu_ = false;
  DestroyMenu(menu);
  return chosen;
}

void Win32Platform::SetClipboardText(const std::string& text) {
  if (!OpenClipboard(form_.Handle())) return;
  EmptyClipboard();
  // As UTF-16: a program that pastes it gets the Cyrillic whatever its code page.
  const std::wstring wide = Wide(text);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory) {
    if (void* target = GlobalLock(memory)) {
      std::memcpy(target, wide.c_str(), bytes);
      GlobalUnlock(memory);
    }
    // The clipboard owns the memory once it took it.
    if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
  }
  CloseClipboard();
}

void Win32Platform::ShowFindDialog(std::function<void(const std::string& text)> onFind) {
  const DpiScope dpi = form_.InItsDpi();
  HWND window = form_.Handle();
  if (!window) return;
  onFind_ = std::move(onFind);
  // The dialog takes the focus; the window's activation gives it back when it goes.
  form_.Focus().Remember();
  if (findDialog_ && IsWindow(findDialog_)) {
    ShowWindow(findDialog_, SW_SHOW);
    SetForegroundWindow(findDialog_);
    return;
  }
  static const UINT kFindMessage = RegisterWindowMessageW(FINDMSGSTRINGW);
  form_.OnRegisteredMessage(kFindMessage, [this](LPARAM lParam) {
    const auto* record = reinterpret_cast<const FINDREPLACEW*>(lParam);
    if (record->Flags & FR_DIALOGTERM) {
      findDialog_ = nullptr;
      return;
    }
    if (!(record->Flags & FR_FINDNEXT) || !onFind_) return;
    const std::string text = NarrowLossy(record->lpstrFindWhat);
    std::function<void(const std::string&)> onFind = onFind_;
    form_.Input([&](FormPref&) { onFind(text); });
  });
  find_ = FINDREPLACEW{};
  find_.lStructSize = sizeof find_;
  find_.hwndOwner = window;
  find_.lpstrFindWhat = findText_;
  find_.wFindWhatLen = sizeof findText_;  // in bytes, as the dialog counts it
  // Only "find next": no match case, no direction, no whole word.
  find_.Flags = FR_DOWN | FR_HIDEMATCHCASE | FR_HIDEUPDOWN | FR_HIDEWHOLEWORD | FR_ENABLEHOOK;
  find_.lpfnHook = &FindDialogHook;
  findDialog_ = FindTextW(&find_);
}

void Win32Platform::SetCurrentThreadPriority(int level) {
  static constexpr int kPriorities[7] = {
      THREAD_PRIORITY_IDLE,          THREAD_PRIORITY_LOWEST,       THREAD_PRIORITY_BELOW_NORMAL,
      THREAD_PRIORITY_NORMAL,        THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
      THREAD_PRIORITY_TIME_CRITICAL,
  };
  int index = level < -3 ? 0 : level > 3 ? 6 : level + 3;
  SetThreadPriority(GetCurrentThread(), kPriorities[index]);
}

void Win32Platform::ShellOpen(const std::string& file, const std::string& directory) {
  ShellExecuteW(form_.Handle(), L"open", Wide(file).c_str(), nullptr, Wide(directory).c_str(),
                SW_SHOWNORMAL);
}

void Win32Platform::AddToolWindowStyle() {
  const DpiScope dpi = form_.InItsDpi();
  if (!form_.Handle()) return;
  LONG style = GetWindowLongA(form_.Handle(), GWL_EXSTYLE);
  SetWindowLongA(form_.Handle(), GWL_EXSTYLE, style | WS_EX_TOOLWINDOW);
}

WindowHandle Win32Platform::PreferencesWindow() {
  return reinterpret_cast<WindowHandle>(form_.Handle());
}

std::optional<std::string> Win32Platform::OpenFileDialog(const std::string& filter,
                                                         const std::string& folder) {
  const DpiScope dpi = form_.InItsDpi();
  const FocusKept kept(form_.Focus());
  return RunFileDialog(form_.Handle(), filter, false, folder);
}

std::optional<std::string> Win32Platform::SaveFileDialog(const std::string& filter) {
  const DpiScope dpi = form_.InItsDpi();
  const FocusKept kept(form_.Focus());
  return RunFileDialog(form_.Handle(), filter, true, "");
}

}  // namespace kolvar::win32
