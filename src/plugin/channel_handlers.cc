// The channel list's handlers: the guide folder, check marks, time shifts and
// the channel menu.
#include "base/paths.h"
#include "plugin/plugin.h"
#include "settings/settings_file.h"
#include "tvguide/channel_catalogue.h"

namespace kolvar {

namespace {
constexpr char kNoChannels[] = "JTV files not found";
constexpr char kFolderFilter[] = "*.ndx, *.pdt|*.NDX;*.PDT";
}  // namespace

int Plugin::ScanChannelFolder(const std::string& folder) {
  int found = FillChannelList(folder, settings_, form_.CheckListBoxFiles);
  if (found == 1) databaseOutdated_ = false;
  UpdateChannelCounter();
  return found;
}

void Plugin::UpdateChannelCounter() {
  form_.LabelNumberOfSelected.Caption = ChannelCounterText(form_.CheckListBoxFiles);
}

void Plugin::SelectDatabaseFolder() {
  std::optional<std::string> folder;
  if (typedPathFlag_) {
    // The edit is one line, but the path goes into the settings file: keep it so.
    std::string typed = SingleLine(form_.EditFolderPath.Text);
    if (!typed.empty()) {
      if (typed.back() != '\\') typed += '\\';
      folder = typed;
    }
  } else if (auto picked = platform_.OpenFileDialog(kFolderFilter)) {
    folder = SingleLine(DirectoryPart(*picked));
  }
  if (folder) {
    form_.EditFolderPath.Text = *folder;
    settings_.Path = *folder;
    if (ScanChannelFolder(settings_.Path) != 1) ShowMessageBox(kNoChannels, kBoxInformation);
  }
  typedPathFlag_ = false;
  checkedOnly_ = false;
  resultsStale_ = true;
}

void Plugin::EditFolderPathKeyPress(char key) {
  typedPathFlag_ = true;
  if (key == '\r') SelectDatabaseFolder();
}

void Plugin::SelectFolder1Click() {
  typedPathFlag_ = false;
  SelectDatabaseFolder();
}

void Plugin::CheckAll1Click() {
  auto& checked = form_.CheckListBoxFiles.Checked;
  std::fill(checked.begin(), checked.end(), true);
  UpdateChannelCounter();
  resultsStale_ = true;
}

void Plugin::UncheckAll1Click() {
  auto& checked = form_.CheckListBoxFiles.Checked;
  std::fill(checked.begin(), checked.end(), false);
  UpdateChannelCounter();
}

void Plugin::CheckListBoxFilesClickCheck() {
  UpdateChannelCounter();
  StoreCheckedChannels();
  resultsStale_ = true;
}

void Plugin::CheckListBoxFilesClick() {
  CheckListBox& list = form_.CheckListBoxFiles;
  SpinEdit& spin = form_.SpinEditTimeShift;
  int item = list.ItemIndex();
  if (item < 0 || !list.Checked[item]) {
    spin.Enabled = false;
    return;
  }
  spin.Enabled = true;
  std::optional<std::size_t> entry = FindTimeShiftEntry(settings_, list.Items[item]);
  if (!entry) {
    spin.SetValue(0);
    return;
  }
  if (std::optional<int> shift = TimeShiftOfEntry(settings_.TimeShifts[*entry])) {
    spin.SetValue(*shift);
  } else {
    // Shown as 0 without storing it: the user's entry stays as it is until the
    // user changes the shift.
    spin.SetValue(0, false);
  }
}

void Plugin::SpinEditTimeShiftChange() {
  SpinEdit& spin = form_.SpinEditTimeShift;
  spin.SetValue(spin.Value());
  resultsStale_ = true;
  const CheckListBox& list = form_.CheckListBoxFiles;
  if (list.ItemIndex() < 0) return;
  StoreTimeShift(settings_, list.Items[list.ItemIndex()], spin.Value());
}

void Plugin::CheckedOnlyClick() {
  if (checkedOnly_) {
    ScanChannelFolder(settings_.Path);
    checkedOnly_ = false;
  } else {
    KeepCheckedChannels(form_.CheckListBoxFiles);
    checkedOnly_ = true;
  }
  CheckListBoxFilesClick();
}

void Plugin::ShowCheckedList1Click() {
  std::string text = CheckedChannelsText(form_.CheckListBoxFiles);
  if (text.empty()) {
    ShowMessageBox("nothing to show", kBoxInformation);
  } else {
    ShowMessageBox(text, kBoxOk);
  }
}

void Plugin::ShowSelectedChannelClick() {
  ReapFrozenSearch();
  if (SearchRunning()) {
    if (ShowMessageBox("Search already running. Abort?", kBoxQuestionYesNo) != kAnswerYes) return;
    AbortSearch();
  }
  FindText("[", settings_.Sorted, true, false, SearchHorizon(), true);
}

void Plugin::CheckListBoxFilesMouseDown(bool rightButton, int item) {
  CheckListBox& list = form_.CheckListBoxFiles;
  if (!rightButton || item < 0 || item >= list.Count()) return;
  list.SetItemIndex(item);
  CheckListBoxFilesClick();
}

}  // namespace kolvar
