#include "plugin/result_panel.h"

#include "base/cp1251.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "base/text_lines.h"
#include "base/texts.h"
#include "remind/calendar.h"
#include "search/similarity.h"

namespace kolvar {

const std::vector<MenuItem> kResultListMenu = {
    {kShowResults, "Show results"},
    {2000, ""},
    {kNowShowingCommand, "Now Showing"},
    {4000, ""},
    {kFindCommand, "Find"},
    {kCopyToClipboard, "Copy to clipboard"},
    {7000, ""},
    {kSortList, "Sort list"},
    {kClearList, "Clear list"},
    {kSaveList, "Save list"},
};

void ResultPanel::ListBoxFindMouseDown(bool rightButton, int item) {
  if (!rightButton) return;
  if (item >= 0 && item < state_.form.ListBoxFind.Count()) {
    state_.form.ListBoxFind.SetItemIndex(item);
  }
  state_.platform.BringToFront();
  RunMenuCommand(state_.platform.PopupMenu(kResultListMenu));
}

void ResultPanel::RunMenuCommand(int id) {
  ListBox& list = state_.form.ListBoxFind;
  switch (id) {
    case kShowResults:
      BuildResultList();
      break;
    case kNowShowingCommand:
      NowShowing();
      break;
    case kFindCommand:
      state_.platform.ShowFindDialog([this](const std::string& text) { FindDialog1Find(text); });
      break;
    case kCopyToClipboard:
      if (!list.CurrentText().empty()) state_.platform.SetClipboardText(list.CurrentText());
      break;
    case kSortList:
      // The worker is still adding and ending entries: a sort now would mix them up.
      if (search_.Running()) break;
      {
        MutexLock lock(state_.mutex);
        SortResults(state_.results);
      }
      BuildResultList();
      break;
    case kClearList:
      list.Clear();
      list.Hint = kResultListHint;
      break;
    case kSaveList:
      SaveList();
      break;
    default:
      break;
  }
}

void ResultPanel::SaveList() {
  const std::optional<std::string> chosen = state_.platform.SaveFileDialog(kResultListFileFilter);
  if (!chosen) return;
  const bool calendar = IsCalendarFileName(*chosen);
  const std::string file = calendar ? *chosen : WithTextExtension(*chosen);
  const std::string text =
      calendar ? ListedCalendar() : JoinLinesCrLf(state_.form.ListBoxFind.Items());
  if (const FileStatus saved = WriteFileAtomic(file, text); !saved) {
    host_.ShowMessageBox("The list could not be saved to " + file + saved.Because(), kBoxOk);
  }
}

std::string ResultPanel::ListedCalendar() const {
  const std::vector<std::string>& lines = state_.form.ListBoxFind.Items();
  CalendarWriter calendar(state_.settings.PreviewTime, CalendarStampNow());
  MutexLock lock(state_.mutex);
  // A line stands for its result while the two agree: not the list's notices, nor
  // lines cleared from the box, nor a list a running search is replacing.
  for (std::size_t i = 0; i < lines.size() && i < state_.results.size(); ++i) {
    if (OneLine(state_.results[i].line) == lines[i]) calendar.Add(state_.results[i]);
  }
  return calendar.Finish();
}

std::vector<std::string> ResultPanel::BuildResultList(ResultListing* prepared) {
  ListBox& list = state_.form.ListBoxFind;
  if (prepared) {
    std::vector<std::string> old = list.ReplaceItems(std::move(prepared->lines));
    if (!prepared->marked.empty()) list.SetMarks(std::move(prepared->marked));
    list.SetItemIndex(prepared->current);
    return old;
  }
  EmptyListNotice notice{state_.databaseOutdated, state_.form.CheckListBoxFiles.CheckedCount(),
                         state_.settings.MessOldDataBase};
  const DateTime now = state_.platform.Now();
  // The old lines go first: a long list is then never held twice.
  list.SetItems({});
  ResultListing listing;
  {
    MutexLock lock(state_.mutex);
    notice.unreadable = state_.unreadableChannels;
    listing = kolvar::BuildResultList(state_.results, now, notice);
  }
  list.SetItems(std::move(listing.lines));
  if (!listing.marked.empty()) list.SetMarks(std::move(listing.marked));
  list.SetItemIndex(listing.current);
  return {};
}

std::optional<FoundProgramme> ResultPanel::CurrentResult() const {
  const ListBox& list = state_.form.ListBoxFind;
  const int index = list.ItemIndex();
  if (index < 0) return std::nullopt;
  // The one result, not a copy of a list that may be long.
  MutexLock lock(state_.mutex);
  const auto at = static_cast<std::size_t>(index);
  if (at >= state_.results.size() || OneLine(state_.results[at].line) != list.CurrentText()) {
    return std::nullopt;
  }
  return state_.results[at];
}

void ResultPanel::ListBoxFindClick() {
  ListBox& list = state_.form.ListBoxFind;
  const std::optional<FoundProgramme> result = CurrentResult();
  if (!result) {
    list.Hint = kResultListHint;
    return;
  }
  list.Hint =
      ResultHint(*result, state_.resultsFromKeywordList ? &state_.searchKeywordList : nullptr);
}

void ResultPanel::ListBoxFindDblClick() {
  const std::string line = state_.form.ListBoxFind.CurrentText();
  if (!line.empty() && line[0] == '-') {
    BuildResultList();
    return;
  }
  const std::optional<FoundProgramme> result = CurrentResult();
  if (!result) return;
  const std::int32_t word = result->keywordIndex;
  if (state_.resultsFromKeywordList && !state_.searchKeywordList.empty() && word >= 0) {
    state_.form.ListBoxWords.SetItemIndex(word);
  }
}

void ResultPanel::FindDialog1Find(const std::string& text) {
  // The find compares from a line's first character; the search run, which has
  // its own comparisons, is not disturbed by it.
  const std::vector<std::string>& lines = state_.form.ListBoxFind.Items();
  const int n = static_cast<int>(lines.size());
  // A list that shrank below the position is searched from its top again.
  if (findPosition_ > n) findPosition_ = 1;
  const std::string key = UpperCase(text);
  for (int tries = n - findPosition_ + 1; tries > 0; --tries) {
    const int at = findPosition_;
    findPosition_ = at + 1 > n ? 1 : at + 1;
    if (RateSimilarity(lines[static_cast<std::size_t>(at - 1)], key, kFindUpperCase, true) >
        state_.settings.CongenialityRate) {
      state_.form.ListBoxFind.SetItemIndex(at - 1);
      findPosition_ = at + 1;
      return;
    }
  }
}

void ResultPanel::CheckBoxSortedClick() {
  state_.settings.Sorted = state_.form.CheckBoxSorted.Checked();
  state_.resultsStale = true;
}

void ResultPanel::SearchAllKeywords() {
  if (!search_.MayStartSearch(kAbortQuestion)) return;
  search_.StartSearch(
      {.sorted = state_.settings.Sorted, .visible = true, .window = search_.Horizon()});
}

void ResultPanel::FindKeywordText() {
  if (!search_.MayStartSearch(kAbortQuestion)) return;
  search_.FindText(
      state_.form.EditFindStr.Text,
      {.sorted = state_.settings.Sorted, .visible = true, .window = search_.Horizon()});
}

void ResultPanel::NowShowing() {
  if (!search_.MayStartSearch(kNowShowingAbortQuestion)) return;
  // Set before the run starts, so the run is sure to see it: the now-showing
  // results keep the order they were found in.
  state_.skipNextSort = true;
  if (!search_.FindText("[", {.sorted = state_.settings.Sorted, .visible = true, .window = 0})) {
    state_.skipNextSort = false;
  }
}

}  // namespace kolvar
