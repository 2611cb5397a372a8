#include "remind/show_list.h"

#include <unordered_set>

namespace kolvar {

void ClearShowList(TShow& list) { list = TShow{}; }

bool IsOver(const ShowEntry& entry, DateTime now) { return entry.end != 0 && entry.end < now; }

int CollectUpcoming(TShow& list, const TFindStruct& results, DateTime now, std::int32_t minutes) {
  std::unordered_set<std::string> listed;
  for (const ShowEntry& e : list.Entries) listed.insert(e.line);
  bool added = false;
  for (const FoundProgramme& r : results) {
    const bool due =
        r.start > now ? WholeMinutesBetween(r.start, now) < minutes : r.end == 0 || r.end > now;
    if (!due || !listed.insert(r.line).second) continue;
    list.Entries.push_back({r.line, r.start, r.end, true});
    ++list.Pending;
    added = true;
  }
  return added ? 2 : 1;
}

}  // namespace kolvar
