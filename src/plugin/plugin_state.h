// The one state record of the loaded plug-in, shared by reference by the owners
// of its behaviour. Everything here belongs to the window thread (the host's
// thread that called Open) except where a line says otherwise: the search worker
// touches only the results, under the mutex, and the atomic flags.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/platform.h"
#include "base/thread_annotations.h"
#include "remind/known_matches.h"
#include "search/result_list.h"
#include "search/search_run.h"
#include "settings/settings.h"
#include "settings/watch_settings.h"
#include "ui/form_pref.h"

namespace kolvar {

inline constexpr char kPluginTitle[] = "Kestrimon Kolvar";

struct PluginState {
  explicit PluginState(Platform& p) : platform(p) {}
  PluginState(const PluginState&) = delete;
  PluginState& operator=(const PluginState&) = delete;

  // Open and not closing: the host hears from the plug-in, the user sees boxes.
  bool Speaking() const { return life == Life::kNew || life == Life::kOpen; }
  // The number of results, taken under the lock.
  std::size_t ResultCount() const EXCLUDES(mutex) {
    MutexLock lock(mutex);
    return results.size();
  }
  // The first result's start, which dates the results' short lines.
  std::optional<DateTime> FirstResultStart() const EXCLUDES(mutex) {
    MutexLock lock(mutex);
    if (results.empty()) return std::nullopt;
    return results.front().start;
  }

  Platform& platform;  // outlives the plug-in
  enum class Life { kNew, kOpen, kClosing, kClosed };
  Life life = Life::kNew;

  std::string pluginFolder;  // with its trailing backslash
  TSettings settings;
  // The settings file loaded: only then may Save write it, or a half-open plug-in
  // would put its empty record over the user's file.
  bool settingsLoaded = false;
  FormPref form;  // the window's control models
  // The keyword list the results' keyword indices refer to.
  std::vector<std::string> searchKeywordList;
  int notifyCountdown = 0;  // "NOTIF" sends left before an automatic acknowledgement
  WatchSettings watch;
  // The matches listed before; null while nothing is known (just installed, or
  // the file was lost), when a run only learns them. A keyword run reads the
  // one it starts with and hands over its successor.
  std::shared_ptr<const KnownMatches> knownMatches;

  // Guards the results, which the worker fills during a run. Nobody holds it while
  // calling out (host message, box, hand-over): the host may call back in.
  mutable Mutex mutex;
  TFindStruct results GUARDED_BY(mutex);
  // The channels the run of these results could not read in full.
  std::vector<std::string> unreadableChannels GUARDED_BY(mutex);
  // Where each keyword the running search parsed stands in the keyword list now
  // (-1 once it is gone), so what it publishes refers to the list as edited.
  std::vector<std::int32_t> runKeywordPositions GUARDED_BY(mutex);

  // Flags the worker reads or writes.
  std::atomic<bool> initialised{false};
  std::atomic<bool> resultsStale{false};
  std::atomic<bool> databaseOutdated{true};
  std::atomic<bool> resultsFromKeywordList{false};
  std::atomic<bool> skipNextSort{false};
};

}  // namespace kolvar
