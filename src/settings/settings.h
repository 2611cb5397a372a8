// The settings record: every option of the plug-in, as read from "settings.ini".
// Field names follow the file's labels, so a field is easy to find in the file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kolvar {

struct TSettings {
  std::string Path;
  std::vector<std::string> Channels;
  std::int32_t ChannelCount = 0;
  std::int32_t WordCount = 0;
  std::vector<std::string> Words;
  std::vector<std::string> TimeShifts;
  std::int32_t TimeShiftCount = 0;
  std::int32_t FindMode = 0;
  std::int32_t CongenialityRate = 0;
  bool NoticeUnderstood = false;
  bool FullSearch = false;
  std::int32_t BeatDelay = 0;
  std::int32_t NotiseDelay = 0;
  std::int32_t PreviewTime = 0;
  std::int32_t Priority = 0;
  std::int32_t HourToEnd = 0;
  bool Remind = false;
  bool RemindStatusShowing = false;
  bool Sorted = false;
  bool ShowInPref = false;
  std::int32_t RepeatCount = 0;
  std::int32_t UntilMinutes = 0;
  std::int32_t MaxResultCount = 0;
  std::string OutStrFormat;
  std::array<std::string, 7> DaysOfWeek;   // 0 = Sunday
  std::array<std::string, 12> MonthsList;  // 0 = January
  std::string MessConfirmUnd;
  std::string MessEndOfList;
  std::string MessListDNTCreate;
  std::string MessListCreate;
  std::string MessRemindWasOff;
  std::string MessRemindOn;
  std::string MessRemindOff;
  std::string MessNothingForShow;
  std::string MessSearchStarting;
  std::string MessSearchComplete;
  std::string MessUntilNoResults;
  std::string MessOldDataBase;
  // The calendar file rewritten after every search; empty when none is kept.
  std::string CalendarFile;

  bool operator==(const TSettings&) const = default;
};

}  // namespace kolvar
