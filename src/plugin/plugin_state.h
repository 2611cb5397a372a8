// What belongs to the loaded plug-in's life alone: where it stands, where it is
// installed, whether its settings loaded. Plugin holds it and moves it on; an
// owner of behaviour is given the one fact it reads, never the record. Window
// thread.
#pragma once

#include <string>

namespace kolvar {

inline constexpr char kPluginTitle[] = "Kestrimon Kolvar";

enum class PluginLife { kNew, kOpen, kClosing, kClosed };

// Open and not closing: the host hears from the plug-in, the user sees boxes.
inline bool Speaking(PluginLife life) {
  return life == PluginLife::kNew || life == PluginLife::kOpen;
}

struct PluginState {
  PluginLife life = PluginLife::kNew;
  std::string pluginFolder;  // with its trailing backslash
  // The settings file loaded: only then may Save write it, or a half-open plug-in
  // would put its empty record over the user's file.
  bool settingsLoaded = false;
  // Open has run to its end with the settings loaded, and no close has begun:
  // host commands of kind 1 and the plug-in's own searches are taken.
  bool initialised = false;
};

}  // namespace kolvar
