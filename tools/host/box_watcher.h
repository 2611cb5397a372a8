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
    std::lock_guard lock(choiceMutex_);
    menuChoice_ = std::move(text);
  }
  // The next file dialog is answered with this path (full) and file type (from 1);
  // shown is the name as the transcript writes it. Without a choice, cancelled.
  void ChooseFile(std::wstring path, std::string shown, int type) {
    std::lock_guard lock(choiceMutex_);
    fileChoice_ = {std::move(path), std::move(shown), type};
  }
  // Boxes, menus and file dialogs written out and answered so far.
  int Answered() const { return answeredCount_.load(); }

 private:
  struct FileChoice {
    std::wstring name;
    std::string shown;
    int type = 1;
  };
  // Dialog controls: a file dialog's types (cmb1) and name box (cmb13), and the
  // edit edt1, the find dialog's text and an older file dialog's name.
  static constexpr int kFileTypes = 0x470;
  static constexpr int kFileNameBox = 0x47C;
  static constexpr int kFindEdit = 0x480;

  void Run();
  // False for a window answered already that is still closing.
  bool FirstSight(HWND window);
  void AnswerFileDialog(HWND dialog);
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM self);
  void Consider(HWND box);
  void CloseMenu(HWND menuWindow);

  std::atomic<int> answer_;
  std::mutex choiceMutex_;
  std::string menuChoice_;
  FileChoice fileChoice_;  // under choiceMutex_ too
  std::atomic<int> answeredCount_{0};
  std::atomic<bool> stop_{false};
  std::set<HWND> answered_;  // watcher thread only
  // Last: it starts running at construction.
  std::thread thread_;
};

}  // namespace kolvar::host
