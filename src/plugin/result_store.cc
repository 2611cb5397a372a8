#include "plugin/result_store.h"

#include <numeric>
#include <utility>

namespace kolvar {

std::optional<DateTime> ResultStore::FirstStart() const {
  MutexLock lock(mutex_);
  if (results_.empty()) return std::nullopt;
  return results_.front().start;
}

ResultStore::Tally ResultStore::Counts() const {
  MutexLock lock(mutex_);
  return {results_.size(), unreadable_.size()};
}

void ResultStore::RunLaunched(std::size_t keywordCount) {
  MutexLock lock(mutex_);
  runPositions_.resize(keywordCount);
  std::iota(runPositions_.begin(), runPositions_.end(), 0);
}

TFindStruct ResultStore::RunBegins(bool fromKeywordList,
                                   const std::vector<std::string>& keywordList) {
  TFindStruct old;
  {
    MutexLock lock(mutex_);
    std::swap(old, results_);
    unreadable_.clear();
  }
  fromKeywordList_ = fromKeywordList;
  // The run's indices are carried to the list as edited since its launch.
  if (fromKeywordList) keywordList_ = keywordList;
  return old;
}

TFindStruct ResultStore::Discard() {
  TFindStruct discarded;
  MutexLock lock(mutex_);
  std::swap(discarded, results_);
  unreadable_.clear();
  return discarded;
}

void ResultStore::Reindex(const std::function<std::int32_t(std::int32_t)>& f,
                          const std::vector<std::string>& listNow) {
  const bool fromList = fromKeywordList_;
  {
    MutexLock lock(mutex_);
    // A keyword search launched, running or not yet begun, follows the list too.
    for (std::int32_t& position : runPositions_) {
      if (position >= 0) position = f(position);
    }
    if (fromList) {
      for (FoundProgramme& r : results_) {
        if (r.keywordIndex >= 0) r.keywordIndex = f(r.keywordIndex);
      }
    }
  }
  if (fromList) keywordList_ = listNow;
}

void ResultStore::Sort() {
  MutexLock lock(mutex_);
  SortResults(results_);
}

ResultListing ResultStore::Listing(DateTime now, EmptyListNotice notice) const {
  MutexLock lock(mutex_);
  notice.unreadable = unreadable_;
  return BuildResultList(results_, now, notice);
}

std::optional<FoundProgramme> ResultStore::ListedAt(std::size_t index,
                                                    const std::string& line) const {
  // The one result, not a copy of a list that may be long.
  MutexLock lock(mutex_);
  if (index >= results_.size() || OneLine(results_[index].line.Text()) != line) return std::nullopt;
  return results_[index];
}

void ResultStore::ForEachListed(const std::vector<std::string>& lines,
                                const std::function<void(const FoundProgramme&)>& fn) const {
  MutexLock lock(mutex_);
  for (std::size_t i = 0; i < lines.size() && i < results_.size(); ++i) {
    if (OneLine(results_[i].line.Text()) == lines[i]) fn(results_[i]);
  }
}

void ResultStore::ForEach(const std::function<void(const FoundProgramme&)>& fn) const {
  MutexLock lock(mutex_);
  for (const FoundProgramme& r : results_) fn(r);
}

Collected ResultStore::CollectUpcoming(TShow& list, DateTime now, std::int32_t minutes) const {
  MutexLock lock(mutex_);
  return kolvar::CollectUpcoming(list, results_, now, minutes);
}

void ResultStore::RunPublish(TFindStruct& found, std::size_t expected) {
  const std::size_t first = results_.size();
  MoveResults(results_, found, expected);
  // The run numbered its keywords by its own copy of the list; positions[k] is
  // where its keyword k stands now.
  for (std::size_t i = first; i < results_.size(); ++i) {
    std::int32_t& k = results_[i].keywordIndex;
    if (k >= 0 && static_cast<std::size_t>(k) < runPositions_.size()) {
      k = runPositions_[static_cast<std::size_t>(k)];
    }
  }
}

void ResultStore::RunPublishOrder(std::vector<std::size_t> order) {
  // The entries were brought up to the keyword edits when published: moving
  // them keeps that.
  ApplyOrder(results_, std::move(order));
}

std::optional<ResultListing> ResultStore::RunListing(DateTime now) const {
  if (results_.empty()) return std::nullopt;
  return BuildResultList(results_, now, {});
}

std::size_t ResultStore::RunNewMatches(std::size_t named,
                                       std::vector<std::string>& firstLines) const {
  std::size_t count = 0;
  for (const FoundProgramme& f : results_) {
    if (!f.isNew) continue;
    if (firstLines.size() < named) firstLines.push_back(f.line.Text());
    ++count;
  }
  return count;
}

}  // namespace kolvar
