#include "plugin/result_panel.h"

#include <utility>

#include "base/cp1251.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "base/text_lines.h"
#include "base/texts.h"
#include "remind/calendar.h"
#include "search/similarity.h"

namespace kolvar {

std::vector<MenuItem> ResultListMenu(bool calendarKept) {
  std::vector<MenuItem> menu = {
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
      {kKeepCalendar, "Keep this calendar updated...", calendarKept},
  };
  if (calendarKept) menu.push_back({kStopCalendar, "Stop updating the calendar"});
  return menu;
}

void ResultPanel::ListBoxFindMouseDown(bool rightButton, int item) {
  if (!rightButton) return;
  if (item >= 0 && item < p_.list.Count()) p_.list.SetItemIndex(item);
  p_.platform.BringToFront();
  RunMenuCommand(p_.platform.PopupMenu(ResultListMenu(!p_.settings.CalendarFile.empty())));
}

void ResultPanel::RunMenuCommand(int id) {
  ListBox& list = p_.list;
  switch (id) {
    case kShowResults:
      BuildResultList();
      break;
    case kNowShowingCommand:
      NowShowing();
      break;
    case kFindCommand:
      p_.platform.ShowFindDialog([this](const std::string& text) { FindDialog1Find(text); });
      break;
    case kCopyToClipboard:
      if (!list.CurrentText().empty()) p_.platform.SetClipboardText(list.CurrentText());
      break;
    case kSortList:
      // The worker is still adding and ending entries: a sort now would mix them up.
      if (p_.search.Running()) break;
      p_.results.Sort();
      BuildResultList();
      break;
    case kClearList:
      list.Clear();
      list.Hint = kResultListHint;
      break;
    case kSaveList:
      SaveList();
      break;
    case kKeepCalendar:
      KeepCalendar();
      break;
    case kStopCalendar:
      p_.settings.CalendarFile.clear();
      break;
    default:
      break;
  }
}

void ResultPanel::SaveList() {
  const std::optional<std::string> chosen = p_.platform.SaveFileDialog(kResultListFileFilter);
  if (!chosen) return;
  const bool calendar = IsCalendarFileName(*chosen);
  const std::string file = calendar ? *chosen : WithTextExtension(*chosen);
  std::size_t events = 0;
  const std::vector<std::string> lines = p_.list.Lines();
  const std::string text = calendar ? Calendar(&lines, &events) : JoinLinesCrLf(lines);
  // An empty calendar would import as nothing, with no word why.
  if (calendar && events == 0) {
    p_.host.ShowMessageBox(kNoMatchesToSave, kBoxInformation);
    return;
  }
  if (const FileStatus saved = WriteFileAtomic(file, text); !saved) {
    p_.host.ShowMessageBox("The list could not be saved to " + file + saved.Because(), kBoxOk);
  }
}

std::string ResultPanel::Calendar(const std::vector<std::string>* lines,
                                  std::size_t* events) const {
  // The alarms remind as the plug-in would: PreviewTime ahead, and not at all
  // while reminders are off.
  const std::optional<int> alarm =
      p_.settings.Remind ? std::optional<int>(p_.settings.PreviewTime) : std::nullopt;
  Platform& platform = p_.platform;
  CalendarWriter calendar(alarm, CalendarStamp(platform.UtcNow()),
                          [&platform](DateTime local) { return platform.UtcFromLocal(local); });
  const std::vector<std::string>* keywords = p_.results.KeywordList();
  auto add = [&calendar, keywords](const FoundProgramme& r) {
    const std::size_t k = static_cast<std::size_t>(r.keywordIndex);
    const bool named = keywords && r.keywordIndex >= 0 && k < keywords->size();
    calendar.Add(r, named ? std::string_view((*keywords)[k]) : std::string_view());
  };
  // A line stands for its result while the two agree: not the list's notices, nor
  // lines cleared from the box, nor a list a running search is replacing.
  if (lines) {
    p_.results.ForEachListed(*lines, add);
  } else {
    p_.results.ForEach(add);
  }
  if (events) *events = calendar.EventCount();
  return calendar.Finish();
}

void ResultPanel::KeepCalendar() {
  const std::optional<std::string> chosen = p_.platform.SaveFileDialog(kCalendarFileFilter);
  if (!chosen) return;
  const std::string file = IsCalendarFileName(*chosen) ? *chosen : *chosen + ".ics";
  if (const FileStatus saved = WriteFileAtomic(file, Calendar(nullptr, nullptr)); !saved) {
    p_.host.ShowMessageBox(kCalendarNotSaved + file + saved.Because(), kBoxOk);
    return;
  }
  p_.settings.CalendarFile = file;
  calendarFailureTold_ = false;
  p_.host.ShowMessageBox(file + kCalendarKept, kBoxInformation);
}

void ResultPanel::KeepCalendarCurrent() {
  const std::string file = p_.settings.CalendarFile;
  if (file.empty()) return;
  const FileStatus saved = WriteFileAtomic(file, Calendar(nullptr, nullptr));
  if (saved || std::exchange(calendarFailureTold_, true)) return;
  p_.host.SendHostMessage(kCalendarNotSaved + file + saved.Because() + kCalendarToldOnce,
                          kKindMess);
}

std::shared_ptr<const LineSource> ResultPanel::BuildResultList(ResultListing* prepared) {
  ListBox& list = p_.list;
  if (prepared) {
    std::shared_ptr<const LineSource> old = list.ReplaceSource(nullptr);
    Show(*prepared);
    return old;
  }
  EmptyListNotice notice{p_.results.Outdated(), p_.channels.CheckedCount(),
                         p_.settings.MessOldDataBase};
  const DateTime now = p_.platform.Now();
  // The old lines go first: a long list is then never held twice.
  list.SetItems({});
  ResultListing listing = p_.results.Listing(now, std::move(notice));
  Show(listing);
  return {};
}

void ResultPanel::Show(ResultListing& listing) {
  ListBox& list = p_.list;
  if (listing.results) {
    (void)list.ReplaceSource(std::move(listing.results));
  } else {
    list.SetItems(std::move(listing.lines));
  }
  if (!listing.marked.empty()) list.SetMarks(std::move(listing.marked));
  list.SetItemIndex(listing.current);
}

std::optional<FoundProgramme> ResultPanel::CurrentResult() const {
  const ListBox& list = p_.list;
  const int index = list.ItemIndex();
  if (index < 0) return std::nullopt;
  return p_.results.ListedAt(static_cast<std::size_t>(index), list.CurrentText());
}

void ResultPanel::ListBoxFindClick() {
  ListBox& list = p_.list;
  const std::optional<FoundProgramme> result = CurrentResult();
  if (!result) {
    list.Hint = kResultListHint;
    return;
  }
  list.Hint = ResultHint(*result, p_.results.KeywordList());
}

void ResultPanel::ListBoxFindDblClick() {
  const std::string line = p_.list.CurrentText();
  if (!line.empty() && line[0] == '-') {
    BuildResultList();
    return;
  }
  const std::optional<FoundProgramme> result = CurrentResult();
  if (!result) return;
  const std::int32_t word = result->keywordIndex;
  const std::vector<std::string>* keywords = p_.results.KeywordList();
  if (keywords && !keywords->empty() && word >= 0) p_.keywords.SetItemIndex(word);
}

void ResultPanel::FindDialog1Find(const std::string& text) {
  // The find compares from a line's first character; the search run, which has
  // its own comparisons, is not disturbed by it.
  const int n = p_.list.Count();
  // A list that shrank below the position is searched from its top again.
  if (findPosition_ > n) findPosition_ = 1;
  const std::string key = UpperCase(text);
  for (int tries = n - findPosition_ + 1; tries > 0; --tries) {
    const int at = findPosition_;
    findPosition_ = at + 1 > n ? 1 : at + 1;
    if (RateSimilarity(p_.list.Item(at - 1), key, kFindUpperCase, true) >
        p_.settings.CongenialityRate) {
      p_.list.SetItemIndex(at - 1);
      findPosition_ = at + 1;
      return;
    }
  }
}

void ResultPanel::CheckBoxSortedClick() {
  p_.settings.Sorted = p_.sorted.Checked();
  p_.results.MarkStale();
}

void ResultPanel::SearchAllKeywords() {
  if (!p_.search.MayStartSearch(kAbortQuestion)) return;
  p_.search.StartSearch(
      {.sorted = p_.settings.Sorted, .visible = true, .window = p_.search.Horizon()});
}

void ResultPanel::FindKeywordText() {
  if (!p_.search.MayStartSearch(kAbortQuestion)) return;
  p_.search.FindText(
      p_.findText.Text,
      {.sorted = p_.settings.Sorted, .visible = true, .window = p_.search.Horizon()});
}

void ResultPanel::NowShowing() {
  if (!p_.search.MayStartSearch(kNowShowingAbortQuestion)) return;
  // Set before the run starts, so the run is sure to see it: the now-showing
  // results keep the order they were found in.
  p_.results.SetSkipNextSort(true);
  if (!p_.search.FindText("[", {.sorted = p_.settings.Sorted, .visible = true, .window = 0})) {
    p_.results.SetSkipNextSort(false);
  }
}

}  // namespace kolvar
