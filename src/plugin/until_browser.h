// Stepping, for the host's SHOWUNTIL commands, through the results that are on
// now or start within a number of minutes: each step sends one entry as "USER"
// with its position and the list's length. Window thread.
#pragma once

#include <cstdint>

#include "plugin/host_channel.h"
#include "plugin/result_store.h"
#include "plugin/search_control.h"
#include "remind/show_list.h"
#include "settings/settings.h"

namespace kolvar {

// Appends to list the results due within minutes (see CollectUpcoming); kBusy,
// changing nothing, while a search runs and the results are being replaced.
Collected CollectDue(const ResultStore& results, const SearchControl& search, Platform& platform,
                     TShow& list, std::int32_t minutes);

// It changes its own list only; the results and the settings it reads.
class UntilBrowser {
 public:
  UntilBrowser(Platform& platform, HostChannel& host, SearchControl& search,
               const ResultStore& results, const TSettings& settings)
      : platform_(platform), host_(host), search_(search), results_(results), settings_(settings) {}

  // The next entry; at the end of the list the end is reported, and the step
  // after that builds the list anew with its minutes.
  void ShowUntilNext(std::int32_t minutes);
  void ShowUntilBack();
  void ShowUntilCurrent();
  void ResetUntilIndex();
  void FinalUntilIndex();
  void ResetUntilProgress();
  // Appends newly due results to a list in use (each search-update tick).
  void Refresh();
  void ClearForNewRun() { ClearShowList(list_); }

  const TShow& List() const { return list_; }

 private:
  Platform& platform_;
  HostChannel& host_;
  SearchControl& search_;
  const ResultStore& results_;
  const TSettings& settings_;
  TShow list_;
  bool needsBuild_ = true;          // the next step past the end builds afresh
  std::int32_t shownIndex_ = 0;     // the entry sent last, 0-based
  std::int32_t minutesInUse_ = -1;  // of the last build; -1 before the first
};

}  // namespace kolvar
