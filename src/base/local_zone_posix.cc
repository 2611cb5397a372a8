#include <cmath>
#include <ctime>

#include "base/local_zone.h"

namespace kolvar {

std::optional<DateTime> UtcFromLocal(DateTime local) {
  // Before 1899-12-31 the day number and the time of day run apart (see
  // EncodeDateTime): no guide is that old.
  if (!(local >= 1.0) || local > 2958466.0) return std::nullopt;
  // Whole seconds: a zone's offset is, and mktime counts no less.
  const CalendarFields f = DecodeDateTime(std::round(local * 86400.0) / 86400.0);
  std::tm wall{};
  wall.tm_year = f.year - 1900;
  wall.tm_mon = f.month - 1;
  wall.tm_mday = f.day;
  wall.tm_hour = f.hour;
  wall.tm_min = f.minute;
  wall.tm_sec = f.second;
  std::tm asLocal = wall;
  asLocal.tm_isdst = -1;  // the zone's rules for that date decide
  const std::time_t utc = std::mktime(&asLocal);
  if (utc == static_cast<std::time_t>(-1)) return std::nullopt;
  // How far the wall clock is ahead of UTC then.
  const std::time_t offset = timegm(&wall) - utc;
  return local - static_cast<DateTime>(offset) / 86400.0;
}

}  // namespace kolvar
