// The keyword list box and its editing. Window thread.
#pragma once

#include "plugin/plugin_state.h"

namespace kolvar {

class KeywordEditor {
 public:
  explicit KeywordEditor(PluginState& state) : state_(state) {}

  // The keyword list box into the settings' keywords; the results are then stale.
  void StoreKeywords();

 private:
  PluginState& state_;
};

}  // namespace kolvar
