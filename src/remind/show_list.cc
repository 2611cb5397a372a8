#include "remind/show_list.h"

#include <unordered_set>
#include <utility>

namespace kolvar {

void ClearShowList(TShow& list) { list = TShow{}; }

namespace {

// A damaged record may leave a programme without an end. It counts as on air for
// this long after its start; without a bound a record dated 1601 was "on now"
// at every tick, for ever.
constexpr double kUnknownEndDays = 6.0 / 24;

DateTime EndOrAssumed(DateTime start, DateTime end) {
  return end != 0 ? end : start + kUnknownEndDays;
}

}  // namespace

bool IsOver(const ShowEntry& entry, DateTime now) {
  return EndOrAssumed(entry.start, entry.end) < now;
}

Collected CollectUpcoming(TShow& list, const TFindStruct& results, DateTime now,
                          std::int32_t minutes) {
  std::unordered_set<std::string> listed;
  for (const ShowEntry& e : list.Entries) listed.insert(e.line);
  bool added = false;
  for (const FoundProgramme& r : results) {
    const bool due = r.start > now ? WholeMinutesBetween(r.start, now) < minutes
                                   : EndOrAssumed(r.start, r.end) > now;
    if (!due) continue;
    std::string line = r.line.Text();
    if (!listed.insert(line).second) continue;
    list.Entries.push_back({std::move(line), r.start, r.end, true, r.fields});
    ++list.Pending;
    added = true;
  }
  return added ? Collected::kAppended : Collected::kNothing;
}

}  // namespace kolvar
