#include "win32/form_view.h"

#include <commctrl.h>

#include <optional>

#include "win32/check_box_control.h"
#include "win32/check_list_control.h"
#include "win32/counter_control.h"
#include "win32/edit_control.h"
#include "win32/host_protocol.h"
#include "win32/label_control.h"
#include "win32/list_control.h"
#include "win32/result_list_control.h"
#include "win32/spin_control.h"

namespace kolvar::win32 {
namespace {

struct ControlRow {
  ControlPlace place;
  MakeControl* make;
};

// The controls in tab order: id, name, place, text colour, and the kind bound to
// its model. Sizes measured in the fonts the window gets (the host's "measure"):
// every value of a spin box's range and every caption fits its control.
constexpr ControlRow kControls[] = {
    {{kControlListBoxWords, "ListBoxWords", {10, 154, 149, 157}, kWordsText},
     Make<ListControl<ListBox>, &FormPref::ListBoxWords>},
    {{kControlEditFindStr, "", {10, 322, 149, 19}, kYellow},
     Make<EditControl, &FormPref::EditFindStr, EditRole::kKeyword>},
    {{kControlSpinEditSearchMod, "", {170, 200, 41, 22}, kMaroon},
     Make<SpinControl, &FormPref::SpinEditSearchMod>},
    {{kControlEditFolderPath, "", {170, 152, 309, 19}, kRed},
     Make<EditControl, &FormPref::EditFolderPath, EditRole::kPath>},
    // Wider than its neighbours by two pixels: Wine's 16-pixel arrows leave "100"
    // too little room.
    {{kControlSpinEditIdentital, "", {218, 200, 43, 22}, kMaroon},
     Make<SpinControl, &FormPref::SpinEditIdentital>},
    {{kControlCheckBoxFullSearch, "Full search", {168, 230, 86, 17}, kBrownish},
     Make<CheckBoxControl, &FormPref::CheckBoxFullSearch>},
    {{kControlCheckBoxSorted, "Sorted", {168, 250, 73, 17}, kBrownish},
     Make<CheckBoxControl, &FormPref::CheckBoxSorted>},
    {{kControlCheckBoxRemind, "  Remind", {272, 202, 73, 17}, kMaroon},
     Make<CheckBoxControl, &FormPref::CheckBoxRemind>},
    // Up to 5000 seconds: wider than its neighbours, its frame short of the middle
    // panel's edge.
    {{kControlSpinEditNotiseDelay, "", {296, 232, 50, 22}, kBrownish},
     Make<SpinControl, &FormPref::SpinEditNotiseDelay>},
    {{kControlCheckListBoxFiles, "CheckListBoxFiles", {354, 202, 149, 133}, kWordsText},
     Make<CheckListControl, &FormPref::CheckListBoxFiles>},
    {{kControlSpinEditTimeShift, "", {439, 342, 61, 22}, kWhite},
     Make<SpinControl, &FormPref::SpinEditTimeShift>},
    {{kControlListBoxFind, "ListBoxFind", {10, 26, 493, 117}, kWordsText},
     Make<ResultListControl, &FormPref::ListBoxFind>},
    {{kControlLabel1, "", {168, 178, 177, 13}, kMaroon}, Make<LabelControl, &FormPref::Label1>},
    {{kControlLabel3, "", {354, 181, 63, 13}, kMaroon}, Make<LabelControl, &FormPref::Label3>},
    // Its right edge at x = 474, whatever the text's width.
    {{kControlLabelNumberOfSelected, "", {374, 180, 100, 13}, kCounter},
     Make<CounterControl, &FormPref::LabelNumberOfSelected>},
};

}  // namespace

void FormView::Create(HWND parent, HINSTANCE instance, FocusKeeper& focus) {
  focus_ = &focus;
  INITCOMMONCONTROLSEX init{sizeof init, ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&init);
  look_.Make();
  const FormPref defaults;
  const ControlParent on{parent, instance, defaults, router_};
  for (const ControlRow& row : kControls) {
    router_.Colour(row.place.id, row.place.colour);
    controls_.push_back(row.make(*this, row.place));
    controls_.back()->Create(on);
  }
  // Every control exists before the hints are added to them.
  tips_.Create(parent, instance);
  for (const auto& control : controls_) control->AddTip(tips_, defaults);
  // The skin's buttons name their keys: they are drawn, not windows, so their
  // hints are areas of the window's surface.
  for (const SkinButton& b : kSkinButtons) {
    tips_.AddArea(parent, static_cast<UINT_PTR>(b.id) + 1, RECT{b.left, b.top, b.right, b.bottom},
                  SkinButtonTip(b.id));
  }
}

void FormView::Attach(FormPref* form, Enter enter) {
  model_ = form;
  enter_ = std::move(enter);
}

void FormView::Sync() {
  if (!model_) return;
  const FormPref& form = *model_;
  syncing_ = true;
  for (const auto& control : controls_) control->Sync(form);
  syncing_ = false;
}

bool FormView::Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // Our own colours on black, for every control of the window.
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, router_.TextColour(GetDlgCtrlID(reinterpret_cast<HWND>(lParam))));
      SetBkColor(dc, RGB(0, 0, 0));
      result = reinterpret_cast<LRESULT>(look_.black.Get());
      return true;
    }
    case WM_COMMAND:
      if (syncing_) return false;
      break;
    default:
      break;
  }
  const std::optional<LRESULT> answer = router_.Route(message, wParam, lParam);
  if (!answer) return false;
  result = *answer;
  return true;
}

void FormView::RefreshScrollBars() {
  for (const auto& control : controls_) control->RefreshScrollBar();
}

void FormView::Input(const std::function<void(FormPref&)>& fn) {
  if (!model_ || !enter_) return;
  // A copy: a Close inside replaces the view's own.
  const Enter enter = enter_;
  enter([this, &fn] {
    if (model_) fn(*model_);
  });
  Sync();  // the plug-in may be gone now: Sync looks at model_ afresh
}

}  // namespace kolvar::win32
