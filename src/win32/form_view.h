// The real controls of the preferences window, kept in step with the control
// models: after the plug-in has acted, Sync copies what changed into them. For
// now they only show; user input reaches the models with the window's own work.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/form_pref.h"
#include "win32/unique_handle.h"

namespace kolvar::win32 {

class FormView {
 public:
  // Creates the child controls of parent at their places.
  void Create(HWND parent, HINSTANCE instance);
  void Sync(const FormPref& form);
  // WM_DRAWITEM for the channel list's check boxes; false when not ours.
  bool DrawItem(const DRAWITEMSTRUCT& item);

 private:
  struct ListState {
    HWND hwnd = nullptr;
    std::vector<std::string> items;
    std::vector<bool> checked;
    int current = -2;  // nothing synced yet
  };
  struct LabelState {
    HWND hwnd = nullptr;
    std::string text;
    bool synced = false;
  };

  static void SyncList(ListState& state, const ListBox& model, const std::vector<bool>* checked);
  static void SyncLabel(LabelState& state, const std::string& text);

  UniqueGdiObject<HFONT> font_;       // Tahoma, 11 pixels: the controls' face
  UniqueGdiObject<HFONT> smallFont_;  // Tahoma, 9 pixels: the result list's
  ListState find_;
  ListState words_;
  ListState files_;
  LabelState label1_;
  LabelState label3_;
  LabelState counter_;
};

}  // namespace kolvar::win32
