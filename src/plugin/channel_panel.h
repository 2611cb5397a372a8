// The channel list box and what acts on it: the guide folder, check marks, time
// shifts and the channel menu. Window thread.
#pragma once

#include <functional>
#include <string>
#include <unordered_set>

#include "plugin/host_channel.h"
#include "plugin/plugin_state.h"
#include "plugin/search_control.h"

namespace kolvar {

namespace testing {
class PluginProbe;
}  // namespace testing

class ChannelPanel {
 public:
  ChannelPanel(PluginState& state, HostChannel& host, SearchControl& search)
      : state_(state), host_(host), search_(search) {}

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
  PluginState& state_;
  HostChannel& host_;
  SearchControl& search_;
  bool typedPathFlag_ = false;
  bool checkedOnly_ = false;
  // The folder's channels as last listed in full, upper-cased.
  std::unordered_set<std::string> listed_;
  // Saved channels missing from that listing are kept: false once the user has
  // chosen another folder, where the old choice means nothing.
  bool keepUnlisted_ = true;
};

}  // namespace kolvar
