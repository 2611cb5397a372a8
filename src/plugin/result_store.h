// The results of the search run and their bookkeeping: the keyword list their
// keyword indices refer to, where the keywords of the search launched last stand
// in that list, whether the results are stale or came from the keyword list,
// whether the guide is outdated, the unreadable channels of their run, and
// whether the next run keeps its order. The one place that changes any of these.
//
// The window thread and the search worker share it. Its lock is also the
// worker's (the run generation lives under it): the run writes only through the
// members marked "the run", inside RunContext::WithSharedState, which holds the
// lock and lets a current run alone through. Nobody holds the lock while calling
// out. Everything else is the window thread's.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "base/thread_annotations.h"
#include "remind/show_list.h"
#include "search/result_list.h"

namespace kolvar {

namespace testing {
class PluginProbe;
}  // namespace testing

class ResultStore {
 public:
  ResultStore() = default;
  ResultStore(const ResultStore&) = delete;
  ResultStore& operator=(const ResultStore&) = delete;

  // For the search worker, whose run generation it guards too.
  Mutex& Lock() { return mutex_; }
  // In a function run under Lock() by a helper that took it.
  void AssertHeld() const ASSERT_CAPABILITY(mutex_) { mutex_.AssertHeld(); }

  // The first result's start, which dates the results' short lines.
  std::optional<DateTime> FirstStart() const EXCLUDES(mutex_);
  struct Tally {
    std::size_t results = 0;
    std::size_t unreadable = 0;
  };
  Tally Counts() const EXCLUDES(mutex_);

  // A search was launched with keywordCount keywords of the list (0: a one-text
  // search, whose indices refer to its text alone): from now on its indices
  // follow the list's edits.
  void RunLaunched(std::size_t keywordCount) EXCLUDES(mutex_);
  // The launched search begins: at one moment the old results and their
  // unreadable channels go, and what the new ones refer to comes (a keyword
  // search's list as edited since the launch). Returns the old results, for the
  // caller to free outside the lock.
  TFindStruct RunBegins(bool fromKeywordList, const std::vector<std::string>& keywordList)
      EXCLUDES(mutex_);
  // A stopped run's results go; returned for the caller to free.
  TFindStruct Discard() EXCLUDES(mutex_);
  // The keyword list was edited to listNow: f takes an index of the list before
  // the edit to one after it, or -1. The results (and those the launched search
  // has still to publish) keep pointing at the keyword that found them.
  void Reindex(const std::function<std::int32_t(std::int32_t)>& f,
               const std::vector<std::string>& listNow) EXCLUDES(mutex_);
  // By start time; only while no run is adding to them.
  void Sort() EXCLUDES(mutex_);

  // The lines for the result list box, or the notice (with the unreadable
  // channels) when there are none.
  ResultListing Listing(DateTime now, EmptyListNotice notice) const EXCLUDES(mutex_);
  // The result at index, when its line is line (the list box and the results
  // disagree after "Clear list" or while a run refills them).
  std::optional<FoundProgramme> ListedAt(std::size_t index, const std::string& line) const
      EXCLUDES(mutex_);
  // fn for each result whose line the box shows at its position; under the lock,
  // so fn must not call out.
  void ForEachListed(const std::vector<std::string>& lines,
                     const std::function<void(const FoundProgramme&)>& fn) const EXCLUDES(mutex_);
  // fn for each result; under the lock, so fn must not call out.
  void ForEach(const std::function<void(const FoundProgramme&)>& fn) const EXCLUDES(mutex_);
  // Appends to list the results due within minutes (see CollectUpcoming).
  Collected CollectUpcoming(TShow& list, DateTime now, std::int32_t minutes) const EXCLUDES(mutex_);

  // Stale: the settings or keywords changed since the keyword search, or the
  // results are a one-text search's. Reminders and the periodic re-search wait.
  bool Stale() const { return stale_; }
  void MarkStale() { stale_ = true; }
  // A keyword search was launched (search control only).
  void MarkFresh() { stale_ = false; }
  // The guide holds nothing after now, as the last run or the folder's scan said.
  bool Outdated() const { return outdated_; }
  // The guide folder lists channels again.
  void GuideFound() { outdated_ = false; }
  // The keyword list the results' indices refer to; null for a one-text search's.
  const std::vector<std::string>* KeywordList() const {
    return fromKeywordList_ ? &keywordList_ : nullptr;
  }
  // The next run keeps the order its results were found in.
  void SetSkipNextSort(bool skip) { skipNextSort_ = skip; }

  // The run, inside RunContext::WithSharedState.
  void RunEdit(const std::function<void(TFindStruct&)>& fn) REQUIRES(mutex_) { fn(results_); }
  // Moves found's entries to the end, their indices brought to the list as edited;
  // expected as for SearchContext::Publish.
  void RunPublish(TFindStruct& found, std::size_t expected) REQUIRES(mutex_);
  // The entry at i becomes the one that was at order[i].
  void RunPublishOrder(std::vector<std::size_t> order) REQUIRES(mutex_);
  void RunSetOutdated(bool outdated) REQUIRES(mutex_) { outdated_ = outdated; }
  // Whether this run leaves its results unsorted; reading it clears it.
  bool RunTakeSkipNextSort() REQUIRES(mutex_) { return skipNextSort_.exchange(false); }
  void RunSetUnreadable(std::vector<std::string> channels) REQUIRES(mutex_) {
    unreadable_ = std::move(channels);
  }
  // The lines for the list box; none when there are no results (the window
  // thread then lists its notice).
  std::optional<ResultListing> RunListing(DateTime now) const REQUIRES(mutex_);
  // The number of new results, and the lines of the first named of them.
  std::size_t RunNewMatches(std::size_t named, std::vector<std::string>& firstLines) const
      REQUIRES(mutex_);

 private:
  friend class testing::PluginProbe;

  mutable Mutex mutex_;
  TFindStruct results_ GUARDED_BY(mutex_);
  std::vector<std::string> unreadable_ GUARDED_BY(mutex_);
  // Where each keyword the launched search parsed stands in the list now (-1
  // once it is gone).
  std::vector<std::int32_t> runPositions_ GUARDED_BY(mutex_);
  std::vector<std::string> keywordList_;  // window thread
  // Written by the run under the lock, read without it.
  std::atomic<bool> outdated_{true};
  std::atomic<bool> skipNextSort_{false};
  // Window thread.
  std::atomic<bool> stale_{false};
  std::atomic<bool> fromKeywordList_{false};
};

}  // namespace kolvar
