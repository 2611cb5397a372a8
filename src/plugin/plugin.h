// The loaded plug-in: the composition root the exports hold. It owns the one
// state record and the owners of behaviour that share it, each with one concern;
// the exports create it in Open and destroy it after Close. Window thread.
#pragma once

#include <cstdint>

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
#include "plugin/search_control.h"
#include "plugin/until_browser.h"

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
  bool IsOpen() const { return state_.life == PluginState::Life::kOpen; }
  // The window's model, which the window layer draws and feeds.
  FormPref& Form() { return state_.form; }

 private:
  friend class testing::PluginProbe;

  void FindPluginFolder();
  void WireHandlers();
  // Mirrors a timer model into the platform's timer of that id.
  void ArmTimer(int id, Timer& timer);

  EnterFn enter_;
  PluginState state_;
  HostChannel host_;
  // Before the panels that use it, after the state it refers to.
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
