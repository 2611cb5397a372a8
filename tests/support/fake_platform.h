// A scripted, recording platform for the core's tests: a clock the test sets,
// message-box and dialog answers the test queues, and a log of every call that
// reaches the outside world, in order. Safe to call from several threads.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/platform.h"

namespace kolvar::testing {

// One call that left the core, as a test compares it.
struct Recorded {
  enum class Kind { kEvent, kReply, kMessageBox, kWindow, kDialog, kShell, kDraw, kMenu };
  Kind kind = Kind::kEvent;
  std::string text;     // box text, event text, window action or dialog filter
  std::string caption;  // box caption, event kind
  std::string folder;   // where an open dialog starts
  long long value = 0;  // reply value, box style
  std::uint32_t tag = 0;
  HostEvent event;  // for kEvent
};

class FakePlatform : public Platform {
 public:
  // Scripting.
  void SetNow(DateTime now);
  void Advance(double days);
  // Moves the clock on by ms, firing every timer that falls due on the way, in time
  // order (as the window thread, on the calling thread).
  void PassTime(long long ms);
  // The interval a timer runs at now, 0 when it is stopped.
  int TimerInterval(int id) const;
  void QueueMessageBoxAnswer(int answer);                   // unqueued boxes answer OK
  void QueueDialogAnswer(std::optional<std::string> path);  // unqueued dialogs are cancelled
  void SetModuleFileName(std::optional<std::string> fileName) { moduleFileName_ = fileName; }
  void SetHostExecutablePath(std::string path) { hostExecutable_ = std::move(path); }
  // The host's handling of message 1025, run inside the send (it may call back
  // into the plug-in, as a real host may).
  void SetEventHandler(std::function<void(const HostEvent&)> handler) {
    eventHandler_ = std::move(handler);
  }
  // What the host does while a message box is up (the box's own loop serves it).
  void SetMessageBoxHandler(std::function<void(const std::string& text)> handler) {
    boxHandler_ = std::move(handler);
  }

  // The window thread's message loop, played by the test: runs the tasks posted
  // so far (and those they post). Returns how many ran.
  int RunPosted();
  // Waits up to timeoutMs for a task to be posted; true when one is waiting.
  bool WaitForPosted(int timeoutMs);

  // Inspection.
  std::vector<Recorded> Calls() const;
  std::vector<Recorded> CallsOf(Recorded::Kind kind) const;
  void ClearCalls();
  WindowHandle HostWindow() const { return host_; }
  bool WindowExists() const { return windowExists_; }
  bool WindowVisible() const { return windowVisible_; }
  bool WindowIsToolWindow() const { return toolWindow_; }
  std::string LastModuleQuery() const { return lastModuleQuery_; }
  std::vector<int> ThreadPriorities() const;

  // Platform.
  DateTime Now() override;
  // The fake clock's time: the tests' zone is UTC unless a test sets one.
  DateTime UtcNow() override { return Now(); }
  std::optional<DateTime> UtcFromLocal(DateTime local) override {
    return zone ? zone(local) : std::optional<DateTime>(local);
  }
  // Local time to UTC, for a test of another zone.
  std::function<std::optional<DateTime>(DateTime)> zone;
  void SetHostWindow(WindowHandle host) override { host_ = host; }
  void SendEvent(const HostEvent& event) override;
  void Reply(std::uint32_t tag, std::intptr_t value) override;
  int ModalMessageBox(const std::string& text, const std::string& caption, int style) override;
  std::optional<std::string> LoadedModuleFileName(const std::string& moduleName) override;
  std::string HostExecutablePath() override { return hostExecutable_; }
  void CreatePreferencesWindow() override;
  void ShowPreferencesWindow() override;
  void HidePreferencesWindow() override;
  void DestroyPreferencesWindow() override;
  void AddToolWindowStyle() override;
  WindowHandle PreferencesWindow() override;
  void PostToWindowThread(std::function<void()> fn) override;
  void SetTimer(int id, int intervalMs, std::function<void()> fn) override;
  void SetCurrentThreadPriority(int level) override;
  void ShellOpen(const std::string& file, const std::string& directory) override;
  std::optional<std::string> OpenFileDialog(const std::string& filter,
                                            const std::string& folder) override;
  std::optional<std::string> SaveFileDialog(const std::string& filter) override;
  bool DrawImage(const std::string& file, int left, int top, int right, int bottom,
                 bool stretch) override;
  Point PointerOnScreen() override;
  Point WindowOnScreen() override;
  void MoveWindowTo(Point topLeft) override;
  void RefreshScrollBars() override;
  void BringToFront() override;
  int PopupMenu(const std::vector<MenuItem>& items) override;
  void SetClipboardText(const std::string& text) override;
  void ShowFindDialog(std::function<void(const std::string& text)> onFind) override;

  // Images whose file name ends so cannot be drawn.
  void FailImagesEndingWith(std::string suffix) { failingImages_ = std::move(suffix); }
  void SetPointer(Point p) { pointer_ = p; }
  // The next pop-up menu is answered with this id (unqueued menus choose nothing).
  void QueueMenuAnswer(int id);
  std::string Clipboard() const;
  // The user asks the find dialog for the next match of text.
  void FindNext(const std::string& text);

  static constexpr WindowHandle kWindowHandle = 0x5150;

 private:
  void Record(Recorded r);
  std::optional<std::string> AnswerDialog(const std::string& what, const std::string& filter,
                                          const std::string& folder);

  mutable std::mutex mutex_;
  std::vector<Recorded> calls_;
  std::condition_variable postedChanged_;
  std::deque<std::function<void()>> posted_;
  std::vector<int> priorities_;
  std::deque<int> boxAnswers_;
  std::deque<std::optional<std::string>> dialogAnswers_;
  DateTime now_ = 0;
  WindowHandle host_ = 0;
  bool windowExists_ = false;
  bool windowVisible_ = false;
  bool toolWindow_ = false;
  std::optional<std::string> moduleFileName_ = "C:\\Host\\Plugins\\Kolvar\\Kolvar.dll";
  std::string hostExecutable_ = "C:\\Host\\host.exe";
  std::string lastModuleQuery_;
  std::function<void(const HostEvent&)> eventHandler_;
  std::function<void(const std::string&)> boxHandler_;
  std::string failingImages_ = "\x01";  // nothing ends so
  Point pointer_;
  Point window_{100, 100};
  std::deque<int> menuAnswers_;
  std::string clipboard_;
  std::function<void(const std::string&)> onFind_;

  struct FakeTimer {
    int interval = 0;
    std::function<void()> fn;
    long long due = 0;  // on the timer clock
  };
  std::map<int, FakeTimer> timers_;
  long long timerClock_ = 0;  // milliseconds passed through PassTime
};

}  // namespace kolvar::testing
