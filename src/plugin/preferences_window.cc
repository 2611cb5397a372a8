#include "plugin/preferences_window.h"

#include <algorithm>
#include <cstring>

#include "base/file_io.h"
#include "settings/settings_file.h"
#include "settings/watch_settings.h"
#include "tvguide/channel_catalogue.h"

namespace kolvar {

namespace {

constexpr char kAboutText[] =
    "Kolvar v2.51\r\n"
    "A TV-guide watcher that reminds you when your programmes are on.\r\n"
    "Made by the Kolvar team. Questions and wishes: kolvar@kestrimon.org";
constexpr char kHelpPage[] = "Help\\index.htm";
constexpr char kWebPage[] = "https://kolvar.kestrimon.org/";
constexpr char kBorder[] = "Skin\\border.bmp";
constexpr char kSettingsNotSaved[] =
    "The settings file did not load, so it is not saved: correct it, then reopen the plug-in.";

}  // namespace

void PreferencesWindow::FillControlsFromSettings() {
  FormPref& form = p_.form;
  const TSettings& settings = p_.settings;
  form.EditFolderPath.Text = settings.Path;
  form.SpinEditSearchMod.SetValue(settings.FindMode);
  form.SpinEditIdentital.SetValue(settings.CongenialityRate);
  form.SpinEditNotiseDelay.SetValue(settings.NotiseDelay);
  form.CheckBoxFullSearch.SetChecked(settings.FullSearch);
  form.CheckBoxSorted.SetChecked(settings.Sorted);
}

void PreferencesWindow::Show() {
  // A new showing: a skin mended meanwhile shows, a missing one is told again.
  if (!p_.form.Visible) brokenImages_.clear();
  p_.form.Visible = true;
  p_.platform.ShowPreferencesWindow();
}

void PreferencesWindow::ClosePreferences() {
  p_.form.Visible = false;
  p_.platform.HidePreferencesWindow();
  FormClose();
}

void PreferencesWindow::FormClose() {
  p_.search.ReapFrozenSearch();
  if (p_.initialised && p_.results.Stale() && !p_.search.Running()) {
    p_.search.StartSearch({.sorted = p_.settings.Sorted,
                           .visible = p_.settings.ShowInPref,
                           .window = p_.search.Horizon()});
  }
}

void PreferencesWindow::ShowAbout() { p_.host.ShowMessageBox(kAboutText, kBoxInformation); }

void PreferencesWindow::Help1Click() {
  p_.platform.ShellOpen(p_.pluginFolder + kHelpPage, p_.pluginFolder);
}

void PreferencesWindow::Settingsini1Click() {
  p_.platform.ShellOpen(p_.pluginFolder + kSettingsFileName, p_.pluginFolder);
}

void PreferencesWindow::SavePreferences() {
  if (!p_.settingsLoaded) {
    p_.host.ShowMessageBox(kSettingsNotSaved, kBoxOk);
    return;
  }
  TSettings& settings = p_.settings;
  const FormPref& form = p_.form;
  settings.FullSearch = form.CheckBoxFullSearch.Checked();
  settings.Sorted = form.CheckBoxSorted.Checked();
  settings.NotiseDelay = form.SpinEditNotiseDelay.Value();
  settings.Path = SingleLine(form.EditFolderPath.Text);
  p_.channels.StoreCheckedChannels();
  p_.keywords.StoreKeywords();
  // Entries of shift 0 say nothing: they are dropped when saving.
  auto& shifts = settings.TimeShifts;
  const auto counted = static_cast<std::ptrdiff_t>(CountedTimeShifts(settings));
  auto kept = std::remove_if(shifts.begin(), shifts.begin() + counted, [](const std::string& e) {
    return e.size() >= 2 && e.compare(e.size() - 2, 2, "#0") == 0;
  });
  settings.TimeShiftCount -= static_cast<std::int32_t>(shifts.begin() + counted - kept);
  shifts.erase(kept, shifts.begin() + counted);
  settings.FindMode = form.SpinEditSearchMod.Value();
  settings.CongenialityRate = form.SpinEditIdentital.Value();
  const std::string file = p_.pluginFolder + kSettingsFileName;
  // The old file is still whole when this fails; the user must know the new
  // values were not kept.
  std::string reason;
  if (WriteSettings(file, settings, &reason) != 1) {
    // The reason names the file and the system's cause.
    p_.host.ShowMessageBox(
        "The settings could not be saved to " + reason.substr(std::strlen(kCannotWrite)), kBoxOk);
    return;
  }
  // The watcher's own file, once there is a choice to keep: a folder stays as
  // the user installed it until then.
  const std::string watchFile = p_.pluginFolder + kWatchFileName;
  if (p_.watch == WatchSettings{} && !ReadWholeFile(watchFile)) return;
  if (const FileStatus saved = WriteFileAtomic(watchFile, WatchSettingsText(p_.watch)); !saved) {
    p_.host.ShowMessageBox("The settings could not be saved to " + watchFile + saved.Because(),
                           kBoxOk);
  }
}

SkinHost PreferencesWindow::SkinSurface() {
  SkinHost host;
  host.Draw = [this](const std::string& file, const SkinButton& b) {
    return DrawSkin(file, b.left, b.top, b.right, b.bottom, true);
  };
  host.PointerOnScreen = [this] {
    const Point p = p_.platform.PointerOnScreen();
    return Point{p.x, p.y};
  };
  host.WindowOnScreen = [this] {
    const Point p = p_.platform.WindowOnScreen();
    return Point{p.x, p.y};
  };
  host.MoveWindow = [this](Point p) { p_.platform.MoveWindowTo({p.x, p.y}); };
  host.RefreshScrollBars = [this] { p_.platform.RefreshScrollBars(); };
  return host;
}

void PreferencesWindow::SetSkinActions(
    const std::array<std::function<void()>, kSkinButtonCount>& actions) {
  SkinHost host = SkinSurface();
  host.Actions = actions;
  face_ = SkinFace(std::move(host));
}

bool PreferencesWindow::DrawSkin(const std::string& file, int left, int top, int right, int bottom,
                                 bool stretch) {
  const std::string path = p_.pluginFolder + file;
  if (brokenImages_.contains(path)) return true;
  if (p_.platform.DrawImage(path, left, top, right, bottom, stretch)) return true;
  brokenImages_.insert(path);
  p_.host.ShowMessageBox("The skin image " + path + " could not be loaded", kBoxOk);
  return false;
}

void PreferencesWindow::FormPaint() { DrawSkin(kBorder, 0, 0, kFormWidth, kFormHeight, false); }

void PreferencesWindow::ShowAboutMenu() {
  enum { kHelp = 1, kSettings, kUpdate, kAbout };
  switch (p_.platform.PopupMenu(
      {{kHelp, "Help"}, {kSettings, "Settings.ini"}, {kUpdate, "Update"}, {kAbout, "About"}})) {
    case kHelp:
      Help1Click();
      break;
    case kSettings:
      Settingsini1Click();
      break;
    case kUpdate:
      Update1Click();
      break;
    case kAbout:
      About1Click();
      break;
    default:
      break;
  }
}

void PreferencesWindow::Update1Click() { p_.platform.ShellOpen(kWebPage, p_.pluginFolder); }

void PreferencesWindow::CheckBoxFullSearchClick() {
  p_.settings.FullSearch = p_.form.CheckBoxFullSearch.Checked();
  p_.results.MarkStale();
}

void PreferencesWindow::SpinEditSearchModChange() {
  p_.settings.FindMode = p_.form.SpinEditSearchMod.Value();
  p_.results.MarkStale();
}

void PreferencesWindow::SpinEditIdentitalChange() {
  p_.settings.CongenialityRate = p_.form.SpinEditIdentital.Value();
  p_.results.MarkStale();
}

}  // namespace kolvar
