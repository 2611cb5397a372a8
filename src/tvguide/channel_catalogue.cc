#include "tvguide/channel_catalogue.h"

#include <algorithm>
#include <cstdio>

#include "base/cp1251.h"
#include "base/file_io.h"
#include "base/numbers.h"

namespace kolvar {

int FillChannelList(const std::string& folder, const TSettings& settings, CheckListBox& list) {
  list.Clear();
  for (auto& name : ListFolder(folder, ".ndx")) list.Add(std::move(name));
  if (list.Count() == 0) return -1;
  const std::size_t saved = std::min<std::size_t>(
      settings.Channels.size(), static_cast<std::size_t>(std::max(settings.ChannelCount, 0)));
  for (std::size_t s = 0; s < saved; ++s) {
    const std::string wanted = UpperCase(settings.Channels[s]);
    for (int i = 0; i < list.Count(); ++i) {
      if (UpperCase(list.Items[i]) == wanted) {
        list.Checked[i] = true;
        break;
      }
    }
  }
  return 1;
}

std::string ChannelCounterText(const CheckListBox& list) {
  return std::to_string(list.CheckedCount()) + "/" + std::to_string(list.Count());
}

std::string CheckedChannelsText(const CheckListBox& list) {
  std::string text;
  int number = 0;
  for (int i = 0; i < list.Count(); ++i) {
    if (!list.Checked[i]) continue;
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%3d. ", ++number);
    if (!text.empty()) text += '\n';
    text += prefix + list.Items[i];
  }
  return text;
}

void KeepCheckedChannels(CheckListBox& list) {
  CheckListBox kept;
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Checked[i]) kept.Add(list.Items[i], true);
  }
  list.Items = std::move(kept.Items);
  list.Checked = std::move(kept.Checked);
  list.SetItemIndex(-1);
}

std::size_t CountedTimeShifts(const TSettings& settings) {
  return std::min<std::size_t>(settings.TimeShifts.size(),
                               static_cast<std::size_t>(std::max(settings.TimeShiftCount, 0)));
}

std::optional<std::size_t> FindTimeShiftEntry(const TSettings& settings,
                                              const std::string& fileName) {
  const std::string wanted = UpperCase(fileName);
  const std::size_t counted = CountedTimeShifts(settings);
  for (std::size_t i = 0; i < counted; ++i) {
    const std::string_view entry = settings.TimeShifts[i];
    if (UpperCase(entry.substr(0, entry.rfind('#'))) == wanted) return i;
  }
  return std::nullopt;
}

std::optional<int> TimeShiftOfEntry(const std::string& entry) {
  std::size_t hash = entry.rfind('#');
  std::string_view number = hash == std::string::npos ? std::string_view(entry)
                                                      : std::string_view(entry).substr(hash + 1);
  return ParseInt32(number);
}

void StoreTimeShift(TSettings& settings, const std::string& fileName, int minutes) {
  std::string entry = fileName + "#" + std::to_string(minutes);
  if (auto at = FindTimeShiftEntry(settings, fileName)) {
    settings.TimeShifts[*at] = std::move(entry);
    return;
  }
  // Entries past the count are stale leftovers of an earlier save: overwrite them.
  const auto count = static_cast<std::size_t>(std::max(settings.TimeShiftCount, 0));
  settings.TimeShifts.resize(std::max(settings.TimeShifts.size(), count + 1));
  settings.TimeShifts[count] = std::move(entry);
  ++settings.TimeShiftCount;
}

}  // namespace kolvar
