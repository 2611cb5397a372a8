// The channel list box and what acts on it: the guide folder, check marks, time
// shifts and the channel menu. Window thread.
#pragma once

#include <functional>
#include <string>
#include <unordered_set>

#include "plugin/host_channel.h"
#include "plugin/result_store.h"
#include "plugin/search_control.h"
#include "settings/settings.h"
#include "settings/watch_settings.h"
#include "ui/controls.h"

namespace kolvar {

namespace testing {
class PluginProbe;
}  // namespace testing

class ChannelPanel {
 public:
  // What the panel uses. It changes the channel list, its counter, the folder
  // edit, the time-shift spin, the settings' folder, channels and time shifts,
  // and of the results stale and outdated; the rest it reads.
  struct Parts {
    Platform& platform;
    HostChannel& host;
    SearchControl& search;
    ResultStore& results;
    TSettings& settings;
    const WatchSettings& watch;
    CheckListBox& channels;
    Label& counter;  // checked of all
    Label& caption;  // the result list's: cleared when the folder changes
    Edit& folder;
    SpinEdit& timeShift;
  };
  explicit ChannelPanel(Parts parts) : p_(parts) {}

  // Lists the folder's channels, checked as the settings say; 1 when it found
  // some, -1 otherwise.
  int ScanChannelFolder(const std::string& folder);
  void UpdateChannelCounter();
  void SelectDatabaseFolder();
  void EditFolderPathKeyPress(char key);
  void SelectFolder1Click();
  void CheckAll1Click();
  void UncheckAll1Click();
  void CheckedOnlyClick();
  void ShowCheckedList1Click();
  void ShowSelectedChannelClick();
  void CheckListBoxFilesClick();
  void CheckListBoxFilesClickCheck();
  void CheckListBoxFilesDblClick() { CheckedOnlyClick(); }
  // A mouse press on the list; item is the line under the pointer, -1 for none.
  void CheckListBoxFilesMouseDown(bool rightButton, int item);
  void SpinEditTimeShiftChange();
  // The channel list's menu, when the right button is released over the list.
  void CheckListBoxFilesContextMenu();
  // The channel list's check marks into the settings. Saved channels the folder
  // did not list (a drive not mounted) stay saved, until the user picks another
  // folder.
  void StoreCheckedChannels();

  // The menu's "Watch the Guide": switches the guide watcher (set by the plug-in).
  std::function<void()> ToggleWatch;

  // The "Checked Only" menu item's check mark.
  // The folder edit was typed in since the last folder selection.
  void ClearTypedPathFlag() { typedPathFlag_ = false; }

 private:
  friend class testing::PluginProbe;
  Parts p_;
  bool typedPathFlag_ = false;
  bool checkedOnly_ = false;
  // The folder's channels as last listed in full, upper-cased.
  std::unordered_set<std::string> listed_;
  // Saved channels missing from that listing are kept: false once the user has
  // chosen another folder, where the old choice means nothing.
  bool keepUnlisted_ = true;
};

}  // namespace kolvar
