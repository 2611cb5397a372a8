// The real platform: the host window, the preferences window, message boxes,
// dialogs and the clock, through user32, comdlg32 and kernel32.
// Whatever works on the preferences window or the boxes and dialogs it owns does
// so in the window's own DPI awareness, whichever thread awareness the host calls in.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "base/platform.h"
#include "win32/form_window.h"
#include "win32/unique_handle.h"

namespace kolvar::win32 {

class Win32Platform final : public Platform {
 public:
  DateTime Now() override;
  DateTime UtcNow() override;
  std::optional<DateTime> UtcFromLocal(DateTime local) override;

  void SetHostWindow(WindowHandle host) override;
  void SendEvent(const HostEvent& event) override;
  void Reply(std::uint32_t tag, std::intptr_t value) override;

  int ModalMessageBox(const std::string& text, const std::string& caption, int style) override;

  std::optional<std::string> LoadedModuleFileName(const std::string& moduleName) override;
  std::string HostExecutablePath() override;

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

  // The models the window mirrors and feeds (null when the plug-in is closing),
  // and how the window enters plug-in code; the view follows the models after
  // every entry.
  void AttachForm(FormPref* form, Enter enter);
  void SyncView();

  // Gives a key meant for the window or the find dialog to IsDialogMessage, as a
  // dialog's own message loop would: Tab and Shift+Tab move between the window's
  // controls, Enter and Esc work in the find dialog. The window's shortcuts
  // (ui/shortcuts.h) are run here, whatever loop the host runs. Key presses there are
  // translated and dispatched here, so the characters typed arrive as typed
  // whatever form the host's loop takes messages in. True when it was taken.
  bool TakeDialogKey(MSG& msg);

 private:
  // A key press that is one of the window's shortcuts, run; false for any other.
  bool TakeShortcut(const MSG& msg);
  void RunPosted();
  void RunTimer(UINT_PTR id);

  HWND host_ = nullptr;
  FormWindow form_;
  FormPref* model_ = nullptr;
  Enter enter_;
  // The find dialog: its record and text must live as long as it is open.
  FINDREPLACEW find_{};
  wchar_t findText_[256] = {};
  HWND findDialog_ = nullptr;
  std::function<void(const std::string&)> onFind_;
  // Tasks for the window thread; the window handle is kept here too, so posting
  // threads never see a window that is being destroyed.
  std::mutex postedMutex_;
  std::deque<std::function<void()>> posted_;
  HWND postTarget_ = nullptr;
  std::map<UINT_PTR, std::function<void()>> timers_;  // window thread only
  // The host's message loop calls no IsDialogMessage for our windows: a hook on
  // the window thread's queue does, while the window exists.
  UniqueHook keyHook_;
  bool inMenu_ = false;  // a pop-up menu of the window is open
};

}  // namespace kolvar::win32
