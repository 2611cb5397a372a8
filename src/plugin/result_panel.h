// The result list box and what acts on it: the listing after a search, the hint,
// the double click, the find dialog, the "Sorted" box, and the searches started
// from the window (Search and Find buttons, "Now Showing"). Window thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/texts.h"
#include "plugin/host_channel.h"
#include "plugin/result_store.h"
#include "plugin/search_control.h"
#include "settings/settings.h"
#include "ui/controls.h"

namespace kolvar {

// The result list's menu: ids as the menu has always numbered them.
inline constexpr int kShowResults = 1000;
inline constexpr int kNowShowingCommand = 3000;
inline constexpr int kFindCommand = 5000;
inline constexpr int kCopyToClipboard = 6000;
inline constexpr int kSortList = 7500;
inline constexpr int kClearList = 8000;
inline constexpr int kSaveList = 9000;
inline constexpr int kKeepCalendar = 9500;
inline constexpr int kStopCalendar = 9600;
// The menu as it stands: whether a calendar is kept updated shows in it.
std::vector<MenuItem> ResultListMenu(bool calendarKept);

class ResultPanel {
 public:
  // What the panel uses. It changes the result list box, the keyword list's
  // selection, the settings' Sorted, and of the results their order, stale and
  // skip-sort; the rest it reads.
  struct Parts {
    Platform& platform;
    HostChannel& host;
    SearchControl& search;
    ResultStore& results;
    TSettings& settings;
    ListBox& list;      // the result list
    ListBox& keywords;  // selected on a double click
    const CheckBox& sorted;
    const Edit& findText;
    const CheckListBox& channels;
  };
  explicit ResultPanel(Parts parts) : p_(parts) {}

  // Refills the list box from the results and chooses its current line. prepared,
  // when given, is that listing made already (by the search worker, from the
  // results as they stand). Returns the old lines, for the caller to free.
  std::shared_ptr<const LineSource> BuildResultList(ResultListing* prepared = nullptr);
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

  // A mouse press in the list: a right one selects the line under the pointer
  // (item, -1 below the last line) and opens the result list's menu.
  void ListBoxFindMouseDown(bool rightButton, int item);
  // A command of the result list's menu, by its id.
  void RunMenuCommand(int id);
  // The calendar file the user keeps updated (the settings' CalendarFile), after a
  // keyword search that read the guide: rewritten whole with every result, so a
  // calendar client subscribed to it, or a synced folder, has the matches as they
  // stand. A failure reaches the host once per run.
  void KeepCalendarCurrent();

 private:
  // The current line's result, when the line is that result's (after "Clear list",
  // or while a run refills the results, the box and the results may disagree).
  std::optional<FoundProgramme> CurrentResult() const;
  // The listing into the list box.
  void Show(ResultListing& listing);
  // "Save list": the list box's lines as text, or, to a name ending in ".ics", its
  // results as a calendar.
  void SaveList();
  // The results as a calendar: those the list box shows, or, with lines null,
  // every one. Their count goes to events.
  std::string Calendar(const std::vector<std::string>* lines, std::size_t* events) const;
  // "Keep this calendar updated...": the file chosen and written at once.
  void KeepCalendar();

  Parts p_;
  int findPosition_ = 1;              // where the next find starts, 1-based
  bool calendarFailureTold_ = false;  // this run, of the kept calendar
};

}  // namespace kolvar
