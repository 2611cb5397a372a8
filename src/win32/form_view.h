// The real controls of the preferences window, kept in step with the control
// models both ways: after the plug-in has acted, Sync copies what changed into the
// controls; what the user does in a control changes its model and runs the
// model's handler, inside a plug-in frame (the host may close the plug-in from
// inside any of them, so the view keeps no reference to a model across one).
//
// One file a kind of control: form_view.cc makes them and takes the user's input;
// form_view_lists.cc, _texts.cc (edits and labels), _spins.cc, _checks.cc and
// _tips.cc keep each kind in step and draw it; control_look.h is what they share.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/form_pref.h"
#include "win32/unique_handle.h"

namespace kolvar::win32 {

using Enter = std::function<void(const std::function<void()>&)>;

class FormView {
 public:
  FormView() = default;
  FormView(const FormView&) = delete;
  FormView& operator=(const FormView&) = delete;

  // Creates the child controls of parent at their places.
  void Create(HWND parent, HINSTANCE instance);
  // The models the controls follow and feed (null: none, input is ignored), and
  // how plug-in code is entered.
  void Attach(FormPref* form, Enter enter);
  void Sync();
  // Handles a message of the parent window meant for the controls; false when it
  // is not one of theirs.
  bool Handle(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Shows the vertical scroll bar anew of each list holding more than it shows.
  void RefreshScrollBars();
  // Runs fn on the models inside a plug-in frame, then brings the controls in step.
  void Input(const std::function<void(FormPref&)>& fn);

 private:
  struct ListState {
    HWND hwnd = nullptr;
    int itemHeight = 13;
    // The list box's own copy of its lines (none for the result and channel
    // lists, which draw and answer for their lines from the model), so long
    // lists are held once; a change is noticed by the model's version.
    bool ownsText = true;
    std::size_t count = 0;
    std::uint64_t version = 0;
    std::uint64_t checksVersion = 0;
    bool synced = false;
    int current = -2;  // nothing synced yet
    std::string hint;
  };
  struct TextState {
    HWND hwnd = nullptr;
    std::string text;
    bool synced = false;
  };
  struct SpinState {
    TextState edit;
    HWND arrows = nullptr;
    bool enabled = true;
  };
  struct CheckState {
    HWND hwnd = nullptr;
    int checked = -1;
  };

  void SyncList(ListState& state, const ListBox& model, const CheckListBox* checks);
  void SyncText(TextState& state, const std::string& text);
  void SyncSpin(SpinState& state, const SpinEdit& model);
  void SyncCheck(CheckState& state, const CheckBox& model);
  void SyncCounter(const std::string& text);
  void FitCounter(const std::string& text);
  void AddTip(HWND control, const std::string& text);
  void SetTip(HWND control, const std::string& text);
  bool DrawItem(const DRAWITEMSTRUCT& item);
  void DrawCheckBox(const DRAWITEMSTRUCT& item, const CheckBox& model);
  void DrawFlatArrows(HWND arrows);
  // The background of an owner-drawn line; false when only its focus frame was to
  // be drawn (and has been).
  bool DrawLineBackground(const DRAWITEMSTRUCT& item);
  void DrawResultLine(const DRAWITEMSTRUCT& item);
  void DrawChannelLine(const DRAWITEMSTRUCT& item);
  // The line of a list that keeps none of its own, for drawing and for
  // LB_GETTEXT and LB_GETTEXTLEN; null when out of range.
  const std::string* ModelLine(HWND list, WPARAM index) const;
  // The models and the list box of a list control, by window.
  ListBox* ListModel(FormPref& form, HWND list);
  SpinEdit* SpinModel(FormPref& form, HWND control);
  CheckBox* CheckBoxModel(FormPref& form, HWND control) const;
  // Input, each kind handed to the model; true when it was ours.
  bool OnCommand(HWND parent, HWND control, int code);
  // A text that Windows-1251 cannot hold is put back, with a box that says why.
  void OnEditChange(HWND parent, HWND edit);
  bool OnListMouseDown(HWND list, bool right, LPARAM lParam);  // true: the press is used up
  LRESULT OnEditChar(HWND edit, WPARAM wParam, LPARAM lParam);
  // What the model-drawn lists answer of their lines and marks; nothing for any
  // other message.
  std::optional<LRESULT> AnswerFromModel(HWND hwnd, UINT message, WPARAM wParam,
                                         LPARAM lParam) const;
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
  LRESULT OnControlMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  FormPref* model_ = nullptr;
  Enter enter_;
  bool syncing_ = false;              // the controls' notifications while Sync writes are not input
  UniqueGdiObject<HFONT> font_;       // Tahoma 11 px
  UniqueGdiObject<HFONT> boldFont_;   // Tahoma 11 px bold
  UniqueGdiObject<HFONT> editFont_;   // Verdana 11 px bold
  UniqueGdiObject<HFONT> smallFont_;  // Tahoma 9 px: the result list's
  UniqueGdiObject<HFONT> smallBoldFont_;  // the same bold: new results
  UniqueGdiObject<HBRUSH> black_;
  HWND tips_ = nullptr;
  ListState find_;
  ListState words_;
  ListState files_;
  TextState label1_;
  TextState label3_;
  TextState counter_;
  TextState findStr_;
  TextState folder_;
  SpinState searchMod_;
  SpinState identital_;
  SpinState notiseDelay_;
  SpinState timeShift_;
  CheckState fullSearch_;
  CheckState sorted_;
  CheckState remind_;
};

}  // namespace kolvar::win32
