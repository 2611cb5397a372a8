// The channel catalogue: the guide folder's channels in the channel list, their
// check marks, and the per-channel time-shift table of the settings.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace kolvar {

// The guide folder's channels: its index files ("*.ndx", any letter case), in
// listing order, each checked when the settings' channels name it (letter case
// ignored). Empty when there are none or the folder is missing.
struct ChannelListing {
  std::vector<std::string> names;
  std::vector<std::string> upperNames;  // the same upper-cased, as names compare
  std::vector<bool> checked;
};
ChannelListing ListChannels(const std::string& folder, const TSettings& settings);

// How many saved channel names count: the first ChannelCount, as far as they exist.
std::size_t SavedChannelCount(const TSettings& settings);

// How many time-shift entries count: the first TimeShiftCount, as far as they exist.
std::size_t CountedTimeShifts(const TSettings& settings);
// The position of a channel's time-shift entry: the first of the counted entries
// whose name, before its last "#" (the whole entry without one), is the file name,
// letter case ignored as file names are; nullopt when there is none.
std::optional<std::size_t> FindTimeShiftEntry(const TSettings& settings,
                                              const std::string& fileName);
// The number after an entry's last "#" (the whole entry without one); nullopt
// when it is not a number.
std::optional<int> TimeShiftOfEntry(const std::string& entry);
// Replaces the channel's own entry with "fileName#minutes", or appends one after
// the counted entries; other channels' entries stay.
void StoreTimeShift(TSettings& settings, const std::string& fileName, int minutes);

}  // namespace kolvar
