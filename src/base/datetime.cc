#include "base/datetime.h"

#include <cmath>
#include <limits>

namespace kolvar {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

// Constant-initialised, so other files' static constants may use this file's
// functions without depending on the order of initialisation.
constexpr bool LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

constexpr int MonthLength(int year, int month) {
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && LeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 0001-01-01 (proleptic Gregorian) to the date.
constexpr std::int64_t DaysFromCivilStart(int year, int month, int day) {
  std::int64_t y = year - 1;
  std::int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m) days += MonthLength(year, m);
  return days + day - 1;
}

constexpr std::int64_t kEpochFromCivilStart = DaysFromCivilStart(1899, 12, 30);

// 1601-01-01 counted from 0001-01-01.
constexpr std::int64_t kFileTimeEpochFromCivilStart = DaysFromCivilStart(1601, 1, 1);

struct YearMonthDay {
  int year;
  int month;
  int day;
};

YearMonthDay CivilFromDays(std::int64_t daysFromCivilStart) {
  // 400-year cycles have 146097 days; walk down through centuries and years.
  std::int64_t n = daysFromCivilStart;
  std::int64_t cycles = n / 146097;
  n %= 146097;
  std::int64_t centuries = n / 36524;
  if (centuries == 4) centuries = 3;  // last day of a leap cycle
  n -= centuries * 36524;
  std::int64_t quads = n / 1461;
  n %= 1461;
  std::int64_t years = n / 365;
  if (years == 4) years = 3;
  n -= years * 365;
  int year = static_cast<int>(cycles * 400 + centuries * 100 + quads * 4 + years + 1);
  int month = 1;
  while (n >= DaysInMonth(year, month)) {
    n -= DaysInMonth(year, month);
    ++month;
  }
  return {year, month, static_cast<int>(n) + 1};
}

// 0001-01-01 was a Monday.
int DayOfWeekFromCivilDays(std::int64_t daysFromCivilStart) {
  return static_cast<int>((daysFromCivilStart + 1) % 7);
}

CalendarFields FieldsFrom(std::int64_t daysFromCivilStart, std::int64_t msOfDay) {
  YearMonthDay ymd = CivilFromDays(daysFromCivilStart);
  CalendarFields f;
  f.year = ymd.year;
  f.month = ymd.month;
  f.day = ymd.day;
  f.dayOfWeek = DayOfWeekFromCivilDays(daysFromCivilStart);
  f.hour = static_cast<int>(msOfDay / 3'600'000);
  f.minute = static_cast<int>(msOfDay / 60'000 % 60);
  f.second = static_cast<int>(msOfDay / 1000 % 60);
  f.millisecond = static_cast<int>(msOfDay % 1000);
  return f;
}

}  // namespace

bool IsLeapYear(int year) { return LeapYear(year); }

int DaysInMonth(int year, int month) { return MonthLength(year, month); }

std::optional<DateTime> EncodeDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month)) {
    return std::nullopt;
  }
  return static_cast<DateTime>(DaysFromCivilStart(year, month, day) - kEpochFromCivilStart);
}

std::optional<DateTime> EncodeTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999) {
    return std::nullopt;
  }
  std::int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
  return static_cast<DateTime>(ms) / kMsPerDay;
}

std::optional<DateTime> EncodeDateTime(const CalendarFields& f) {
  auto date = EncodeDate(f.year, f.month, f.day);
  auto time = EncodeTime(f.hour, f.minute, f.second, f.millisecond);
  if (!date || !time) return std::nullopt;
  return *date < 0 ? *date - *time : *date + *time;
}

std::optional<DateTime> DateTimeEncoder::Encode(const CalendarFields& f) {
  if (!cached_ || f.year != year_ || f.month != month_ || f.day != day_) {
    date_ = EncodeDate(f.year, f.month, f.day);
    year_ = f.year;
    month_ = f.month;
    day_ = f.day;
    cached_ = true;
  }
  const auto time = EncodeTime(f.hour, f.minute, f.second, f.millisecond);
  if (!date_ || !time) return std::nullopt;
  return *date_ < 0 ? *date_ - *time : *date_ + *time;
}

std::int64_t WholeMinutesBetween(DateTime a, DateTime b) {
  double ms = std::fabs(a - b) * kMsPerDay;
  if (!(ms < 1e15)) return std::numeric_limits<std::int32_t>::max();  // NaN or absurd
  return std::llround(ms) / 60'000;
}

namespace {

struct DayAndMs {
  std::int64_t civil = 0;  // days from the civil calendar's start
  std::int64_t ms = 0;     // of the day
};

DayAndMs ToDayAndMs(DateTime value) {
  // Outside years 1..9999 (or NaN) nothing is meaningful; decode the epoch instead
  // of running off the calendar.
  constexpr double kFirst = -static_cast<double>(kEpochFromCivilStart);
  constexpr double kPastLast =
      static_cast<double>(DaysFromCivilStart(9999, 12, 31) - kEpochFromCivilStart + 1);
  if (!(value > kFirst - 1 && value < kPastLast)) value = 0;
  double wholeDays = std::trunc(value);
  double fraction = std::fabs(value - wholeDays);
  auto ms = static_cast<std::int64_t>(std::llround(fraction * kMsPerDay));
  auto days = static_cast<std::int64_t>(wholeDays);
  if (ms >= kMsPerDay) {
    // Rounding reached the next midnight; it lies one day further from the epoch.
    ms -= kMsPerDay;
    days += value < 0 ? -1 : 1;
  }
  std::int64_t civil = days + kEpochFromCivilStart;
  if (civil < 0) civil = 0;  // rounding carried past the first day
  return {civil, ms};
}

}  // namespace

CalendarFields DecodeDateTime(DateTime value) {
  const DayAndMs at = ToDayAndMs(value);
  return FieldsFrom(at.civil, at.ms);
}

int DayOfWeekOf(DateTime value) { return DayOfWeekFromCivilDays(ToDayAndMs(value).civil); }

std::optional<CalendarFields> FileTimeToCalendar(std::uint64_t fileTime) {
  if (fileTime >= (std::uint64_t{1} << 63)) return std::nullopt;
  std::uint64_t totalMs = fileTime / 10'000;
  auto days = static_cast<std::int64_t>(totalMs / kMsPerDay);
  auto ms = static_cast<std::int64_t>(totalMs % kMsPerDay);
  std::int64_t civil = kFileTimeEpochFromCivilStart + days;
  return FieldsFrom(civil, ms);
}

std::optional<CalendarFields> FileTimeDecoder::Decode(std::uint64_t fileTime) {
  if (fileTime >= (std::uint64_t{1} << 63)) return std::nullopt;
  const std::uint64_t totalMs = fileTime / 10'000;
  const auto days = static_cast<std::int64_t>(totalMs / kMsPerDay);
  const auto ms = static_cast<std::int64_t>(totalMs % kMsPerDay);
  if (days != day_) {
    date_ = FieldsFrom(kFileTimeEpochFromCivilStart + days, 0);
    day_ = days;
  }
  CalendarFields f = date_;
  f.hour = static_cast<int>(ms / 3'600'000);
  f.minute = static_cast<int>(ms / 60'000 % 60);
  f.second = static_cast<int>(ms / 1000 % 60);
  f.millisecond = static_cast<int>(ms % 1000);
  return f;
}

}  // namespace kolvar

namespace kolvar {

std::optional<std::uint64_t> CalendarToFileTime(const CalendarFields& f) {
  if (f.year < 1601 || !EncodeDate(f.year, f.month, f.day) ||
      !EncodeTime(f.hour, f.minute, f.second, f.millisecond)) {
    return std::nullopt;
  }
  std::int64_t days = DaysFromCivilStart(f.year, f.month, f.day) - kFileTimeEpochFromCivilStart;
  std::int64_t ms =
      days * kMsPerDay + ((f.hour * 60LL + f.minute) * 60 + f.second) * 1000 + f.millisecond;
  return static_cast<std::uint64_t>(ms) * 10'000;
}

}  // namespace kolvar
