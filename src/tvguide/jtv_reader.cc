#include "tvguide/jtv_reader.h"

#include <algorithm>
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

// Offsets are 16 bits, and a provider's writer lets them wrap in a data file past
// 64 KB, each title written after the one before: where an offset falls below the
// one before, it has gone round once more. Taken so only where the entry found
// there fits the file (never in a file under 64 KB), and only in a channel whose
// offsets fall back no more often than its file could wrap them: more often, they
// go back to shared titles, and are read as written.
constexpr std::size_t kWrap = 65536;
// 65,535 titles of 257 bytes at most, each its own: a file of 16.8 MB.
constexpr std::size_t kMostWraps = 257;
constexpr std::size_t kEntryLimit = 65535 + 2 + 255;  // one entry from the last offset

// How often the offsets of the records the index holds fall back.
std::size_t OffsetFallbacks(std::string_view index) {
  ByteReader reader(index);
  const std::size_t count = reader.U16().value_or(0);
  std::size_t fallbacks = 0;
  std::uint16_t previous = 0;
  for (std::size_t i = 0; i < count && reader.Skip(10); ++i) {
    std::optional<std::uint16_t> offset = reader.U16();
    if (!offset) break;
    if (*offset < previous) ++fallbacks;
    previous = *offset;
  }
  return fallbacks;
}

// Where each programme's title entry stands in the data file, programme by
// programme in index order.
class TitlePositions {
 public:
  TitlePositions(std::string_view index, std::string_view data) : data_(data) {
    const std::size_t fallbacks = OffsetFallbacks(index);
    unwrap_ = fallbacks > 0 && data.size() >= 2 && fallbacks <= (data.size() - 2) / kWrap;
  }

  std::size_t Next(std::uint16_t offset) {
    if (!unwrap_) return offset;
    if (offset < previous_) base_ += kWrap;
    previous_ = offset;
    const std::size_t wrapped = base_ + offset;
    return base_ > 0 && Fits(wrapped) ? wrapped : offset;
  }

 private:
  bool Fits(std::size_t at) const {
    return data_.size() >= 2 && at <= data_.size() - 2 &&
           static_cast<std::uint8_t>(data_[at]) <= data_.size() - 2 - at;
  }

  std::string_view data_;
  bool unwrap_ = false;
  std::size_t base_ = 0;  // 64 KB for every fall of the offsets so far
  std::uint16_t previous_ = 0;
};

}  // namespace

std::size_t DataReadLimit(std::string_view index) {
  return kEntryLimit + kWrap * std::min(OffsetFallbacks(index), kMostWraps);
}

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
  std::optional<FileHead> data = ReadFileHead(DataFileName(indexPath), DataReadLimit(index->bytes));
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
  TitlePositions positions(indexBytes, dataBytes);
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
    if (!data.Seek(positions.Next(*offset))) return false;
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
