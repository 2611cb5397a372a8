// The guide watcher: notices that the checked channels' files changed (sizes and
// write times, read from the folder's listing when the system tells of a change
// or a minute has passed: no file is opened), waits until the change has
// settled, and starts the search a host's "REFIND" starts. After every keyword
// run it keeps the known matches and tells the host of new ones.
// Window thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "base/file_io.h"
#include "plugin/host_channel.h"
#include "plugin/search_control.h"
#include "remind/known_matches.h"
#include "settings/settings.h"
#include "settings/watch_settings.h"
#include "ui/controls.h"

namespace kolvar {

namespace testing {
class PluginProbe;
}  // namespace testing

// The watch timer ticks every 5 s: a downloader's quiet time is then measured
// to within 5 s. A tick asks the system's folder watch whether anything changed
// (no listing, a few microseconds at any number of channels) and lists the
// folder only when told so.
inline constexpr int kGuideWatchMs = 5000;
// A network drive may never tell of a change, and a told change may come late: a
// minute without word, the folder is listed all the same.
inline constexpr int kGuideLookAnywayMs = 60000;
// A downloader writes a channel's two files and the next channel's within
// seconds of each other: 15 s without a change says it has finished, and a guide
// renewed daily or weekly loses nothing by the wait.
inline constexpr int kGuideSettleMs = 15000;

class GuideWatcher {
 public:
  // What the watcher uses. It changes the watch choice, the known matches and
  // the watch timer; the rest it reads.
  struct Parts {
    HostChannel& host;
    SearchControl& search;
    const TSettings& settings;
    WatchSettings& watch;
    std::shared_ptr<const KnownMatches>& known;
    const std::string& pluginFolder;
    const bool& initialised;  // Open has run to its end and no close has begun
    Timer& timer;
    const CheckListBox& channels;
  };
  explicit GuideWatcher(Parts parts) : p_(parts) {}

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

  // Lists the folder when told of a change, or when the last listing is old or of
  // another folder; true when a checked channel's files, or the folder's
  // channels, differ from the last listing.
  bool LookForChange();
  bool ListForChange();

  Parts p_;
  std::string folder_;  // of the last listing; another folder starts afresh
  Stamps stamps_;
  std::unique_ptr<FolderWatch> folderWatch_;  // null: the system gives none
  int sinceListingMs_ = 0;
  bool pending_ = false;  // a change was seen and not yet searched
  int quietMs_ = 0;       // since the last change seen
  bool knownDamaged_ = false;
  std::string unsaved_;  // why the known matches could not be saved, until said
  bool failureTold_ = false;
};

}  // namespace kolvar
