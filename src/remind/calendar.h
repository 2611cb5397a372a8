// The result list as an iCalendar file (RFC 5545), which every calendar program
// imports: the user's matches then remind them on the phone or in the mail
// program, away from this PC.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
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

// The UTC moment of a local time (the PC's zone rules), or nullopt when there is
// none to give.
using LocalToUtc = std::function<std::optional<DateTime>(DateTime local)>;

// What a calendar client shows as the calendar's name.
inline constexpr char kCalendarName[] = "Kolvar \xE2\x80\x94 TV matches";  // UTF-8 em dash

// Builds the file one result at a time, so a long list is never copied first.
// Times are written in UTC, converted from the guide's local times with toUtc, so
// every client and every subscription service places them alike; a time toUtc
// cannot convert (or every time, without toUtc) is written as a floating local
// time. Texts go from Windows-1251 to UTF-8, escaped and folded at 75 octets,
// lines ended by CR LF.
class CalendarWriter {
 public:
  // Each event's alarm goes off alarmMinutes before its start (after it, when
  // negative); none without alarmMinutes. stamp is the DTSTAMP of every event.
  CalendarWriter(std::optional<int> alarmMinutes, std::string stamp, LocalToUtc toUtc = {});

  // One event: the title (the channel and time for a blank one), the channel as
  // its place, start and end (a length of kCalendarUnknownEndMinutes when the end
  // is unknown or further than kCalendarLongestEndDays), the result line as its
  // description, the keyword that found it (when given) as its category, and a
  // UID made of channel, the guide's own start, title and, for a programme listed
  // twice, its occurrence, so the same programme saved again updates its event
  // instead of doubling it. A result dated outside the years 1..9999, which no
  // calendar can hold, is left out.
  void Add(const FoundProgramme& result, std::string_view keyword = {});
  // The whole file; the writer is spent. Without events the file holds the UTC
  // zone alone: a calendar needs one component, and an emptied calendar must
  // still replace a full one in a client that subscribes to it.
  std::string Finish();
  std::size_t EventCount() const { return events_; }

 private:
  // A content line, folded.
  void Line(std::string_view name, std::string_view value);
  // A text value: Windows-1251 in, escaped UTF-8 out.
  void TextLine(std::string_view name, std::string_view text);
  // "yyyymmddThhmmssZ" in UTC, or the local time floating; nothing for a year a
  // calendar cannot write.
  std::string TimeText(DateTime local);

  std::string out_;
  std::unordered_map<std::uint64_t, int> occurrences_;  // of each programme's id
  std::optional<int> alarmMinutes_;
  std::string stamp_;
  LocalToUtc toUtc_;
  // Local minus UTC, in days, by local hour; none where toUtc gave no answer.
  std::unordered_map<std::int64_t, std::optional<DateTime>> utcOffsets_;
  std::size_t events_ = 0;
};

}  // namespace kolvar
