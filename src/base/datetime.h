// Date-times as the plug-in keeps them: days since 30 December 1899, local time,
// the time of day as the fraction. No time-zone conversion anywhere.
#pragma once

#include <cstdint>
#include <optional>

namespace kolvar {

using DateTime = double;

// Calendar fields in the layout of a Windows SYSTEMTIME.
struct CalendarFields {
  int year = 1899;
  int month = 12;     // 1..12
  int dayOfWeek = 6;  // 0 = Sunday .. 6 = Saturday
  int day = 30;       // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;

  bool operator==(const CalendarFields&) const = default;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Whole days from 1899-12-30 to the date; nullopt for an invalid date (year 1..9999).
std::optional<DateTime> EncodeDate(int year, int month, int day);
// Fraction of a day; nullopt when a field is out of range.
std::optional<DateTime> EncodeTime(int hour, int minute, int second, int millisecond);
// Dates before the epoch keep a positive time fraction behind a negative day
// number (-1.25 is 29 December 1899, 06:00), as the host and guide tools count.
std::optional<DateTime> EncodeDateTime(const CalendarFields& fields);
// The same for a run of fields that mostly fall on the date before's: each date's
// day number is worked out once.
class DateTimeEncoder {
 public:
  std::optional<DateTime> Encode(const CalendarFields& fields);

 private:
  int year_ = 0;
  int month_ = 0;
  int day_ = 0;
  std::optional<DateTime> date_;  // of year_, month_, day_ once one was asked
  bool cached_ = false;
};

// The whole minutes between two date-times, fraction cut off. Counted in whole
// milliseconds first, so 21:30 minus 21:00 is 30 and not 29.
std::int64_t WholeMinutesBetween(DateTime a, DateTime b);

// Rounds to the millisecond. dayOfWeek is filled in.
CalendarFields DecodeDateTime(DateTime value);
// DecodeDateTime(value).dayOfWeek, without the date: asked for every result.
int DayOfWeekOf(DateTime value);

// A FILETIME (100 ns intervals since 1601-01-01) to calendar fields, taken as they
// stand. Values at or above 2^63 are refused, as the system refuses them.
std::optional<CalendarFields> FileTimeToCalendar(std::uint64_t fileTime);
// The same for a run of times that mostly fall on the day before's: the calendar
// date is worked out once a day.
class FileTimeDecoder {
 public:
  std::optional<CalendarFields> Decode(std::uint64_t fileTime);

 private:
  std::int64_t day_ = -1;
  CalendarFields date_{};
};
// The reverse, for writing guides: calendar fields (from 1601 on) as a FILETIME.
std::optional<std::uint64_t> CalendarToFileTime(const CalendarFields& fields);

}  // namespace kolvar
