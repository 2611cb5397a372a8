// The preferences window as a whole: showing and closing it, its search-default
// controls, its About, Help and Settings.ini items, and the Save button. Window
// thread.
#pragma once

#include <set>
#include <string>

#include "plugin/channel_panel.h"
#include "plugin/host_channel.h"
#include "plugin/keyword_editor.h"
#include "plugin/result_store.h"
#include "plugin/search_control.h"
#include "settings/settings.h"
#include "settings/watch_settings.h"
#include "ui/form_pref.h"
#include "ui/skin.h"

namespace kolvar {

class PreferencesWindow {
 public:
  // What the window uses. It changes the form (its controls and visibility), the
  // settings, and of the results stale; the rest it reads.
  struct Parts {
    Platform& platform;
    HostChannel& host;
    SearchControl& search;
    ChannelPanel& channels;
    KeywordEditor& keywords;
    ResultStore& results;
    TSettings& settings;
    FormPref& form;
    const WatchSettings& watch;
    const std::string& pluginFolder;
    const bool& settingsLoaded;
    const bool& initialised;  // Open has run to its end and no close has begun
  };
  explicit PreferencesWindow(Parts parts) : p_(parts), face_(SkinSurface()) {}

 private:
  // What the face needs of the window, through the platform.
  SkinHost SkinSurface();
  // Draws a skin image. A file that cannot be drawn is reported and ends the
  // event, once per showing of the window; after that it is drawn as nothing.
  bool DrawSkin(const std::string& file, int left, int top, int right, int bottom, bool stretch);

 public:
  // The settings into the controls; a check box whose state changes runs its
  // click handler as a user's click would.
  void FillControlsFromSettings();
  void Show();
  // Hides the window, then runs FormClose.
  void ClosePreferences();
  // The window was closed: a frozen search is abandoned, and stale results are
  // searched again.
  void FormClose();
  void ShowAbout();
  void Help1Click();
  void Settingsini1Click();
  // The Save button: the window's values into the settings and the settings file.
  void SavePreferences();

  // The About button's menu, and its items besides Help and Settings.ini.
  void ShowAboutMenu();
  void Update1Click();
  void About1Click() { ShowAbout(); }
  // Paints the skin's face.
  void FormPaint();
  // The skinned surface: its buttons run the actions given here.
  SkinFace& Face() { return face_; }
  void SetSkinActions(const std::array<std::function<void()>, kSkinButtonCount>& actions);

  void CheckBoxFullSearchClick();
  void SpinEditSearchModChange();
  void SpinEditIdentitalChange();

 private:
  Parts p_;
  SkinFace face_;
  // Skin files reported since the window was last shown: a box at every pointer
  // move would make the window unusable.
  std::set<std::string> brokenImages_;
};

}  // namespace kolvar
