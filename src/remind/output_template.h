// How a result line becomes the text of a reminder or a browsed entry: the line
// taken apart, and the user's output template filled with its parts.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "search/result_list.h"

namespace kolvar {

// A result line taken apart. Texts that the line does not hold are empty.
struct ResultLineParts {
  std::string year;
  std::string month;  // the month number as text
  std::string day;
  std::string begin;  // "hh:mm"
  std::string title;
  std::string dayOfWeek;
  std::string channel;
};

// Long lines ("yyyy.mm.dd hh:mm Title[Dw]Channel") carry their date; short ones
// ("hh:mm Title[Dw]Channel", third character ":") take the date of firstResultStart,
// or of now without a first result, as numbers without leading zeros. The last "]"
// from the title start on closes the day name; without one the channel is all from
// the title start and title and day name are empty. Any text is accepted; every part
// is cut from the line (begin from its two halves) or is such a date.
ResultLineParts TakeResultLineApart(std::string_view line, const DateTime* firstResultStart,
                                    DateTime now);

// The entry of months for a month number 1..12 ("3" or "03"); empty for any other
// text or a number beyond the list.
std::string MonthName(std::span<const std::string> months, const std::string& monthNumber);

// The user's template filled with a programme's parts. After "%", the first of the
// letters "dmMybeDcstvia" (before any further "%") becomes "s" and stands for:
// d, m, y the date texts of the parts; M the month name; b begin; e end time "hh:mm",
// "?" when endTime is 0; D day name; c channel; s title; t now as "hh:mm"; v "y.m.d "
// when that date lies after today, else empty; i index, a count, or "-" below 1.
// Every "^" becomes a line feed. Then "%[flags][width][.precision]s" takes the next
// text: of the flags "-+ #0" only "-" acts (left-justify); width pads with blanks,
// precision cuts; the width is capped at 1000. "%%" is one "%". Anything else, an "s"
// with no text left, or a "%" cut off by the end is copied as it stands. The
// template is never handed to a printf-family function.
std::string FormatOutputString(std::string_view outputTemplate, const ResultLineParts& parts,
                               std::span<const std::string> months, DateTime endTime, int index,
                               int count, DateTime now);

// What the host is sent for a reminder or a browsed entry, in one call: the result
// line made one line (a title's own breaks are not the template's "^"), taken
// apart and put into the user's template.
struct HostLineTemplate {
  std::string_view outputTemplate;
  std::span<const std::string> months;
  const DateTime* firstResultStart = nullptr;  // dates the short lines
  DateTime now = 0;
};
// fields, when known, name the title, day and channel instead of the line's
// brackets.
std::string HostLineText(std::string_view resultLine, LineFields fields,
                         const HostLineTemplate& how, DateTime endTime, int index = 0,
                         int count = 0);

}  // namespace kolvar
