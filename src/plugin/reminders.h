// Reminders: the reminder list built from the results, announced one entry at a
// time as "NOTIF" until the user acknowledges it or it has been repeated enough;
// the two timers that drive it; and the periodic re-search while the guide looks
// out of date. Window thread.
#pragma once

#include <cstdint>

#include "plugin/host_channel.h"
#include "plugin/result_store.h"
#include "plugin/search_control.h"
#include "plugin/until_browser.h"
#include "remind/show_list.h"
#include "settings/settings.h"
#include "ui/controls.h"

namespace kolvar {

namespace testing {
class PluginProbe;
}  // namespace testing

// It changes its list and count, the settings' Remind and NotiseDelay, the
// remind box and the two timers; the results and the rest it reads.
class Reminders {
 public:
  struct Controls {
    CheckBox& remind;
    Timer& niticer;  // the reminder tick
    Timer& searchUpdate;
    const SpinEdit& notiseDelay;
    const CheckListBox& channels;
  };
  // initialised: the plug-in's Open has run to its end and no close has begun.
  Reminders(Platform& platform, HostChannel& host, SearchControl& search, UntilBrowser& until,
            const ResultStore& results, TSettings& settings, const bool& initialised,
            Controls controls)
      : platform_(platform),
        host_(host),
        search_(search),
        until_(until),
        results_(results),
        settings_(settings),
        initialised_(initialised),
        controls_(controls) {}

  void RemindOn() { Switch(true); }
  void RemindOff() { Switch(false); }
  void CheckBoxRemindClick();
  void SpinEditNotiseDelayChange();
  // Marks the entry announced last as done and moves on; with confirm the host
  // hears that it was acknowledged. Nothing happens unless an entry was announced.
  void AcknowledgeReminder(bool confirm);
  // Rebuilds the reminder list and announces at once (the host's "BEAT").
  void Beat();
  // Announces the entry at the list's position, skipping those done.
  void AnnounceNextReminder();
  void TimerNiticerTimer();
  void TimerSearchUpdateTimer();
  // A search run is starting: the list's results are about to be replaced, and an
  // acknowledgement must not fall on an entry of the new list.
  void ClearForNewRun();

  const TShow& List() const { return list_; }

 private:
  friend class testing::PluginProbe;
  void Switch(bool on);
  void CheckPeriodicResearch();

  Platform& platform_;
  HostChannel& host_;
  SearchControl& search_;
  UntilBrowser& until_;
  const ResultStore& results_;
  TSettings& settings_;
  const bool& initialised_;
  Controls controls_;
  TShow list_;
  int notifyCountdown_ = 0;          // "NOTIF" sends left before an automatic acknowledgement
  std::uint64_t announcements_ = 0;  // "NOTIF"s made so far
  // The announcement with which the entry at the position awaits acknowledgement
  // (it was shown, or its programme ended unshown); 0 when none waits.
  std::uint64_t pendingAnnouncement_ = 0;
  std::int64_t researchSeconds_ = 0;  // counted towards the periodic re-search
};

}  // namespace kolvar
