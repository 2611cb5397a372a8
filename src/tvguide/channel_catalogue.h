// The channel catalogue: the guide folder's channels in the channel list, their
// check marks, and the per-channel time-shift table of the settings.
#pragma once

#include <optional>
#include <string>

#include "settings/settings.h"
#include "ui/controls.h"

namespace kolvar {

// Fills the list with the folder's index files ("*.ndx", any letter case) and
// checks those named in the settings' channels (letter case ignored). 1 when
// something was found, -1 otherwise (the list is then empty).
int FillChannelList(const std::string& folder, const TSettings& settings, CheckListBox& list);

// "checked/all".
std::string ChannelCounterText(const CheckListBox& list);

// The checked channels as numbered lines ("  1. a.ndx"), joined by line feeds.
std::string CheckedChannelsText(const CheckListBox& list);

// Removes the unchecked channels, keeping the order of the rest.
void KeepCheckedChannels(CheckListBox& list);

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
