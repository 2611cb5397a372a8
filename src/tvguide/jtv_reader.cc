#include "tvguide/jtv_reader.h"

#include <cstdio>
#include <optional>

#include "base/byte_reader.h"
#include "base/file_io.h"

namespace kolvar {
namespace {

// printf's "%0.2d", without its cost for the usual values.
// Two digits, or as many as a value outside 0..99 takes; at most 11 characters.
char* PutTwoDigits(char* out, int value) {
  if (value >= 0 && value <= 99) {
    *out++ = static_cast<char>('0' + value / 10);
    *out++ = static_cast<char>('0' + value % 10);
    return out;
  }
  char buffer[16];
  const int n = std::snprintf(buffer, sizeof buffer, "%02d", value);
  for (int i = 0; i < n; ++i) *out++ = buffer[i];
  return out;
}

// "yyyy.mm.dd hh:mm Title[Dw]Channel", or "hh:mm Title[Dw]Channel" for window 0.
// Written into line, whose buffer the reader keeps from programme to programme.
void FormatProgrammeLine(std::string& line, const ShiftDate& d, std::string_view title,
                         const std::string& dayName, std::string_view channel, bool longForm) {
  // The date and time first, built whole: a character at a time into the string
  // costs more than the rest of reading a programme.
  char head[80];
  char* p = head;
  if (longForm) {
    if (d.year >= 1000 && d.year <= 9999) {
      p = PutTwoDigits(p, d.year / 100);
      p = PutTwoDigits(p, d.year % 100);
    } else {
      p += std::snprintf(p, 16, "%d", d.year);
    }
    *p++ = '.';
    p = PutTwoDigits(p, d.month);
    *p++ = '.';
    p = PutTwoDigits(p, d.day);
    *p++ = ' ';
  }
  p = PutTwoDigits(p, d.hour);
  *p++ = ':';
  p = PutTwoDigits(p, d.minute);
  *p++ = ' ';
  line.assign(head, static_cast<std::size_t>(p - head));
  line += title;
  line += '[';
  line += dayName;
  line += ']';
  line += channel;
}

}  // namespace

void ShiftProgrammeTime(int hour, int minute, ShiftDate& d) {
  if (minute < 0) {
    minute += 60;
    --hour;
  }
  if (hour < 0) {
    hour += 24;
    --d.day;
    d.dayOfWeek = d.dayOfWeek == 0 ? 6 : d.dayOfWeek - 1;
  }
  if (d.day == 0) {
    if (--d.month == 0) {
      d.month = 12;
      --d.year;
    }
    d.day = DaysInMonth(d.year, d.month);
  }
  if (minute >= 60) {
    minute -= 60;
    ++hour;
  }
  if (hour > 23) {
    hour -= 24;
    ++d.day;
    ++d.dayOfWeek;
  }
  if (d.dayOfWeek == 7) d.dayOfWeek = 0;
  if (d.day > DaysInMonth(d.year, d.month)) {
    d.day -= DaysInMonth(d.year, d.month);
    ++d.month;
  }
  if (d.month > 12) {
    d.month -= 12;
    ++d.year;
  }
  d.hour = hour;
  d.minute = minute;
}

std::string ChannelName(std::string_view fileName) {
  std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  return std::string(fileName.substr(0, dot));
}

std::string DataFileName(std::string_view indexPath) {
  std::size_t keep = indexPath.size() >= 3 ? indexPath.size() - 3 : 0;
  return std::string(indexPath.substr(0, keep)) + "pdt";
}

bool ReadChannelFile(const ReaderOptions& options, const std::string& fileName,
                     const ReadWindow& window, const ReaderHooks& hooks) {
  const std::string indexPath = options.path + fileName;
  std::optional<FileHead> index = ReadFileHead(indexPath, kIndexReadLimit);
  if (!index) return false;
  std::optional<FileHead> data = ReadFileHead(DataFileName(indexPath), kDataReadLimit);
  if (!data) return false;
  const std::string channel = ChannelName(fileName);
  return ReadChannelBytes(options, {channel, index->bytes, index->size, data->bytes}, window,
                          hooks);
}

bool ReadChannelBytes(const ReaderOptions& options, const ChannelBytes& files,
                      const ReadWindow& window, const ReaderHooks& hooks) {
  const std::string_view channel = files.channel;
  const std::string_view indexBytes = files.index;
  const std::uint64_t indexSize = files.indexSize;
  const std::string_view dataBytes = files.data;
  const int timeShiftMinutes = window.timeShiftMinutes;
  const int windowMinutes = window.windowMinutes;
  const DateTime now = window.now;
  const int shiftHours = timeShiftMinutes / 60;
  const int shiftMinutes = timeShiftMinutes - 60 * shiftHours;
  const bool fullSearch = options.fullSearch && windowMinutes != 0;

  ByteReader index(indexBytes);
  ByteReader data(dataBytes);
  std::optional<std::uint16_t> count = index.U16();
  if (!count) return false;

  bool openMatch = false;
  bool firstComing = true;
  std::string prevLine;
  std::string line;
  DateTime prevStart = now;
  FileTimeDecoder decoder;
  DateTimeEncoder encoder;
  for (int i = 1; i <= *count; ++i) {
    if (!index.Skip(2)) return false;
    std::optional<std::uint64_t> fileTime = index.U64();
    std::optional<std::uint16_t> offset = index.U16();
    if (!fileTime || !offset) return false;
    if (!data.Seek(*offset)) return false;
    std::optional<std::uint8_t> length = data.U8();
    if (!length || !data.Skip(1)) return false;
    std::optional<std::string_view> title = data.Bytes(*length);
    if (!title) return false;

    std::optional<CalendarFields> read = decoder.Decode(*fileTime);
    if (!read) return false;
    ShiftDate date{read->year, read->month, read->dayOfWeek, read->day, 0, 0};
    ShiftProgrammeTime(read->hour + shiftHours, read->minute + shiftMinutes, date);
    std::optional<DateTime> start =
        encoder.Encode({date.year, date.month, date.dayOfWeek, date.day, date.hour, date.minute,
                        read->second, read->millisecond});
    if (!start) return false;
    FormatProgrammeLine(line, date, *title, options.daysOfWeek[date.dayOfWeek], channel,
                        windowMinutes != 0);

    if (openMatch) openMatch = hooks.match(std::string(), *start);
    if (fullSearch) {
      openMatch = hooks.match(line, *start);
      if (*start > now) hooks.seenFutureProgramme();
    } else if (*start > now) {
      hooks.seenFutureProgramme();
      if (i > 1 && firstComing) {
        // The programme on air is the last one that started before now.
        openMatch = hooks.match(prevLine, prevStart);
        if (openMatch) hooks.match(std::string(), *start);
      }
      if (WholeMinutesBetween(now, *start) > windowMinutes) return true;
      openMatch = hooks.match(line, *start);
      firstComing = false;
    } else {
      prevLine = line;
      prevStart = *start;
    }
    if (openMatch && i == *count) hooks.match(std::string(), *start);

    // The data file's end is no stop: titles are shared, so the entry at its end
    // may belong to an earlier programme.
    if (hooks.aborted() || index.Position() >= indexSize) return true;
  }
  return true;
}

}  // namespace kolvar
