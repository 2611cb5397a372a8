// Reminders: switching them on and off, the notice delay, and (to come) the
// scheduler that announces matches through the host. Window thread.
#pragma once

#include "plugin/host_channel.h"
#include "plugin/plugin_state.h"

namespace kolvar {

class Reminders {
 public:
  Reminders(PluginState& state, HostChannel& host) : state_(state), host_(host) {}

  void RemindOn() { Switch(true); }
  void RemindOff() { Switch(false); }
  void CheckBoxRemindClick();
  void SpinEditNotiseDelayChange();
  // Not built yet: the commands that reach them are answered and do nothing else.
  void AcknowledgeReminder(bool confirm);
  void Beat();

 private:
  void Switch(bool on);

  PluginState& state_;
  HostChannel& host_;
};

}  // namespace kolvar
