#include "ui/form_pref.h"

namespace kolvar {

FormPref::FormPref() {
  ListBoxWords.Hint = "Keywords";
  ListBoxWords.ShowHint = true;
  EditFindStr.Hint = "keyword's edit";
  SpinEditSearchMod.Hint = "Select find mod";
  SpinEditSearchMod.ShowHint = true;
  EditFolderPath.Text = "C:\\TV\\";
  EditFolderPath.Hint = "JTV database path";
  EditFolderPath.ShowHint = true;
  SpinEditIdentital.Hint = "Select congeniality rate (in percent)";
  SpinEditIdentital.ShowHint = true;
  SpinEditNotiseDelay.Hint = "Select notification delay (in seconds)";
  SpinEditNotiseDelay.ShowHint = true;
  SpinEditTimeShift.Hint = "Select time shift for selected channel";
  SpinEditTimeShift.ShowHint = true;
  SpinEditTimeShift.Enabled = false;
  ListBoxFind.Hint = "search results";
  ListBoxFind.ShowHint = true;
  Label1.Caption = "Find:";
  Label3.Caption = "Channels:";
  LabelNumberOfSelected.Caption = "144/888";
  TimerGuideWatch.SetEnabled(false);
}

}  // namespace kolvar
