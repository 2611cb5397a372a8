// What a host feels of the plug-in while it works: a thread posts the host window
// a message every few milliseconds, and a timer of the window ticks as often. How
// long the posted messages waited, and the longest gap between ticks, tell how long
// the host's thread was kept from its own work. For measuring, not for transcripts
// that are compared: the figures vary from run to run.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace kolvar::host {

class Pulse {
 public:
  Pulse() = default;
  Pulse(const Pulse&) = delete;
  Pulse& operator=(const Pulse&) = delete;
  ~Pulse() { Stop(); }

  // Starts posting and ticking every intervalMs to window, counting afresh.
  void Start(HWND window, int intervalMs);
  void Stop();
  // For the window's procedure, on its thread: true when the message was ours.
  bool Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // A message of the pulse, which says nothing of the plug-in's activity.
  static bool Owns(const MSG& msg) {
    return msg.message == kMessage || (msg.message == WM_TIMER && msg.wParam == kTimer);
  }
  // "pulse posted=N worst_ms=X mean_ms=Y over50=Z ticks=T worst_gap_ms=G", then
  // counts afresh.
  std::string Report();

 private:
  static constexpr UINT kMessage = WM_APP + 40;
  static constexpr UINT_PTR kTimer = 0x4B50;

  double MillisecondsSince(LONGLONG ticks) const;
  void Reset();

  HWND window_ = nullptr;
  std::thread poster_;
  std::atomic<bool> posting_{false};
  LARGE_INTEGER frequency_{};
  // Window thread only.
  long handled_ = 0;
  double worstWait_ = 0;
  double totalWait_ = 0;
  long over50_ = 0;
  long ticks_ = 0;
  LONGLONG lastTick_ = 0;
  double worstGap_ = 0;
};

}  // namespace kolvar::host
