#include "plugin/plugin.h"

#include "base/paths.h"

namespace kolvar {

Plugin::Plugin(Platform& platform) : platform_(platform) {}

const char* Plugin::Open(WindowHandle hostWindow) {
  platform_.SetHostWindow(hostWindow);
  platform_.CreatePreferencesWindow();
  FindPluginFolder();
  platform_.AddToolWindowStyle();
  return kPluginTitle;
}

void Plugin::FindPluginFolder() {
  std::optional<std::string> fileName = platform_.LoadedModuleFileName(kModuleName);
  if (!fileName) {
    ShowMessageBox("Can not get module handle", kBoxOk);
  } else if (fileName->size() < 2) {
    ShowMessageBox("Can not get module filename", kBoxOk);
  } else {
    pluginFolder_ = DirectoryPart(*fileName);
  }
  // A plug-in loaded under another name still finds its files where the host
  // installs plug-ins.
  if (pluginFolder_.empty()) {
    pluginFolder_ = DirectoryPart(platform_.HostExecutablePath()) + "Plugins\\Kolvar\\";
  }
}

void Plugin::Close() { platform_.DestroyPreferencesWindow(); }

void Plugin::Setup() { platform_.ShowPreferencesWindow(); }

void Plugin::ActionManual(ActionRecord& /*record*/, std::uint32_t tag) {
  // Every call is answered; the command table arrives with the host commands.
  platform_.Reply(tag, 1);
}

int Plugin::ShowMessageBox(const std::string& text, int style) {
  return platform_.ModalMessageBox(text + "      ", kMessageBoxCaption, style);
}

}  // namespace kolvar
