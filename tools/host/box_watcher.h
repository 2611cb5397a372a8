// Answers the plug-in's message boxes and pop-up menus so nothing waits for a
// person: a thread finds them, writes them to the transcript and presses the
// chosen button or item.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace kolvar::host {

class BoxWatcher {
 public:
  explicit BoxWatcher(int answer) : answer_(answer), thread_([this] { Run(); }) {}
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;
  ~BoxWatcher() {
    stop_ = true;
    thread_.join();
  }

  // The button boxes are answered with: IDOK, IDYES, IDNO or IDCANCEL (the
  // nearest the box has).
  void SetAnswer(int button) { answer_ = button; }
  // The item the next pop-up menu is answered with; empty: none, the menu is
  // closed as Escape closes it.
  void ChooseMenuItem(std::string text) {
    std::lock_guard lock(menuChoiceMutex_);
    menuChoice_ = std::move(text);
  }

 private:
  void Run();
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM self);
  void Consider(HWND box);
  void CloseMenu(HWND menuWindow);

  std::atomic<int> answer_;
  std::mutex menuChoiceMutex_;
  std::string menuChoice_;
  std::atomic<bool> stop_{false};
  std::set<HWND> answered_;  // watcher thread only
  // Last: it starts running at construction.
  std::thread thread_;
};

}  // namespace kolvar::host
