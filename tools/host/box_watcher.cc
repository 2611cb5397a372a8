#include "box_watcher.h"

#include <commctrl.h>
#include <commdlg.h>

#include "host_log.h"
#include "host_text.h"

#include <utility>
#include <vector>

namespace kolvar::host {

void BoxWatcher::Run() {
  while (!stop_) {
    EnumWindows(&BoxWatcher::Visit, reinterpret_cast<LPARAM>(this));
    Sleep(20);
  }
}

bool BoxWatcher::FirstSight(HWND window) {
  if (answered_.count(window)) {
    if (IsWindow(window)) return false;  // still closing
    answered_.erase(window);             // a new window with an old handle
  }
  answered_.insert(window);
  return true;
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
  if (std::string(cls) != "#32770") return;
  if (GetDlgItem(box, kFileTypes)) {
    if (FirstSight(box)) AnswerFileDialog(box);
    return;
  }
  if (!GetDlgItem(box, 0xFFFF)) return;
  // The find dialog (it has the edit edt1) is the script's to drive with keys.
  if (GetDlgItem(box, kFindEdit)) return;
  if (!FirstSight(box)) return;
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
  ++answeredCount_;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

// A pop-up menu the plug-in opened: its items are written out, and it is closed
// without a choice, as a user pressing Escape would.
void BoxWatcher::CloseMenu(HWND menuWindow) {
  if (!FirstSight(menuWindow)) return;
  auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
  std::string items;
  for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
    char text[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    // A checked item is marked as the user sees it ticked.
    const bool checked =
        (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) != 0;
    items += (items.empty() ? "" : "|") + std::string(*text ? text : "-") + (checked ? "*" : "");
  }
  std::string choice;
  {
    std::lock_guard lock(choiceMutex_);
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
  ++answeredCount_;
  if (!found) {
    PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    return;
  }
  for (int i = 0; i < downs; ++i) PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
}

// The file dialog's types are listed; with a file chosen ("savefile") it takes that
// type and name and is confirmed, as a user typing them would; without, cancelled.
void BoxWatcher::AnswerFileDialog(HWND dialog) {
  FileChoice choice;
  {
    std::lock_guard lock(choiceMutex_);
    std::swap(choice, fileChoice_);
  }
  HWND types = GetDlgItem(dialog, kFileTypes);
  std::string listed;
  const int count = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::vector<wchar_t> text(static_cast<std::size_t>(SendMessageW(types, CB_GETLBTEXTLEN, i, 0)) +
                              1);
    SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    listed += (listed.empty() ? "" : "|") + To1251(text.data());
  }
  // The folder it opened in, as the dialog tells it.
  std::vector<wchar_t> folder(32768, L'\0');
  SendMessageW(dialog, CDM_GETFOLDERPATH, folder.size(), reinterpret_cast<LPARAM>(folder.data()));
  Log("filedialog types=" + Quote(listed) + " folder=" + Quote(To1251(folder.data())) +
      (choice.name.empty()
           ? " cancelled"
           : " name=" + Quote(choice.shown) + " type=" + std::to_string(choice.type)));
  ++answeredCount_;
  if (choice.name.empty()) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    return;
  }
  SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(choice.type - 1), 0);
  // As a user's choice in the list ends: dialogs listen for one or the other.
  for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK}) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFileTypes, code), reinterpret_cast<LPARAM>(types));
  }
  // The name box: an edit (edt1) in older dialogs, a combo box with one (cmb13) in
  // newer ones.
  HWND name = GetDlgItem(dialog, kFindEdit);
  if (!name) {
    name = reinterpret_cast<HWND>(
        SendMessageW(GetDlgItem(dialog, kFileNameBox), CBEM_GETEDITCONTROL, 0, 0));
  }
  SetWindowTextW(name, choice.name.c_str());
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

}  // namespace kolvar::host
