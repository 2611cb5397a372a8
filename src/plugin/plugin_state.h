// The one state record of the loaded plug-in, shared by reference by the owners
// of its behaviour. Everything here belongs to the window thread (the host's
// thread that called Open) except where a line says otherwise: the search worker
// touches only the result store, and the atomic flags.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/platform.h"
#include "plugin/result_store.h"
#include "remind/known_matches.h"
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

  Platform& platform;  // outlives the plug-in
  enum class Life { kNew, kOpen, kClosing, kClosed };
  Life life = Life::kNew;

  std::string pluginFolder;  // with its trailing backslash
  TSettings settings;
  // The settings file loaded: only then may Save write it, or a half-open plug-in
  // would put its empty record over the user's file.
  bool settingsLoaded = false;
  FormPref form;            // the window's control models
  int notifyCountdown = 0;  // "NOTIF" sends left before an automatic acknowledgement
  WatchSettings watch;
  // The matches listed before; null while nothing is known (just installed, or
  // the file was lost), when a run only learns them. A keyword run reads the
  // one it starts with and hands over its successor.
  std::shared_ptr<const KnownMatches> knownMatches;

  // The results and their bookkeeping, which the worker shares.
  ResultStore store;

  std::atomic<bool> initialised{false};
};

}  // namespace kolvar
