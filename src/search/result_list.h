// The result list: the programmes the last search run found. Entry i of each
// array belongs together.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "ui/controls.h"

namespace kolvar {

struct TFindStruct {
  std::int32_t Count = 0;
  std::vector<std::string> Lines;
  std::vector<DateTime> StartTimes;
  std::vector<DateTime> EndTimes;
  std::vector<std::int32_t> WordIndex;
};

void ClearResults(TFindStruct& results);

// Appends copies of from's entries first.. to to.
void AppendResults(TFindStruct& to, const TFindStruct& from, std::size_t first);

// Orders the results by start time, all four parts of an entry together, in
// O(n log n) but exactly as the established selection sort did: equal start
// times A, B, C come out as B, C, A. Only the first entries that all four hold.
void SortResults(TFindStruct& results);

// The result list box's tooltip for result index, shown as line: its keyword
// number and text, then the line with the end time after the start, wrapped at 70.
// keywordList: the keyword list the results refer to, when they come from one.
std::string ResultHint(const TFindStruct& results, int index, const std::string& line,
                       const std::vector<std::string>* keywordList);
inline constexpr char kResultListHint[] = "search resulst";

// Wraps a line longer than 70 characters after whole words (see the cc file).
std::string WrapHintLine(const std::string& line);

// What the result list box shows when there are no results.
struct EmptyListNotice {
  bool databaseOutdated = false;
  int checkedChannels = 0;
  std::string messOldDataBase;
};

// Refills the list box from the results and makes current the first programme on
// air, else the nearest coming one within 45000 minutes, else the last line.
void BuildResultList(const TFindStruct& results, ListBox& listBox, DateTime now,
                     const EmptyListNotice& notice);

}  // namespace kolvar
