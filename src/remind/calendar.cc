#include "remind/calendar.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "base/cp1251.h"
#include "base/datetime.h"
#include "remind/output_template.h"

namespace kolvar {
namespace {

constexpr std::size_t kFoldOctets = 75;

// "yyyymmddThhmmss", or nothing for a year a calendar cannot write.
std::string LocalTimeText(DateTime value) {
  // Before the epoch the time of day is a positive fraction behind a negative day
  // number, so the first day's times lie between its number and the one below.
  static const DateTime kFirst = EncodeDate(1, 1, 1).value_or(0) - 1;
  static const DateTime kPastLast = EncodeDate(9999, 12, 31).value_or(0) + 1;
  if (!(value > kFirst && value < kPastLast)) return {};  // NaN included
  const CalendarFields f = DecodeDateTime(value);
  char text[64];
  std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d", f.year, f.month, f.day, f.hour,
                f.minute, f.second);
  return text;
}

// Backslash, semicolon and comma escaped, a line break (CR LF, CR or LF) as "\n";
// other control characters, which a text value may not hold, become blanks.
std::string EscapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' || c == ';' || c == ',') {
      out += '\\';
      out += c;
    } else if (c == '\r' || c == '\n') {
      out += "\\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) {
      out += ' ';
    } else if (c == '\x98') {
      // Undefined in Windows-1251; as U+0098 it would be a C1 control.
      continue;
    } else {
      out += c;
    }
  }
  return out;
}

std::uint64_t Fnv1a64(std::string_view text, std::uint64_t hash = 14695981039346656037ull) {
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

}  // namespace

bool IsCalendarFileName(std::string_view path) {
  if (path.size() < 4) return false;
  const std::string_view tail = path.substr(path.size() - 4);
  return tail[0] == '.' && (tail[1] | 0x20) == 'i' && (tail[2] | 0x20) == 'c' &&
         (tail[3] | 0x20) == 's';
}

std::string CalendarStamp(DateTime utc) {
  // To the second, rounded, so 12:00:00 is never written as 11:59:59.
  const CalendarFields f = DecodeDateTime(std::round(utc * 86400.0) / 86400.0);
  char text[64];
  std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", f.year, f.month, f.day, f.hour,
                f.minute, f.second);
  return text;
}

DateTime UtcFromUnixTime(std::int64_t secondsSince1970) {
  constexpr DateTime kUnixEpoch = 25569;  // 1970-01-01 as a DateTime
  return kUnixEpoch + static_cast<DateTime>(secondsSince1970) / 86400.0;
}

CalendarWriter::CalendarWriter(std::optional<int> alarmMinutes, std::string stamp, LocalToUtc toUtc)
    : alarmMinutes_(alarmMinutes), stamp_(std::move(stamp)), toUtc_(std::move(toUtc)) {
  Line("BEGIN", "VCALENDAR");
  Line("VERSION", "2.0");
  Line("PRODID", "-//Kestrimon//Kolvar//EN");
  // No METHOD: the file is for import, not a scheduling message, and PUBLISH
  // without an ORGANIZER fails strict readers.
  Line("CALSCALE", "GREGORIAN");
  // The name clients show instead of the file's: NAME is the standard's,
  // X-WR-CALNAME the one subscriptions have long read.
  Line("NAME", kCalendarName);
  Line("X-WR-CALNAME", kCalendarName);
}

std::string CalendarWriter::TimeText(DateTime local) {
  if (toUtc_) {
    // A zone's offset changes on the hour, and asking the system costs more than
    // the rest of an event: one answer serves each local hour.
    const auto hour = static_cast<std::int64_t>(std::floor(local * 24));
    auto [at, added] = utcOffsets_.try_emplace(hour);
    if (added) {
      if (const std::optional<DateTime> utc = toUtc_(local)) at->second = local - *utc;
    }
    if (at->second) {
      const DateTime utc = local - *at->second;
      if (!LocalTimeText(utc).empty()) return CalendarStamp(utc);
    }
  }
  return LocalTimeText(local);
}

void CalendarWriter::Add(const FoundProgramme& result, std::string_view keyword) {
  const std::string localStart = LocalTimeText(result.start);
  if (localStart.empty()) return;
  // The reader gives the next programme's start as the end, or the programme's own
  // start (or nothing) when there was none. An end further away than a programme
  // is assumed to last on air is a gap in the guide, not this programme's end.
  const bool endKnown =
      result.end > result.start && result.end - result.start <= kCalendarLongestEndDays;
  const std::string start = TimeText(result.start);
  const std::string end = endKnown ? TimeText(result.end) : std::string();
  // The reader's own fields where the result kept them, so a channel named
  // "Sport [HD]" stays one; else the line is taken apart.
  const std::string line = result.line.Text();
  std::string title;
  std::string channel;
  if (const std::optional<ProgrammeFields> fields = FieldsOf(line, result.fields)) {
    title = fields->title;
    channel = fields->channel;
  } else {
    const ResultLineParts parts = TakeResultLineApart(line, &result.start, result.start);
    title = parts.title;
    channel = parts.channel;
  }
  // A line without its day name has no title of its own: the whole line is shown.
  const bool whole = title.empty();
  if (whole) title = line;
  // A title of blanks names nothing: the channel and the time say what it is. The
  // identity keeps the guide's blanks, which a time shift leaves alone.
  std::string summary = title;
  if (title.find_first_not_of(" \t") == std::string::npos) {
    summary = channel + (channel.empty() ? "" : " ") + localStart.substr(9, 2) + ":" +
              localStart.substr(11, 2);
  }

  // What the guide knows the programme by: its channel, its own start before the
  // user's time shift (a shift corrected later updates the event instead of
  // doubling it) and its title; a programme listed twice counts its occurrences.
  const std::string guideStart =
      result.guideStart != 0 ? LocalTimeText(result.guideStart) : localStart;
  std::uint64_t id = Fnv1a64(channel);
  id = Fnv1a64(std::string_view("\x1f", 1), id);
  id = Fnv1a64(guideStart, id);
  id = Fnv1a64(std::string_view("\x1f", 1), id);
  id = Fnv1a64(title, id);
  const int occurrence = occurrences_[id]++;
  if (occurrence > 0) id = Fnv1a64("\x1f#" + std::to_string(occurrence), id);
  char uid[40];
  std::snprintf(uid, sizeof uid, "%016llx@kolvar", static_cast<unsigned long long>(id));

  Line("BEGIN", "VEVENT");
  Line("UID", uid);
  Line("DTSTAMP", stamp_);
  Line("DTSTART", start);
  if (end.empty()) {
    Line("DURATION", "PT" + std::to_string(kCalendarUnknownEndMinutes) + "M");
  } else {
    Line("DTEND", end);
  }
  TextLine("SUMMARY", summary);
  if (!whole && !channel.empty()) TextLine("LOCATION", channel);
  TextLine("DESCRIPTION", line);
  // The keyword as the user wrote it, one category: a comma in it is escaped.
  if (!keyword.empty()) TextLine("CATEGORIES", keyword);
  if (alarmMinutes_) {
    Line("BEGIN", "VALARM");
    Line("ACTION", "DISPLAY");
    TextLine("DESCRIPTION", summary);
    const std::int64_t minutes = *alarmMinutes_;
    Line("TRIGGER",
         (minutes >= 0 ? "-PT" : "PT") + std::to_string(minutes >= 0 ? minutes : -minutes) + "M");
    Line("END", "VALARM");
  }
  Line("END", "VEVENT");
  ++events_;
}

std::string CalendarWriter::Finish() {
  if (events_ == 0) {
    Line("BEGIN", "VTIMEZONE");
    Line("TZID", "UTC");
    Line("BEGIN", "STANDARD");
    Line("DTSTART", "19700101T000000");
    Line("TZOFFSETFROM", "+0000");
    Line("TZOFFSETTO", "+0000");
    Line("END", "STANDARD");
    Line("END", "VTIMEZONE");
  }
  Line("END", "VCALENDAR");
  return std::move(out_);
}

void CalendarWriter::TextLine(std::string_view name, std::string_view text) {
  Line(name, Cp1251ToUtf8(EscapeText(text)));
}

void CalendarWriter::Line(std::string_view name, std::string_view value) {
  std::string line;
  line.reserve(name.size() + 1 + value.size());
  line.append(name).append(":").append(value);
  // Folded at 75 octets, each further line opening with a blank; never inside a
  // UTF-8 sequence.
  std::size_t at = 0;
  std::size_t room = kFoldOctets;
  while (line.size() - at > room) {
    std::size_t cut = at + room;
    while (cut > at && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    out_.append(line, at, cut - at).append("\r\n ");
    at = cut;
    room = kFoldOctets - 1;
  }
  out_.append(line, at, std::string::npos).append("\r\n");
}

}  // namespace kolvar
