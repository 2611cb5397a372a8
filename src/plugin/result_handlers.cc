// The result list box's handlers, the search buttons and the Save button.
#include <algorithm>

#include "base/cp1251.h"
#include "plugin/plugin.h"
#include "search/similarity.h"
#include "settings/settings_file.h"
#include "tvguide/channel_catalogue.h"

namespace kolvar {

namespace {
constexpr char kAbortQuestion[] = "Search already running. Abort?";
}  // namespace

void Plugin::ListBoxFindClick() {
  ListBox& list = form_.ListBoxFind;
  const int index = list.ItemIndex();
  const std::string line = list.CurrentText();
  const TFindStruct results = Results();
  // After "Clear list", or while a run refills the results, the box and the
  // results may disagree: a line that is not its result gets no result's hint.
  if (index < 0 || static_cast<std::size_t>(index) >= results.Lines.size() ||
      results.Lines[static_cast<std::size_t>(index)] != line) {
    list.Hint = kResultListHint;
    return;
  }
  list.Hint =
      ResultHint(results, index, line, resultsFromKeywordList_ ? &searchKeywordList_ : nullptr);
}

void Plugin::ListBoxFindDblClick() {
  const ListBox& list = form_.ListBoxFind;
  const std::string line = list.CurrentText();
  if (!line.empty() && line[0] == '-') {
    BuildResultList();
    return;
  }
  const int index = list.ItemIndex();
  const TFindStruct results = Results();
  if (index < 0 || static_cast<std::size_t>(index) >= results.Lines.size() ||
      results.Lines[static_cast<std::size_t>(index)] != line) {
    return;
  }
  const std::int32_t word = results.WordIndex[static_cast<std::size_t>(index)];
  if (resultsFromKeywordList_ && !searchKeywordList_.empty() && word >= 0) {
    form_.ListBoxWords.SetItemIndex(word);
  }
}

void Plugin::FindDialog1Find(const std::string& text) {
  // The find compares from a line's first character; the search run, which has
  // its own comparisons, is not disturbed by it.
  const std::vector<std::string>& lines = form_.ListBoxFind.Items;
  const int n = static_cast<int>(lines.size());
  // A list that shrank below the position is searched from its top again.
  if (findPosition_ > n) findPosition_ = 1;
  const std::string key = UpperCase(text);
  for (int tries = n - findPosition_ + 1; tries > 0; --tries) {
    const int at = findPosition_;
    findPosition_ = at + 1 > n ? 1 : at + 1;
    if (RateSimilarity(lines[static_cast<std::size_t>(at - 1)], key, 3, true) >
        settings_.CongenialityRate) {
      form_.ListBoxFind.SetItemIndex(at - 1);
      findPosition_ = at + 1;
      return;
    }
  }
}

bool Plugin::MayStartSearch() {
  ReapFrozenSearch();
  if (!SearchRunning()) return true;
  if (ShowMessageBox(kAbortQuestion, kBoxQuestionYesNo) != kAnswerYes) return false;
  AbortSearch();
  return true;
}

void Plugin::SearchAllKeywords() {
  if (MayStartSearch()) StartSearch(settings_.Sorted, true, false, SearchHorizon());
}

void Plugin::FindKeywordText() {
  if (MayStartSearch()) {
    FindText(form_.EditFindStr.Text, settings_.Sorted, true, false, SearchHorizon(), false);
  }
}

void Plugin::NowShowing() {
  ReapFrozenSearch();
  if (SearchRunning()) {
    if (ShowMessageBox("Search running. Abort?", kBoxQuestionYesNo) != kAnswerYes) return;
    AbortSearch();
  }
  // Set before the run starts, so the run is sure to see it: the now-showing
  // results keep the order they were found in.
  skipNextSort_ = true;
  if (!FindText("[", settings_.Sorted, true, false, 0, false)) skipNextSort_ = false;
}

void Plugin::SavePreferences() {
  settings_.FullSearch = form_.CheckBoxFullSearch.Checked();
  settings_.Sorted = form_.CheckBoxSorted.Checked();
  settings_.NotiseDelay = form_.SpinEditNotiseDelay.Value();
  settings_.Path = SingleLine(form_.EditFolderPath.Text);
  StoreCheckedChannels();
  StoreKeywords();
  // Entries of shift 0 say nothing: they are dropped when saving.
  auto& shifts = settings_.TimeShifts;
  const std::size_t counted = CountedTimeShifts(settings_);
  auto kept = std::remove_if(
      shifts.begin(), shifts.begin() + static_cast<std::ptrdiff_t>(counted),
      [](const std::string& e) { return e.size() >= 2 && e.compare(e.size() - 2, 2, "#0") == 0; });
  const auto removed =
      static_cast<std::int32_t>(shifts.begin() + static_cast<std::ptrdiff_t>(counted) - kept);
  shifts.erase(kept, shifts.begin() + static_cast<std::ptrdiff_t>(counted));
  settings_.TimeShiftCount -= removed;
  settings_.FindMode = form_.SpinEditSearchMod.Value();
  settings_.CongenialityRate = form_.SpinEditIdentital.Value();
  WriteSettings(pluginFolder_ + kSettingsFileName, settings_);
}

}  // namespace kolvar
