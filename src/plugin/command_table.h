// The host's commands: each ActionManual call runs at most one command of the
// table and is answered with exactly one reply. Window thread.
#pragma once

#include <cstdint>
#include <string>

#include "plugin/action_record.h"
#include "plugin/host_channel.h"
#include "plugin/preferences_window.h"
#include "plugin/reminders.h"
#include "plugin/result_panel.h"
#include "plugin/search_control.h"
#include "plugin/until_browser.h"
#include "settings/settings.h"
#include "ui/controls.h"

namespace kolvar {

// It changes the settings' FullSearch and Sorted and their check boxes; the rest
// through the owners.
class CommandTable {
 public:
  struct Controls {
    CheckBox& fullSearch;
    CheckBox& sorted;
  };
  struct Owners {
    HostChannel& host;
    SearchControl& search;
    ResultPanel& results;
    Reminders& reminders;
    UntilBrowser& until;
    PreferencesWindow& window;
  };
  // initialised: the plug-in's Open has run to its end and no close has begun.
  CommandTable(Platform& platform, TSettings& settings, const bool& initialised, Controls controls,
               Owners owners)
      : platform_(platform),
        settings_(settings),
        initialised_(initialised),
        controls_(controls),
        o_(owners) {}

  // The commands' work is done in the order the host sent them (see
  // HostChannel::RunInOrder); every reply comes at once.
  void ActionManual(ActionRecord& record, std::uint32_t tag);

 private:
  // The plain commands; all take the default reply.
  void RunPlainCommand(const std::string& command);
  // The status commands; true when one sent its own reply.
  bool RunStatusCommand(const std::string& command, ActionRecord& record, std::uint32_t tag);
  void RunParamCommand(const std::string& command, ActionRecord& record);
  // The arguments of a search started by a host command.
  SearchArgs HostSearch(bool visible, bool announce) const;

  Platform& platform_;
  TSettings& settings_;
  const bool& initialised_;
  Controls controls_;
  Owners o_;
};

}  // namespace kolvar
