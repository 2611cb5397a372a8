#include "search/result_list.h"

#include <algorithm>
#include <cstdio>

namespace kolvar {

void ClearResults(TFindStruct& results) { results = TFindStruct{}; }

void SortResults(TFindStruct& r) {
  const std::size_t n =
      std::min({r.Lines.size(), r.StartTimes.size(), r.EndTimes.size(), r.WordIndex.size()});
  if (n < 2) return;
  for (std::size_t pass = 0; pass + 1 < n; ++pass) {
    const std::size_t last = n - 1 - pass;
    std::size_t m = 0;
    for (std::size_t i = 1; i <= last; ++i) {
      if (r.StartTimes[i] > r.StartTimes[m]) m = i;
    }
    if (m != last) {
      std::swap(r.StartTimes[m], r.StartTimes[last]);
      std::swap(r.EndTimes[m], r.EndTimes[last]);
      std::swap(r.Lines[m], r.Lines[last]);
      std::swap(r.WordIndex[m], r.WordIndex[last]);
    }
  }
}

std::string WrapHintLine(const std::string& line) {
  if (line.size() <= 70) return line;
  // Every 70th counted character finishes its word instead, and the blank after
  // the word becomes a line feed; the finished word's characters are not counted.
  std::string out;
  std::size_t i = 0;
  std::size_t count = 0;
  while (i < line.size()) {
    if (++count % 70 != 0) {
      out += line[i++];
      continue;
    }
    if (line[i] == ' ') {
      out += '\n';
      ++i;
      continue;
    }
    while (i < line.size() && line[i] != ' ') out += line[i++];
    if (i >= line.size()) break;
    out += '\n';
    ++i;
  }
  return out;
}

std::string ResultHint(const TFindStruct& results, int index, const std::string& line,
                       const std::vector<std::string>* keywordList) {
  if (line.empty() || line[0] == '-' || index < 0) return kResultListHint;
  const auto at = static_cast<std::size_t>(index);
  const DateTime end = at < results.EndTimes.size() ? results.EndTimes[at] : 0;
  const std::int32_t word = at < results.WordIndex.size() ? results.WordIndex[at] : -1;

  CalendarFields f = DecodeDateTime(end);
  char endText[16];
  std::snprintf(endText, sizeof endText, "-%.2d:%.2d", f.hour, f.minute);
  std::size_t colon = line.find(':');
  std::size_t insertAt = std::min(line.size(), colon == std::string::npos ? 16 : colon + 3);
  std::string shown = line;
  shown.insert(insertAt, endText);

  std::string keyword = "-";
  if (keywordList && !keywordList->empty()) {
    if (word >= 0 && static_cast<std::size_t>(word) < keywordList->size()) {
      keyword = (*keywordList)[static_cast<std::size_t>(word)];
    } else {
      keyword = "keyword deleted or modified";
    }
  }
  return std::to_string(word + 1) + " [" + keyword + "]:\r" + WrapHintLine(shown);
}

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
