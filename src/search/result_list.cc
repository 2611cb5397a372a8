#include "search/result_list.h"

namespace kolvar {

void ClearResults(TFindStruct& results) { results = TFindStruct{}; }

void BuildResultList(const TFindStruct& results, ListBox& listBox, DateTime now,
                     const EmptyListNotice& notice) {
  listBox.Clear();
  if (results.Lines.empty()) {
    if (notice.databaseOutdated && notice.checkedChannels > 0) {
      listBox.Add("-" + notice.messOldDataBase);
    } else {
      listBox.Add("-no results found");
    }
    return;
  }
  for (const auto& line : results.Lines) listBox.Add(line);

  const int n = static_cast<int>(results.Lines.size());
  double best = 45000;
  int bestIndex = n - 1;
  for (int i = 0; i < n; ++i) {
    // The arrays may be shorter than the lines only if a run was cut short.
    DateTime start = i < static_cast<int>(results.StartTimes.size()) ? results.StartTimes[i] : 0;
    DateTime end = i < static_cast<int>(results.EndTimes.size()) ? results.EndTimes[i] : 0;
    if (end > now && start <= now) {
      listBox.SetItemIndex(i);
      return;
    }
    auto minutes = static_cast<double>(WholeMinutesBetween(start, now));
    if (minutes < best && start >= now) {
      best = minutes;
      bestIndex = i;
    }
  }
  listBox.SetItemIndex(bestIndex);
}

}  // namespace kolvar
