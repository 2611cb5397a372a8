#include "plugin/reminders.h"

#include "base/numbers.h"

namespace kolvar {

void Reminders::Switch(bool on) {
  TSettings& settings = state_.settings;
  settings.Remind = on;
  state_.form.CheckBoxRemind.SetChecked(on);
  state_.form.TimerNiticer.SetEnabled(on);
  state_.notifyCountdown = settings.RepeatCount;
  if (settings.RemindStatusShowing) {
    host_.SendHostMessage(on ? settings.MessRemindOn : settings.MessRemindOff, kKindMess);
  }
}

void Reminders::CheckBoxRemindClick() {
  state_.settings.Remind = state_.form.CheckBoxRemind.Checked();
  state_.form.TimerNiticer.SetEnabled(state_.settings.Remind);
}

void Reminders::SpinEditNotiseDelayChange() {
  state_.settings.NotiseDelay = state_.form.SpinEditNotiseDelay.Value();
  state_.form.TimerNiticer.SetInterval(TimerIntervalMs(state_.settings.NotiseDelay, 1000));
}

void Reminders::AcknowledgeReminder(bool) {}

void Reminders::Beat() {}

}  // namespace kolvar
