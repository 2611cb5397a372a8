#include <windows.h>

#include <cmath>

#include "base/local_zone.h"

namespace kolvar {

std::optional<DateTime> UtcFromLocal(DateTime local) {
  // Before 1899-12-31 the day number and the time of day run apart (see
  // EncodeDateTime): no guide is that old.
  if (!(local >= 1.0) || local > 2958466.0) return std::nullopt;
  const CalendarFields f = DecodeDateTime(std::round(local * 86400.0) / 86400.0);
  SYSTEMTIME wall{};
  wall.wYear = static_cast<WORD>(f.year);
  wall.wMonth = static_cast<WORD>(f.month);
  wall.wDay = static_cast<WORD>(f.day);
  wall.wDayOfWeek = static_cast<WORD>(f.dayOfWeek);
  wall.wHour = static_cast<WORD>(f.hour);
  wall.wMinute = static_cast<WORD>(f.minute);
  wall.wSecond = static_cast<WORD>(f.second);
  SYSTEMTIME utc{};
  // The zone in use, with its rules for the date converted.
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &wall, &utc)) return std::nullopt;
  const std::optional<DateTime> wallAgain =
      EncodeDateTime({wall.wYear, wall.wMonth, wall.wDayOfWeek, wall.wDay, wall.wHour, wall.wMinute,
                      wall.wSecond, 0});
  const std::optional<DateTime> moment = EncodeDateTime(
      {utc.wYear, utc.wMonth, utc.wDayOfWeek, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond, 0});
  if (!wallAgain || !moment) return std::nullopt;
  // The offset applied to the value itself, which keeps its fraction of a second.
  return local - (*wallAgain - *moment);
}

}  // namespace kolvar
