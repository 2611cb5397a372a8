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
