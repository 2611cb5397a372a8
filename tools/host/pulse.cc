#include "pulse.h"

#include <chrono>
#include <cstdio>

namespace kolvar::host {

namespace {
LONGLONG Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}
}  // namespace

void Pulse::Start(HWND window, int intervalMs) {
  Stop();
  QueryPerformanceFrequency(&frequency_);
  window_ = window;
  Reset();
  posting_ = true;
  poster_ = std::thread([this, window, intervalMs] {
    while (posting_) {
      // The counter's low half travels in lParam: enough for waits of minutes.
      PostMessageA(window, kMessage, 0, static_cast<LPARAM>(static_cast<DWORD>(Now())));
      std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
    }
  });
  SetTimer(window, kTimer, static_cast<UINT>(intervalMs), nullptr);
}

void Pulse::Stop() {
  posting_ = false;
  if (poster_.joinable()) poster_.join();
  if (window_) KillTimer(window_, kTimer);
  window_ = nullptr;
}

double Pulse::MillisecondsSince(LONGLONG ticks) const {
  return 1000.0 * static_cast<double>(Now() - ticks) / static_cast<double>(frequency_.QuadPart);
}

bool Pulse::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kMessage) {
    const DWORD sent = static_cast<DWORD>(lParam);
    const DWORD waited = static_cast<DWORD>(Now()) - sent;
    const double ms = 1000.0 * waited / static_cast<double>(frequency_.QuadPart);
    ++handled_;
    totalWait_ += ms;
    if (ms > worstWait_) worstWait_ = ms;
    if (ms > 50) ++over50_;
    return true;
  }
  if (message == WM_TIMER && wParam == kTimer && window == window_) {
    const LONGLONG now = Now();
    if (lastTick_ != 0) {
      const double gap =
          1000.0 * static_cast<double>(now - lastTick_) / static_cast<double>(frequency_.QuadPart);
      if (gap > worstGap_) worstGap_ = gap;
    }
    lastTick_ = now;
    ++ticks_;
    return true;
  }
  return false;
}

std::string Pulse::Report() {
  // A gap still open counts too: the timer may not have ticked since.
  if (lastTick_ != 0 && MillisecondsSince(lastTick_) > worstGap_) {
    worstGap_ = MillisecondsSince(lastTick_);
  }
  char line[200];
  std::snprintf(line, sizeof line,
                "pulse posted=%ld worst_ms=%.1f mean_ms=%.1f over50=%ld ticks=%ld "
                "worst_gap_ms=%.1f",
                handled_, worstWait_, handled_ ? totalWait_ / handled_ : 0.0, over50_, ticks_,
                worstGap_);
  Reset();
  return line;
}

void Pulse::Reset() {
  handled_ = 0;
  worstWait_ = 0;
  totalWait_ = 0;
  over50_ = 0;
  ticks_ = 0;
  lastTick_ = 0;
  worstGap_ = 0;
}

}  // namespace kolvar::host
