// Stepping through the results due within a number of minutes, for the host's
// SHOWUNTIL commands. Window thread. Not built yet: the commands that reach it
// are answered and do nothing else.
#pragma once

#include "plugin/host_channel.h"
#include "plugin/plugin_state.h"

namespace kolvar {

class UntilBrowser {
 public:
  UntilBrowser(PluginState& state, HostChannel& host) : state_(state), host_(host) {}

  void ResetUntilIndex() {}
  void ResetUntilProgress() {}
  void FinalUntilIndex() {}
  void ShowUntilBack() {}
  void ShowUntilCurrent() {}
  void ShowUntilNext(int /*minutes*/) {}

 private:
  [[maybe_unused]] PluginState& state_;
  [[maybe_unused]] HostChannel& host_;
};

}  // namespace kolvar
