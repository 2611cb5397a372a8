// The preferences window as a whole: showing and closing it, its search-default
// controls, its About, Help and Settings.ini items, and the Save button. Window
// thread.
#pragma once

#include "plugin/channel_panel.h"
#include "plugin/host_channel.h"
#include "plugin/keyword_editor.h"
#include "plugin/plugin_state.h"
#include "plugin/search_control.h"

namespace kolvar {

class PreferencesWindow {
 public:
  PreferencesWindow(PluginState& state, HostChannel& host, SearchControl& search,
                    ChannelPanel& channels, KeywordEditor& keywords)
      : state_(state), host_(host), search_(search), channels_(channels), keywords_(keywords) {}

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

  void CheckBoxFullSearchClick();
  void SpinEditSearchModChange();
  void SpinEditIdentitalChange();

 private:
  PluginState& state_;
  HostChannel& host_;
  SearchControl& search_;
  ChannelPanel& channels_;
  KeywordEditor& keywords_;
};

}  // namespace kolvar
