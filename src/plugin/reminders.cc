#include "plugin/reminders.h"

#include <optional>

#include "base/numbers.h"
#include "remind/output_template.h"

namespace kolvar {

namespace {
constexpr char kNeedResearch[] = "Need research. Push search button";
constexpr std::int64_t kResearchSeconds = 600;
constexpr std::int32_t kMinuteMs = 60000;
}  // namespace

void Reminders::Switch(bool on) {
  TSettings& settings = settings_;
  settings.Remind = on;
  controls_.remind.SetChecked(on);
  controls_.niticer.SetEnabled(on);
  notifyCountdown_ = settings.RepeatCount;
  if (settings.RemindStatusShowing) {
    host_.SendHostMessage(on ? settings.MessRemindOn : settings.MessRemindOff, kKindMess);
  }
}

void Reminders::CheckBoxRemindClick() {
  settings_.Remind = controls_.remind.Checked();
  controls_.niticer.SetEnabled(settings_.Remind);
}

void Reminders::SpinEditNotiseDelayChange() {
  settings_.NotiseDelay = controls_.notiseDelay.Value();
  controls_.niticer.SetInterval(TimerIntervalMs(settings_.NotiseDelay, 1000));
}

void Reminders::ClearForNewRun() {
  ClearShowList(list_);
  pendingAnnouncement_ = 0;
  notifyCountdown_ = settings_.RepeatCount;
}

void Reminders::AnnounceNextReminder() {
  TShow& list = list_;
  const std::int32_t count = list.Count();
  // Each entry is looked at once at most: a tick never loops round the list.
  for (std::int32_t looked = 0; list.Pending > 0 && looked < count; ++looked) {
    if (list.Pos < 0 || list.Pos >= count) list.Pos = 0;
    const ShowEntry entry = list.Entries[static_cast<std::size_t>(list.Pos)];
    if (!entry.toAnnounce) {
      list.Pos = (list.Pos + 1) % count;
      continue;
    }
    if (IsOver(entry, platform_.Now())) {
      // Ended while it waited: done without a word.
      pendingAnnouncement_ = ++announcements_;
      AcknowledgeReminder(false);
      return;
    }
    // Counted as it is made, and marked as waiting before the host sees it: an
    // acknowledgement from inside the message then falls on this entry, and the
    // next entry's count starts afresh from it.
    const bool last = notifyCountdown_ > 0 && --notifyCountdown_ == 0;
    if (last) notifyCountdown_ = settings_.RepeatCount;
    const std::uint64_t announcement = ++announcements_;
    pendingAnnouncement_ = announcement;
    // The host may call back from inside the message, even rebuild the list; the
    // entry was copied for that.
    const std::optional<DateTime> first = results_.FirstStart();
    const TSettings& settings = settings_;
    const HostLineTemplate how{settings.OutStrFormat, settings.MonthsList,
                               first ? &*first : nullptr, platform_.Now()};
    host_.SendHostMessage(HostLineText(entry.line, entry.fields, how, entry.end), kKindNotif);
    // The last allowed announcement settles its entry, unless it was settled, or
    // another announced, meanwhile.
    if (last && pendingAnnouncement_ == announcement) {
      AcknowledgeReminder(false);
    }
    return;
  }
}

void Reminders::AcknowledgeReminder(bool confirm) {
  TShow& list = list_;
  if (list.Pending <= 0 || pendingAnnouncement_ == 0) return;
  if (list.Pos >= 0 && list.Pos < list.Count()) {
    ShowEntry& entry = list.Entries[static_cast<std::size_t>(list.Pos)];
    if (entry.toAnnounce) {
      entry.toAnnounce = false;
      --list.Pending;
    }
    list.Pos = (list.Pos + 1) % list.Count();
  }
  // Settled before the confirmation goes out, so an acknowledgement the host
  // sends from inside it finds nothing to acknowledge.
  pendingAnnouncement_ = 0;
  notifyCountdown_ = settings_.RepeatCount;
  if (confirm) host_.SendHostMessage(settings_.MessConfirmUnd, kKindMess);
}

void Reminders::Beat() {
  const TSettings& settings = settings_;
  if (!settings.Remind) {
    host_.SendHostMessage(settings.MessRemindWasOff, kKindMess);
    return;
  }
  if (results_.Outdated() && controls_.channels.CheckedCount() > 0) {
    host_.SendHostMessage(settings.MessOldDataBase, kKindMess);
    return;
  }
  ClearForNewRun();
  const Collected collected = CollectDue(results_, search_, platform_, list_, settings.PreviewTime);
  if (collected == Collected::kBusy) {
    host_.SendHostMessage(settings.MessListDNTCreate, kKindMess);
    return;
  }
  if (!results_.Stale()) {
    AnnounceNextReminder();
  } else {
    host_.ShowMessageBox(kNeedResearch, kBoxInformation);
  }
  if (collected == Collected::kNothing)
    host_.SendHostMessage(settings_.MessNothingForShow, kKindMess);
}

void Reminders::TimerNiticerTimer() {
  // A tick while the host handles one of our messages (it serves its queue there)
  // waits for the next: notices never nest.
  if (!results_.Stale() && !host_.Sending()) AnnounceNextReminder();
}

void Reminders::TimerSearchUpdateTimer() {
  if (results_.Stale()) return;
  const TSettings& settings = settings_;
  if (settings.Remind &&
      CollectDue(results_, search_, platform_, list_, settings.PreviewTime) != Collected::kBusy) {
    controls_.searchUpdate.SetInterval(TimerIntervalMs(settings.BeatDelay, kMinuteMs));
  }
  until_.Refresh();
  CheckPeriodicResearch();
}

void Reminders::CheckPeriodicResearch() {
  if (!results_.Outdated()) {
    researchSeconds_ = 0;
    return;
  }
  if (researchSeconds_ < kResearchSeconds) {
    researchSeconds_ += (std::int64_t{controls_.searchUpdate.Interval()} + 500) / 1000;
    return;
  }
  search_.ReapFrozenSearch();
  researchSeconds_ = 0;
  if (initialised_ && !search_.Running()) {
    search_.StartSearch(
        {.sorted = settings_.Sorted, .visible = settings_.ShowInPref, .window = search_.Horizon()});
  }
}

}  // namespace kolvar
