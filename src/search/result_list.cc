#include "search/result_list.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

namespace kolvar {

void ClearResults(TFindStruct& results) { results = TFindStruct{}; }

void AppendResults(TFindStruct& to, const TFindStruct& from, std::size_t first) {
  const std::size_t n = std::min(
      {from.Lines.size(), from.StartTimes.size(), from.EndTimes.size(), from.WordIndex.size()});
  for (std::size_t i = first; i < n; ++i) {
    to.Lines.push_back(from.Lines[i]);
    to.StartTimes.push_back(from.StartTimes[i]);
    to.EndTimes.push_back(from.EndTimes[i]);
    to.WordIndex.push_back(from.WordIndex[i]);
  }
  to.Count = static_cast<std::int32_t>(to.Lines.size());
}

void SortResults(TFindStruct& r) {
  const std::size_t n =
      std::min({r.Lines.size(), r.StartTimes.size(), r.EndTimes.size(), r.WordIndex.size()});
  if (n < 2) return;
  // The exchanges of the established selection sort, ties included, since users
  // rely on the order of equal start times; a tournament tree over the positions
  // not yet placed finds each pass's choice in O(log n) instead of a scan.
  const std::vector<DateTime>& start = r.StartTimes;
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  // The scan's choice: the first greatest start time. A NaN compares greater than
  // nothing and nothing compares greater than it, so it never displaces a number,
  // and one at position 0 is never displaced.
  auto pick = [&](std::size_t a, std::size_t b) {
    if (a == kNone) return b;
    if (b == kNone) return a;
    return std::isnan(start[a]) || start[b] > start[a] ? b : a;
  };
  const std::size_t leaves = std::bit_ceil(n);
  std::vector<std::size_t> tree(2 * leaves, kNone);
  for (std::size_t i = 0; i < n; ++i) tree[leaves + i] = i;
  for (std::size_t node = leaves - 1; node > 0; --node) {
    tree[node] = pick(tree[2 * node], tree[2 * node + 1]);
  }
  auto replay = [&](std::size_t position) {
    for (std::size_t node = (leaves + position) / 2; node > 0; node /= 2) {
      tree[node] = pick(tree[2 * node], tree[2 * node + 1]);
    }
  };
  for (std::size_t last = n - 1; last > 0; --last) {
    const std::size_t m = std::isnan(start[0]) ? 0 : tree[1];
    if (m != last) {
      std::swap(r.StartTimes[m], r.StartTimes[last]);
      std::swap(r.EndTimes[m], r.EndTimes[last]);
      std::swap(r.Lines[m], r.Lines[last]);
      std::swap(r.WordIndex[m], r.WordIndex[last]);
      replay(m);
    }
    tree[leaves + last] = kNone;
    replay(last);
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
