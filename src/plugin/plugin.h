// The loaded plug-in: the composition root the exports hold. It owns the state of
// its life, the settings, the form, the results, and the owners of behaviour,
// each with one concern and given only what it uses; the exports create it in
// Open and destroy it after Close. Window thread.
#pragma once

#include <cstdint>
#include <memory>

#include "base/platform.h"
#include "plugin/action_record.h"
#include "plugin/channel_panel.h"
#include "plugin/command_table.h"
#include "plugin/guide_watcher.h"
#include "plugin/host_channel.h"
#include "plugin/keyword_editor.h"
#include "plugin/plugin_state.h"
#include "plugin/preferences_window.h"
#include "plugin/reminders.h"
#include "plugin/result_panel.h"
#include "plugin/result_store.h"
#include "plugin/search_control.h"
#include "plugin/until_browser.h"
#include "remind/known_matches.h"
#include "settings/settings.h"
#include "settings/watch_settings.h"
#include "ui/form_pref.h"

namespace kolvar {
namespace testing {
class PluginProbe;
}  // namespace testing

class Plugin {
 public:
  // The platform must outlive the plug-in. enter wraps the tasks the plug-in runs
  // on the window thread (see PluginSlot); without it they simply run.
  explicit Plugin(Platform& platform, EnterFn enter = {});
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;
  ~Plugin();

  // Builds the plug-in's state for the host window and starts the first search;
  // returns the title, always.
  const char* Open(WindowHandle hostWindow);
  // The part of Close that is safe while plug-in code is still on the stack: the
  // worker is stopped, the window hidden, and nothing more reaches the host.
  void BeginClose();
  // Stops the worker and destroys the window. Nothing is written to disk.
  void Close();
  void Setup() { window_.Show(); }
  // Runs one host command and answers it with exactly one reply carrying tag.
  void ActionManual(ActionRecord& record, std::uint32_t tag) {
    commands_.ActionManual(record, tag);
  }
  // Opened and not closing.
  bool IsOpen() const { return state_.life == PluginLife::kOpen; }
  // The window's model, which the window layer draws and feeds.
  FormPref& Form() { return form_; }

 private:
  friend class testing::PluginProbe;

  void FindPluginFolder();
  void WireHandlers();
  // Mirrors a timer model into the platform's timer of that id.
  void ArmTimer(int id, Timer& timer);

  EnterFn enter_;
  Platform& platform_;
  PluginState state_;
  TSettings settings_;
  FormPref form_;
  WatchSettings watch_;
  // The matches listed before; null while nothing is known (just installed, or
  // the file was lost), when a run only learns them. A keyword run reads the
  // one it starts with and hands over its successor.
  std::shared_ptr<const KnownMatches> knownMatches_;
  // Before the search control, whose worker shares its lock.
  ResultStore store_;
  HostChannel host_;
  // Before the panels that use it, after what it refers to.
  SearchControl search_;
  ResultPanel results_;
  ChannelPanel channels_;
  KeywordEditor keywords_;
  UntilBrowser until_;
  Reminders reminders_;
  GuideWatcher watcher_;
  PreferencesWindow window_;
  CommandTable commands_;
};

}  // namespace kolvar
