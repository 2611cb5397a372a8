// A list of results to announce or browse: the reminder list and the until list
// each are one. Built from the result list; it only grows until it is cleared.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "search/result_list.h"

namespace kolvar {

struct ShowEntry {
  std::string line;  // the result's line; no two entries have the same
  DateTime start = 0;
  DateTime end = 0;  // 0 when not known
  bool toAnnounce = true;
  LineFields fields{};  // the result's
};

struct TShow {
  std::vector<ShowEntry> Entries;
  std::int32_t Pos = 0;      // current position, 0-based
  std::int32_t Pending = 0;  // entries still to announce

  std::int32_t Count() const { return static_cast<std::int32_t>(Entries.size()); }
};

void ClearShowList(TShow& list);

// What a collection did; the numbers are those the reminder code has always used.
enum class Collected : int {
  kBusy = -1,     // nothing: a search is replacing the results
  kNothing = 1,   // no result was due that the list did not hold
  kAppended = 2,  // some were appended
};

// Appends the results due now, in result order, that the list does not hold yet:
// those on air (started, and not ended: an unknown end, 0, counts as six hours
// after the start) and those starting in fewer than minutes whole minutes.
Collected CollectUpcoming(TShow& list, const TFindStruct& results, DateTime now,
                          std::int32_t minutes);

// Whether the programme of an entry is over; an unknown end is six hours after
// the start.
bool IsOver(const ShowEntry& entry, DateTime now);

}  // namespace kolvar
