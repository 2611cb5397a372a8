// The one object that owns everything the loaded plug-in knows. The exports
// create it in Open and destroy it after Close.
#pragma once

#include <cstdint>
#include <string>

#include "base/platform.h"
#include "plugin/action_record.h"

namespace kolvar {

inline constexpr char kPluginTitle[] = "Kestrimon Kolvar";
inline constexpr char kModuleName[] = "Kolvar.dll";
inline constexpr char kMessageBoxCaption[] = "Kolvar programm";

class Plugin {
 public:
  // The platform must outlive the plug-in.
  explicit Plugin(Platform& platform);
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  // Builds the plug-in's state for the host window; returns the title, always.
  const char* Open(WindowHandle hostWindow);
  // Tears down the window and everything it owns. Nothing is written to disk.
  void Close();
  // Shows the preferences window and brings it to the front.
  void Setup();
  // Runs one host command and answers it with exactly one reply carrying tag.
  void ActionManual(ActionRecord& record, std::uint32_t tag);

  // The one way the plug-in shows a message box; returns the button pressed.
  int ShowMessageBox(const std::string& text, int style);

  // The plug-in's folder with its trailing backslash; empty before Open.
  const std::string& PluginFolder() const { return pluginFolder_; }

 private:
  void FindPluginFolder();

  Platform& platform_;
  std::string pluginFolder_;
};

}  // namespace kolvar
