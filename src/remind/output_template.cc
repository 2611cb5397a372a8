#include "remind/output_template.h"

#include <algorithm>
#include <optional>

#include "base/numbers.h"
#include "search/result_list.h"

namespace kolvar {
namespace {

constexpr std::string_view kCodeLetters = "dmMybeDcstvia";
constexpr std::string_view kFlags = "-+ #0";
// Far beyond any host display, and small enough that "%999999999s" stays cheap.
constexpr std::size_t kMaxWidth = 1000;
constexpr std::size_t kMaxPrecision = 1'000'000'000;

// Characters from..to, 1-based and inclusive, clipped to the line.
std::string Chars(std::string_view line, std::size_t from, std::size_t to) {
  if (from < 1 || to < from || from > line.size()) return {};
  return std::string(line.substr(from - 1, std::min(to, line.size()) - from + 1));
}

// Digits only: the date texts come from the line, and "+3" or " 3" is no month.
std::optional<int> Decimal(std::string_view text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  return ParseInt32(text);
}

std::string TwoDigits(int value) {
  return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

std::string HourMinute(DateTime value) {
  const CalendarFields f = DecodeDateTime(value);
  return TwoDigits(f.hour) + ":" + TwoDigits(f.minute);
}

std::string CountText(int value) { return value >= 1 ? std::to_string(value) : "-"; }

std::string LaterDate(const ResultLineParts& p, DateTime now) {
  const auto year = Decimal(p.year), month = Decimal(p.month), day = Decimal(p.day);
  if (!year || !month || !day) return {};
  const auto date = EncodeDate(*year, *month, *day);
  if (!date || !(*date > now)) return {};
  return p.year + "." + p.month + "." + p.day + " ";
}

std::string CodeText(char code, const ResultLineParts& p, std::span<const std::string> months,
                     DateTime endTime, int index, int count, DateTime now) {
  switch (code) {
    case 'd':
      return p.day;
    case 'm':
      return p.month;
    case 'M':
      return MonthName(months, p.month);
    case 'y':
      return p.year;
    case 'b':
      return p.begin;
    case 'e':
      // 0 is the host's "no end known"; 30 December 1899 00:00 would mislead.
      return endTime == 0 ? "?" : HourMinute(endTime);
    case 'D':
      return p.dayOfWeek;
    case 'c':
      return p.channel;
    case 's':
      return p.title;
    case 't':
      return HourMinute(now);
    case 'v':
      return LaterDate(p, now);
    case 'i':
      return CountText(index);
    case 'a':
      return CountText(count);
    default:
      return {};
  }
}

// The digits at at, read up to cap (a longer number counts as cap).
std::size_t ReadNumber(std::string_view text, std::size_t& at, std::size_t cap) {
  std::size_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = std::min(value * 10 + static_cast<std::size_t>(text[at] - '0'), cap);
  }
  return value;
}

// Our own "%s" formatter: the template is the user's text, and a printf-family
// function given a stray "%n" or "%x" would write memory or read missing arguments.
std::string FormatStrings(std::string_view format, const std::vector<std::string>& texts) {
  std::string out;
  std::size_t next = 0;
  std::size_t at = 0;
  while (at < format.size()) {
    const std::size_t percent = format.find('%', at);
    out.append(format.substr(at, percent == std::string_view::npos ? percent : percent - at));
    if (percent == std::string_view::npos) break;

    std::size_t p = percent + 1;
    bool left = false;
    for (; p < format.size() && kFlags.find(format[p]) != std::string_view::npos; ++p) {
      left = left || format[p] == '-';
    }
    const std::size_t width = ReadNumber(format, p, kMaxWidth);
    // A precision only shortens a text: it needs no cap but against overflow.
    std::optional<std::size_t> precision;
    if (p < format.size() && format[p] == '.') precision = ReadNumber(format, ++p, kMaxPrecision);

    if (p == format.size()) {
      out.append(format.substr(percent));
      break;
    }
    const std::string_view conversion = format.substr(percent, p + 1 - percent);
    at = p + 1;
    if (conversion == "%%") {
      out += '%';
    } else if (format[p] == 's' && next < texts.size()) {
      std::string_view text = texts[next++];
      if (precision) text = text.substr(0, *precision);
      const std::size_t pad = width > text.size() ? width - text.size() : 0;
      if (!left) out.append(pad, ' ');
      out.append(text);
      if (left) out.append(pad, ' ');
    } else {
      out.append(conversion);
    }
  }
  return out;
}

}  // namespace

ResultLineParts TakeResultLineApart(std::string_view line, const DateTime* firstResultStart,
                                    DateTime now) {
  ResultLineParts parts;
  const bool isShort = line.size() >= 3 && line[2] == ':';
  const std::size_t titleStart = isShort ? 7 : 18;

  const std::size_t lastClose = line.rfind(']');
  const std::size_t close =  // 1-based; 0 when no "]" lies at or after the title start
      lastClose != std::string_view::npos && lastClose + 1 >= titleStart ? lastClose + 1 : 0;
  if (close) {
    parts.channel = Chars(line, close + 1, line.size());
    parts.dayOfWeek = Chars(line, close - 2, close - 1);
    if (close >= titleStart + 4) parts.title = Chars(line, titleStart, close - 4);
  } else {
    parts.channel = Chars(line, titleStart, line.size());
  }

  if (isShort) {
    parts.begin = Chars(line, 1, 2) + ":" + Chars(line, 4, 5);
    // Lines normally come from a non-empty result set; today is the best guess else.
    const CalendarFields f = DecodeDateTime(firstResultStart ? *firstResultStart : now);
    parts.day = std::to_string(f.day);
    parts.month = std::to_string(f.month);
    parts.year = std::to_string(f.year);
  } else {
    parts.year = Chars(line, 1, 4);
    parts.month = Chars(line, 6, 7);
    parts.day = Chars(line, 9, 10);
    parts.begin = Chars(line, 12, 13) + ":" + Chars(line, 15, 16);
  }
  return parts;
}

std::string MonthName(std::span<const std::string> months, const std::string& monthNumber) {
  const auto number = Decimal(monthNumber);
  if (!number || *number < 1 || *number > 12 || static_cast<std::size_t>(*number) > months.size()) {
    return {};
  }
  return months[static_cast<std::size_t>(*number) - 1];
}

std::string FormatOutputString(std::string_view outputTemplate, const ResultLineParts& parts,
                               std::span<const std::string> months, DateTime endTime, int index,
                               int count, DateTime now) {
  std::string format(outputTemplate);
  std::string codes;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    for (std::size_t j = i + 1; j < format.size() && format[j] != '%'; ++j) {
      if (kCodeLetters.find(format[j]) != std::string_view::npos) {
        codes += format[j];
        format[j] = 's';
        break;
      }
    }
  }
  std::replace(format.begin(), format.end(), '^', '\n');

  std::vector<std::string> texts;
  texts.reserve(codes.size());
  for (char code : codes) {
    texts.push_back(CodeText(code, parts, months, endTime, index, count, now));
  }
  return FormatStrings(format, texts);
}

std::string HostLineText(std::string_view resultLine, LineFields fields,
                         const HostLineTemplate& how, DateTime endTime, int index, int count) {
  ResultLineParts parts = TakeResultLineApart(OneLine(resultLine), how.firstResultStart, how.now);
  if (const std::optional<ProgrammeFields> known = FieldsOf(resultLine, fields)) {
    parts.title = OneLine(known->title);
    parts.dayOfWeek = known->dayName;
    parts.channel = known->channel;
  }
  return FormatOutputString(how.outputTemplate, parts, how.months, endTime, index, count, how.now);
}

}  // namespace kolvar
