#include "plugin/channel_panel.h"

#include <algorithm>

#include "base/cp1251.h"
#include "base/paths.h"
#include "base/texts.h"
#include "settings/settings_file.h"
#include "tvguide/channel_catalogue.h"
#include "ui/check_list.h"

namespace kolvar {

namespace {
constexpr char kFolderFilter[] = "*.ndx, *.pdt|*.NDX;*.PDT";
// The result list's caption before anything was searched.
constexpr char kFindCaption[] = "Find:";
}  // namespace

int ChannelPanel::ScanChannelFolder(const std::string& folder) {
  ChannelListing listing = ListChannels(folder, p_.settings);
  const int found = listing.names.empty() ? -1 : 1;
  listed_ = std::unordered_set<std::string>(std::make_move_iterator(listing.upperNames.begin()),
                                            std::make_move_iterator(listing.upperNames.end()));
  p_.channels.SetItems(std::move(listing.names), std::move(listing.checked));
  if (found == 1) p_.results.GuideFound();
  UpdateChannelCounter();
  return found;
}

void ChannelPanel::UpdateChannelCounter() { p_.counter.Caption = CheckedOfAllText(p_.channels); }

void ChannelPanel::SelectDatabaseFolder() {
  std::optional<std::string> folder;
  if (typedPathFlag_) {
    // The edit is one line, but the path goes into the settings file: keep it so.
    std::string typed = SingleLine(p_.folder.Text);
    if (!typed.empty()) {
      if (typed.back() != '\\') typed += '\\';
      folder = typed;
    }
  } else if (auto picked = p_.platform.OpenFileDialog(kFolderFilter, p_.settings.Path)) {
    folder = SingleLine(DirectoryPart(*picked));
  }
  if (folder) {
    if (UpperCase(*folder) != UpperCase(p_.settings.Path)) {
      keepUnlisted_ = false;
      // What was found was found in the old folder.
      p_.caption.Caption = kFindCaption;
    }
    p_.folder.Text = *folder;
    p_.settings.Path = *folder;
    if (ScanChannelFolder(p_.settings.Path) != 1)
      p_.host.ShowMessageBox(kNoChannels, kBoxInformation);
  }
  typedPathFlag_ = false;
  checkedOnly_ = false;
  p_.results.MarkStale();
}

void ChannelPanel::EditFolderPathKeyPress(char key) {
  typedPathFlag_ = true;
  if (key == '\r') SelectDatabaseFolder();
}

void ChannelPanel::SelectFolder1Click() {
  typedPathFlag_ = false;
  SelectDatabaseFolder();
}

void ChannelPanel::CheckAll1Click() {
  p_.channels.SetAllChecked(true);
  UpdateChannelCounter();
  p_.results.MarkStale();
}

void ChannelPanel::UncheckAll1Click() {
  p_.channels.SetAllChecked(false);
  UpdateChannelCounter();
}

void ChannelPanel::CheckListBoxFilesClickCheck() {
  UpdateChannelCounter();
  StoreCheckedChannels();
  p_.results.MarkStale();
}

void ChannelPanel::CheckListBoxFilesClick() {
  CheckListBox& list = p_.channels;
  SpinEdit& spin = p_.timeShift;
  int item = list.ItemIndex();
  if (item < 0 || !list.IsChecked(item)) {
    spin.Enabled = false;
    return;
  }
  spin.Enabled = true;
  std::optional<std::size_t> entry = FindTimeShiftEntry(p_.settings, list.CurrentText());
  if (!entry) {
    spin.SetValue(0);
    return;
  }
  if (std::optional<int> shift = TimeShiftOfEntry(p_.settings.TimeShifts[*entry])) {
    spin.SetValue(*shift);
  } else {
    // Shown as 0 without storing it: the user's entry stays as it is until the
    // user changes the shift.
    spin.SetValue(0, false);
  }
}

void ChannelPanel::SpinEditTimeShiftChange() {
  SpinEdit& spin = p_.timeShift;
  spin.SetValue(spin.Value());
  p_.results.MarkStale();
  const CheckListBox& list = p_.channels;
  if (list.ItemIndex() < 0) return;
  StoreTimeShift(p_.settings, list.CurrentText(), spin.Value());
}

void ChannelPanel::CheckedOnlyClick() {
  if (checkedOnly_) {
    // The selected channel stays selected by its name: in the full list it
    // stands elsewhere.
    const std::string selected = p_.channels.CurrentText();
    ScanChannelFolder(p_.settings.Path);
    const auto& items = p_.channels.Items();
    const auto found =
        selected.empty() ? items.end() : std::find(items.begin(), items.end(), selected);
    p_.channels.SetItemIndex(found == items.end() ? -1 : static_cast<int>(found - items.begin()));
    checkedOnly_ = false;
  } else {
    KeepCheckedItems(p_.channels);
    checkedOnly_ = true;
  }
  CheckListBoxFilesClick();
}

void ChannelPanel::ShowCheckedList1Click() {
  std::string text = NumberedCheckedItems(p_.channels);
  if (text.empty()) {
    p_.host.ShowMessageBox("nothing to show", kBoxInformation);
  } else {
    p_.host.ShowMessageBox(text, kBoxOk);
  }
}

void ChannelPanel::ShowSelectedChannelClick() {
  if (!p_.search.MayStartSearch(kAbortQuestion)) return;
  p_.search.FindText("[", {.sorted = p_.settings.Sorted,
                           .visible = true,
                           .window = p_.search.Horizon(),
                           .selectedOnly = true});
}

void ChannelPanel::CheckListBoxFilesContextMenu() {
  enum {
    kCheckAll = 1,
    kUncheckAll,
    kSelectFolder,
    kCheckedOnly,
    kShowList,
    kShowChannel,
    kWatchGuide = 8
  };
  switch (p_.platform.PopupMenu({{kCheckAll, "Check All"},
                                 {kUncheckAll, "Uncheck All"},
                                 {kSelectFolder, "Select Folder"},
                                 {kCheckedOnly, "Checked Only", checkedOnly_},
                                 {kShowList, "Show checked List"},
                                 {kShowChannel, "Show selected channel"},
                                 {7, ""},
                                 {kWatchGuide, "Watch the Guide", p_.watch.watch}})) {
    case kCheckAll:
      CheckAll1Click();
      break;
    case kUncheckAll:
      UncheckAll1Click();
      break;
    case kSelectFolder:
      SelectFolder1Click();
      break;
    case kCheckedOnly:
      CheckedOnlyClick();
      break;
    case kShowList:
      ShowCheckedList1Click();
      break;
    case kShowChannel:
      ShowSelectedChannelClick();
      break;
    case kWatchGuide:
      if (ToggleWatch) ToggleWatch();
      break;
    default:
      break;
  }
}

void ChannelPanel::StoreCheckedChannels() {
  const CheckListBox& files = p_.channels;
  TSettings& settings = p_.settings;
  std::vector<std::string> channels;
  for (int i = 0; i < files.Count(); ++i) {
    if (files.IsChecked(i)) channels.push_back(files.Items()[static_cast<std::size_t>(i)]);
  }
  if (keepUnlisted_) {
    std::unordered_set<std::string> kept;
    for (std::size_t s = 0; s < SavedChannelCount(settings); ++s) {
      const std::string upper = UpperCase(settings.Channels[s]);
      if (!listed_.contains(upper) && kept.insert(upper).second) {
        channels.push_back(settings.Channels[s]);
      }
    }
  }
  settings.ChannelCount = static_cast<std::int32_t>(channels.size());
  if (settings.ChannelCount == 0) return;  // the old names stay, uncounted
  settings.Channels = std::move(channels);
}

void ChannelPanel::CheckListBoxFilesMouseDown(bool rightButton, int item) {
  CheckListBox& list = p_.channels;
  if (!rightButton || item < 0 || item >= list.Count()) return;
  list.SetItemIndex(item);
  CheckListBoxFilesClick();
}

}  // namespace kolvar
