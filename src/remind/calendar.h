// The result list as an iCalendar file (RFC 5545), which every calendar program
// imports: the user's matches then remind them on the phone or in the mail
// program, away from this PC.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/datetime.h"
#include "search/result_list.h"

namespace kolvar {

// How long a programme lasts in a calendar when the guide gives no end (the last
// programme of a channel).
inline constexpr int kCalendarUnknownEndMinutes = 60;
// The longest a programme is taken to last: a later end is a gap in the guide (a
// missing day), and the event lasts kCalendarUnknownEndMinutes. Six hours, as long
// as the reminders count a programme of unknown end on air.
inline constexpr double kCalendarLongestEndDays = 6.0 / 24;

// Whether a chosen file name asks for a calendar: it ends in ".ics", letter case
// aside.
bool IsCalendarFileName(std::string_view path);

// A moment in UTC as "yyyymmddThhmmssZ": when a calendar was written.
std::string CalendarStamp(DateTime utc);
// The system's UTC clock as a DateTime, for a program without a Platform.
DateTime UtcFromUnixTime(std::int64_t secondsSince1970);

// Builds the file one result at a time, so a long list is never copied first.
// Times are the guide's local times, written as floating times (no time zone), as
// the guide names none; texts go from Windows-1251 to UTF-8, escaped and folded
// at 75 octets, lines ended by CR LF.
class CalendarWriter {
 public:
  // Each event's alarm goes off alarmMinutes before its start (after it, when
  // negative); stamp is the DTSTAMP of every event.
  CalendarWriter(int alarmMinutes, std::string stamp);

  // One event: the title (the channel and time for a blank one), the channel as
  // its place, start and end (a length of kCalendarUnknownEndMinutes when the end
  // is unknown or further than kCalendarLongestEndDays), the result line as its
  // description, and a UID made of channel, the guide's own start, title and, for
  // a programme listed twice, its occurrence, so the same programme saved again
  // updates its event instead of doubling it. A result dated outside the years
  // 1..9999, which no calendar can hold, is left out.
  void Add(const FoundProgramme& result);
  // The whole file; the writer is spent.
  std::string Finish();

 private:
  // A content line, folded.
  void Line(std::string_view name, std::string_view value);
  // A text value: Windows-1251 in, escaped UTF-8 out.
  void TextLine(std::string_view name, std::string_view text);

  std::string out_;
  std::unordered_map<std::uint64_t, int> occurrences_;  // of each programme's id
  int alarmMinutes_;
  std::string stamp_;
};

}  // namespace kolvar
