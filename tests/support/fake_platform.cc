#include "support/fake_platform.h"

namespace kolvar::testing {
namespace {

Recorded Rec(Recorded::Kind kind, std::string text, std::string caption = {}) {
  Recorded r;
  r.kind = kind;
  r.text = std::move(text);
  r.caption = std::move(caption);
  return r;
}

}  // namespace

void FakePlatform::SetNow(DateTime now) {
  std::lock_guard lock(mutex_);
  now_ = now;
}

void FakePlatform::Advance(double days) {
  std::lock_guard lock(mutex_);
  now_ += days;
}

void FakePlatform::QueueMessageBoxAnswer(int answer) {
  std::lock_guard lock(mutex_);
  boxAnswers_.push_back(answer);
}

void FakePlatform::QueueDialogAnswer(std::optional<std::string> path) {
  std::lock_guard lock(mutex_);
  dialogAnswers_.push_back(std::move(path));
}

std::vector<Recorded> FakePlatform::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<Recorded> FakePlatform::CallsOf(Recorded::Kind kind) const {
  std::lock_guard lock(mutex_);
  std::vector<Recorded> out;
  for (const auto& c : calls_) {
    if (c.kind == kind) out.push_back(c);
  }
  return out;
}

void FakePlatform::ClearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

void FakePlatform::Record(Recorded r) {
  std::lock_guard lock(mutex_);
  calls_.push_back(std::move(r));
}

DateTime FakePlatform::Now() {
  std::lock_guard lock(mutex_);
  return now_;
}

void FakePlatform::SendEvent(const HostEvent& event) {
  Recorded r = Rec(Recorded::Kind::kEvent, event.text, event.kind);
  r.event = event;
  Record(std::move(r));
  if (eventHandler_) eventHandler_(event);
}

void FakePlatform::Reply(std::uint32_t tag, std::intptr_t value) {
  Recorded r = Rec(Recorded::Kind::kReply, "", "");
  r.tag = tag;
  r.value = value;
  Record(std::move(r));
}

int FakePlatform::ModalMessageBox(const std::string& text, const std::string& caption, int style) {
  Recorded r = Rec(Recorded::Kind::kMessageBox, text, caption);
  r.value = style;
  Record(std::move(r));
  if (boxHandler_) boxHandler_(text);
  std::lock_guard lock(mutex_);
  if (boxAnswers_.empty()) return kAnswerOk;
  int answer = boxAnswers_.front();
  boxAnswers_.pop_front();
  return answer;
}

std::optional<std::string> FakePlatform::LoadedModuleFileName(const std::string& moduleName) {
  std::lock_guard lock(mutex_);
  lastModuleQuery_ = moduleName;
  return moduleFileName_;
}

void FakePlatform::CreatePreferencesWindow() {
  Record(Rec(Recorded::Kind::kWindow, "create"));
  std::lock_guard lock(mutex_);
  windowExists_ = true;
  windowVisible_ = false;
}

void FakePlatform::ShowPreferencesWindow() {
  Record(Rec(Recorded::Kind::kWindow, "show"));
  std::lock_guard lock(mutex_);
  if (windowExists_) windowVisible_ = true;
}

void FakePlatform::HidePreferencesWindow() {
  Record(Rec(Recorded::Kind::kWindow, "hide"));
  std::lock_guard lock(mutex_);
  windowVisible_ = false;
}

void FakePlatform::DestroyPreferencesWindow() {
  Record(Rec(Recorded::Kind::kWindow, "destroy"));
  std::lock_guard lock(mutex_);
  posted_.clear();
  timers_.clear();
  windowExists_ = windowVisible_ = toolWindow_ = false;
}

void FakePlatform::AddToolWindowStyle() {
  Record(Rec(Recorded::Kind::kWindow, "toolwindow"));
  std::lock_guard lock(mutex_);
  if (windowExists_) toolWindow_ = true;
}

WindowHandle FakePlatform::PreferencesWindow() {
  std::lock_guard lock(mutex_);
  return windowExists_ ? kWindowHandle : 0;
}

void FakePlatform::PostToWindowThread(std::function<void()> fn) {
  {
    std::lock_guard lock(mutex_);
    if (!windowExists_) return;
    posted_.push_back(std::move(fn));
  }
  postedChanged_.notify_all();
}

int FakePlatform::RunPosted() {
  int ran = 0;
  for (;;) {
    std::function<void()> fn;
    {
      std::lock_guard lock(mutex_);
      if (posted_.empty()) return ran;
      fn = std::move(posted_.front());
      posted_.pop_front();
    }
    fn();
    ++ran;
  }
}

bool FakePlatform::WaitForPosted(int timeoutMs) {
  std::unique_lock lock(mutex_);
  return postedChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return !posted_.empty(); });
}

void FakePlatform::SetCurrentThreadPriority(int level) {
  std::lock_guard lock(mutex_);
  priorities_.push_back(level);
}

std::vector<int> FakePlatform::ThreadPriorities() const {
  std::lock_guard lock(mutex_);
  return priorities_;
}

void FakePlatform::ShellOpen(const std::string& file, const std::string& directory) {
  Record(Rec(Recorded::Kind::kShell, file, directory));
}

std::optional<std::string> FakePlatform::AnswerDialog(const std::string& what,
                                                      const std::string& filter,
                                                      const std::string& folder) {
  Recorded r = Rec(Recorded::Kind::kDialog, filter, what);
  r.folder = folder;
  Record(std::move(r));
  std::lock_guard lock(mutex_);
  if (dialogAnswers_.empty()) return std::nullopt;
  auto answer = dialogAnswers_.front();
  dialogAnswers_.pop_front();
  return answer;
}

std::optional<std::string> FakePlatform::OpenFileDialog(const std::string& filter,
                                                        const std::string& folder) {
  return AnswerDialog("open", filter, folder);
}

std::optional<std::string> FakePlatform::SaveFileDialog(const std::string& filter) {
  return AnswerDialog("save", filter, "");
}

void FakePlatform::SetTimer(int id, int intervalMs, std::function<void()> fn) {
  std::lock_guard lock(mutex_);
  if (intervalMs <= 0 || !windowExists_) {
    timers_.erase(id);
    return;
  }
  timers_[id] = {intervalMs, std::move(fn), timerClock_ + intervalMs};
}

int FakePlatform::TimerInterval(int id) const {
  std::lock_guard lock(mutex_);
  auto it = timers_.find(id);
  return it == timers_.end() ? 0 : it->second.interval;
}

void FakePlatform::PassTime(long long ms) {
  long long end;
  {
    std::lock_guard lock(mutex_);
    end = timerClock_ + ms;
  }
  for (;;) {
    std::function<void()> fn;
    {
      std::lock_guard lock(mutex_);
      auto next = timers_.end();
      for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (next == timers_.end() || it->second.due < next->second.due) next = it;
      }
      if (next == timers_.end() || next->second.due > end) {
        now_ += static_cast<double>(end - timerClock_) / 86400000.0;
        timerClock_ = end;
        return;
      }
      FakeTimer& timer = next->second;
      now_ += static_cast<double>(timer.due - timerClock_) / 86400000.0;
      timerClock_ = timer.due;
      timer.due += timer.interval;
      fn = timer.fn;  // a copy: the tick may replace or stop its own timer
    }
    fn();
  }
}

bool FakePlatform::DrawImage(const std::string& file, int left, int top, int right, int bottom,
                             bool stretch) {
  const bool fails =
      file.size() >= failingImages_.size() &&
      file.compare(file.size() - failingImages_.size(), std::string::npos, failingImages_) == 0;
  if (fails) return false;
  Record(Rec(Recorded::Kind::kDraw, file,
             std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(right) + "," +
                 std::to_string(bottom) + (stretch ? "" : " unscaled")));
  return true;
}

Point FakePlatform::PointerOnScreen() {
  std::lock_guard lock(mutex_);
  return pointer_;
}

Point FakePlatform::WindowOnScreen() {
  std::lock_guard lock(mutex_);
  return window_;
}

void FakePlatform::MoveWindowTo(Point topLeft) {
  Record(Rec(Recorded::Kind::kWindow,
             "move " + std::to_string(topLeft.x) + "," + std::to_string(topLeft.y)));
  std::lock_guard lock(mutex_);
  window_ = topLeft;
}

void FakePlatform::RefreshScrollBars() { Record(Rec(Recorded::Kind::kWindow, "scrollbars")); }

void FakePlatform::BringToFront() { Record(Rec(Recorded::Kind::kWindow, "front")); }

void FakePlatform::QueueMenuAnswer(int id) {
  std::lock_guard lock(mutex_);
  menuAnswers_.push_back(id);
}

int FakePlatform::PopupMenu(const std::vector<MenuItem>& items) {
  std::string texts;
  for (const MenuItem& item : items) {
    texts += (texts.empty() ? "" : "|") + (item.text.empty() ? std::string("-") : item.text) +
             (item.checked ? "*" : "");
  }
  Record(Rec(Recorded::Kind::kMenu, texts));
  std::lock_guard lock(mutex_);
  if (menuAnswers_.empty()) return 0;
  const int id = menuAnswers_.front();
  menuAnswers_.pop_front();
  return id;
}

void FakePlatform::SetClipboardText(const std::string& text) {
  std::lock_guard lock(mutex_);
  clipboard_ = text;
}

std::string FakePlatform::Clipboard() const {
  std::lock_guard lock(mutex_);
  return clipboard_;
}

void FakePlatform::ShowFindDialog(std::function<void(const std::string& text)> onFind) {
  Record(Rec(Recorded::Kind::kDialog, "", "find"));
  onFind_ = std::move(onFind);
}

void FakePlatform::FindNext(const std::string& text) {
  if (onFind_) onFind_(text);
}

}  // namespace kolvar::testing
