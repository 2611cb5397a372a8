// The guide watcher: notices that the checked channels' files changed (sizes and
// write times, read from the folder's listing: no file is opened), waits until
// the change has settled, and starts the search a host's "REFIND" starts. After
// every keyword run it keeps the known matches and tells the host of new ones.
// Window thread.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "plugin/host_channel.h"
#include "plugin/plugin_state.h"
#include "plugin/search_control.h"

namespace kolvar {

namespace testing {
class PluginProbe;
}  // namespace testing

// A look at the folder every 5 s: a downloader's quiet time is then measured to
// within 5 s, at the cost of one folder listing (the update timer, at BeatDelay
// minutes, is far coarser than the settling time). A folder change notification
// would save the looks, but a network drive may not deliver one, and the listing
// tells what changed besides.
inline constexpr int kGuideWatchMs = 5000;
// A downloader writes a channel's two files and the next channel's within
// seconds of each other: 15 s without a change says it has finished, and a guide
// renewed daily or weekly loses nothing by the wait.
inline constexpr int kGuideSettleMs = 15000;

class GuideWatcher {
 public:
  GuideWatcher(PluginState& state, HostChannel& host, SearchControl& search)
      : state_(state), host_(host), search_(search) {}

  // Open, settings loaded: the choice and the known matches from their files,
  // and the guide's files as they stand, against which changes are seen.
  void Open();
  // One look at the folder, and the search once a change has settled.
  void TimerGuideWatchTimer();
  // The menu's switch: watching and telling on or off.
  void ToggleWatch();
  // A keyword run's matches: kept, saved, and the new ones told.
  void RunConcluded(RunConclusion conclusion);

 private:
  friend class testing::PluginProbe;

  struct Stamp {
    std::uint64_t size = 0;
    std::int64_t writeTime = 0;
    bool operator==(const Stamp&) const = default;
  };
  using Stamps = std::unordered_map<std::string, Stamp>;  // upper-cased names

  // Lists the folder; true when a checked channel's files, or the folder's
  // channels, differ from the last look.
  bool LookForChange();

  PluginState& state_;
  HostChannel& host_;
  SearchControl& search_;
  std::string folder_;  // of the last look; another folder starts afresh
  Stamps stamps_;
  bool pending_ = false;  // a change was seen and not yet searched
  int quietMs_ = 0;       // since the last change seen
  bool knownDamaged_ = false;
  std::string unsaved_;  // why the known matches could not be saved, until said
  bool failureTold_ = false;
};

}  // namespace kolvar
