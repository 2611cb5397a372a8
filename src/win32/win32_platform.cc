#include "win32/win32_platform.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "win32/host_protocol.h"

namespace kolvar::win32 {
namespace {

// GetModuleFileNameA cuts long names silently; grow the buffer until it fits.
std::string ModuleFileName(HMODULE module) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size() || buffer.size() >= 32768) return std::string(buffer.data(), n);
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

std::optional<std::string> RunFileDialog(HWND owner, const std::string& filter, bool save) {
  std::string filterList = DialogFilter(filter);
  std::vector<char> file(32768, '\0');
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filterList.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (save ? 0 : OFN_FILEMUSTEXIST);
  BOOL ok = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  if (!ok) return std::nullopt;
  return std::string(file.data());
}

}  // namespace

DateTime Win32Platform::Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  CalendarFields f;
  f.year = st.wYear;
  f.month = st.wMonth;
  f.dayOfWeek = st.wDayOfWeek;
  f.day = st.wDay;
  f.hour = st.wHour;
  f.minute = st.wMinute;
  f.second = st.wSecond;
  f.millisecond = st.wMilliseconds;
  return EncodeDateTime(f).value_or(0.0);
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
  return MessageBoxA(form_.Handle(), text.c_str(), caption.c_str(), static_cast<UINT>(style));
}

std::optional<std::string> Win32Platform::LoadedModuleFileName(const std::string& moduleName) {
  HMODULE module = GetModuleHandleA(moduleName.c_str());
  if (!module) return std::nullopt;
  return ModuleFileName(module);
}

std::string Win32Platform::HostExecutablePath() { return ModuleFileName(nullptr); }

void Win32Platform::CreatePreferencesWindow() {
  form_.Create([this] { RunPosted(); }, [this](UINT_PTR id) { RunTimer(id); });
  std::lock_guard lock(postedMutex_);
  postTarget_ = form_.Handle();
}

void Win32Platform::ShowPreferencesWindow() {
  if (!form_.Handle()) return;
  ShowWindow(form_.Handle(), SW_SHOW);
  SetForegroundWindow(form_.Handle());
}

void Win32Platform::HidePreferencesWindow() {
  if (form_.Handle()) ShowWindow(form_.Handle(), SW_HIDE);
}

void Win32Platform::DestroyPreferencesWindow() {
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

void Win32Platform::SyncView() {
  if (model_ && form_.Handle()) form_.Sync(*model_);
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
  ShellExecuteA(form_.Handle(), "open", file.c_str(), nullptr, directory.c_str(), SW_SHOWNORMAL);
}

void Win32Platform::AddToolWindowStyle() {
  if (!form_.Handle()) return;
  LONG style = GetWindowLongA(form_.Handle(), GWL_EXSTYLE);
  SetWindowLongA(form_.Handle(), GWL_EXSTYLE, style | WS_EX_TOOLWINDOW);
}

WindowHandle Win32Platform::PreferencesWindow() {
  return reinterpret_cast<WindowHandle>(form_.Handle());
}

std::optional<std::string> Win32Platform::OpenFileDialog(const std::string& filter) {
  return RunFileDialog(form_.Handle(), filter, false);
}

std::optional<std::string> Win32Platform::SaveFileDialog(const std::string& filter) {
  return RunFileDialog(form_.Handle(), filter, true);
}

}  // namespace kolvar::win32
