// The result list box and what acts on it: the listing after a search, the hint,
// the double click, the find dialog, the "Sorted" box, and the searches started
// from the window (Search and Find buttons, "Now Showing"). Window thread.
#pragma once

#include <string>

#include "base/texts.h"
#include "plugin/plugin_state.h"
#include "plugin/search_control.h"

namespace kolvar {

class ResultPanel {
 public:
  ResultPanel(PluginState& state, SearchControl& search) : state_(state), search_(search) {}

  // Refills the list box from the results and chooses its current line.
  void BuildResultList();
  void ListBoxFindClick();
  void ListBoxFindDblClick();
  // The find dialog's "find next" with its text.
  void FindDialog1Find(const std::string& text);
  void CheckBoxSortedClick();
  // The Search and Find buttons.
  void SearchAllKeywords();
  void FindKeywordText();
  // The result-list menu's "Now Showing".
  void NowShowing();

 private:
  // The current line's result, when the line is that result's (after "Clear list",
  // or while a run refills the results, the box and the results may disagree).
  bool CurrentResult(const TFindStruct& results, int& index) const;

  PluginState& state_;
  SearchControl& search_;
  int findPosition_ = 1;  // where the next find starts, 1-based
};

}  // namespace kolvar
