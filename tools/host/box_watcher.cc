#include "box_watcher.h"

#include "host_log.h"
#include "host_text.h"

namespace kolvar::host {

void BoxWatcher::Run() {
  while (!stop_) {
    EnumWindows(&BoxWatcher::Visit, reinterpret_cast<LPARAM>(this));
    Sleep(20);
  }
}

BOOL CALLBACK BoxWatcher::Visit(HWND hwnd, LPARAM self) {
  reinterpret_cast<BoxWatcher*>(self)->Consider(hwnd);
  return TRUE;
}

void BoxWatcher::Consider(HWND box) {
  DWORD pid = 0;
  GetWindowThreadProcessId(box, &pid);
  if (pid != GetCurrentProcessId() || !IsWindowVisible(box)) return;
  char cls[32] = {};
  GetClassNameA(box, cls, sizeof cls);
  if (std::string(cls) == "#32768") {
    CloseMenu(box);
    return;
  }
  if (std::string(cls) != "#32770" || !GetDlgItem(box, 0xFFFF)) return;
  // The find dialog (it has the edit edt1) is the script's to drive with keys.
  constexpr int kFindEdit = 0x480;
  if (GetDlgItem(box, kFindEdit)) return;
  if (answered_.count(box)) {
    if (IsWindow(box)) return;  // still closing
    answered_.erase(box);
  }
  const std::string caption = WindowText(box);
  const std::string text = WindowText(GetDlgItem(box, 0xFFFF));

  bool hasYes = GetDlgItem(box, IDYES) != nullptr;
  bool hasNo = GetDlgItem(box, IDNO) != nullptr;
  bool hasOk = GetDlgItem(box, IDOK) != nullptr;
  int button = IDOK;
  switch (answer_.load()) {
    case IDYES:
      button = hasYes ? IDYES : IDOK;
      break;
    case IDNO:
      button = hasNo ? IDNO : (GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK);
      break;
    case IDCANCEL:
      button = GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK;
      break;
    default:
      button = hasOk ? IDOK : IDYES;
      break;
  }
  std::string buttons = hasYes && hasNo ? "yesno" : hasOk ? "ok" : "other";
  static const char* const kNames[] = {"", "ok", "cancel", "abort", "retry", "ignore", "yes", "no"};
  Log("box caption=" + Quote(caption) + " text=" + Quote(text) + " buttons=" + buttons +
      " answer=" + kNames[button]);
  answered_.insert(box);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

// A pop-up menu the plug-in opened: its items are written out, and it is closed
// without a choice, as a user pressing Escape would.
void BoxWatcher::CloseMenu(HWND menuWindow) {
  if (answered_.count(menuWindow)) {
    if (IsWindow(menuWindow)) return;
    answered_.erase(menuWindow);
  }
  answered_.insert(menuWindow);
  auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
  std::string items;
  for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
    char text[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    items += (items.empty() ? "" : "|") + std::string(*text ? text : "-");
  }
  std::string choice;
  {
    std::lock_guard lock(menuChoiceMutex_);
    choice.swap(menuChoice_);
  }
  // Down to the chosen item (separators are passed over), then Enter.
  int downs = 0;
  bool found = false;
  for (int i = 0; menu && !found && i < GetMenuItemCount(menu); ++i) {
    char text[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    if (!*text) continue;
    ++downs;
    found = !choice.empty() && choice == text;
  }
  Log("menu items=" + Quote(items) + (found ? " chosen=" + Quote(choice) : ""));
  if (!found) {
    PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    return;
  }
  for (int i = 0; i < downs; ++i) PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
}

}  // namespace kolvar::host
