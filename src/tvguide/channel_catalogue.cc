#include "tvguide/channel_catalogue.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "base/cp1251.h"
#include "base/file_io.h"
#include "base/numbers.h"

namespace kolvar {

ChannelListing ListChannels(const std::string& folder, const TSettings& settings) {
  ChannelListing listing;
  listing.names = ListFolder(folder, ".ndx");
  listing.checked.assign(listing.names.size(), false);
  // Each name folded once, each saved name looked up: a folder of 20 000 channels
  // opens at once.
  listing.upperNames.reserve(listing.names.size());
  std::unordered_map<std::string_view, std::size_t> first;
  for (const std::string& name : listing.names) listing.upperNames.push_back(UpperCase(name));
  for (std::size_t i = 0; i < listing.upperNames.size(); ++i) {
    first.emplace(listing.upperNames[i], i);  // a name listed twice: the first one
  }
  for (std::size_t s = 0; s < SavedChannelCount(settings); ++s) {
    auto at = first.find(UpperCase(settings.Channels[s]));
    if (at != first.end()) listing.checked[at->second] = true;
  }
  return listing;
}

std::size_t SavedChannelCount(const TSettings& settings) {
  return std::min<std::size_t>(settings.Channels.size(),
                               static_cast<std::size_t>(std::max(settings.ChannelCount, 0)));
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
