// A user's output template and a result line of any bytes through the taking
// apart and the filling in. Input: four bytes of numbers (index, count, end
// time, now and the first result's start), then the template up to the first
// LF (a settings line never holds one), then the result line.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "base/datetime.h"
#include "remind/output_template.h"

namespace {

using namespace kolvar;

void Check(bool ok) {
  if (!ok) std::abort();
}

// The cap the header promises for widths.
constexpr std::size_t kWidthCap = 1000;

// Ordinary moments and the ones a calendar cannot show.
constexpr std::array<DateTime, 8> kMoments = {0.0,
                                              45356.5,
                                              45356.999999999,
                                              -1.25,
                                              -700000.0,
                                              3000000.0,
                                              std::numeric_limits<double>::quiet_NaN(),
                                              1e300};

const std::array<std::string, 12> kMonths = {"January",   "February", "March",    "April",
                                             "May",       "June",     "July",     "August",
                                             "September", "October",  "November", "December"};

// The 1-based inclusive characters from..to, clipped, as the line's fields are cut.
std::string Cut(std::string_view line, std::size_t from, std::size_t to) {
  if (from > line.size()) return {};
  return std::string(line.substr(from - 1, std::min(to, line.size()) - from + 1));
}

bool IsPartOf(std::string_view line, const std::string& part) {
  return line.find(part) != std::string_view::npos;
}

void CheckParts(const ResultLineParts& parts, std::string_view line, const DateTime* first,
                DateTime now) {
  // Title, day name and channel are disjoint pieces of the line.
  Check(IsPartOf(line, parts.title) && IsPartOf(line, parts.dayOfWeek) &&
        IsPartOf(line, parts.channel));
  Check(parts.dayOfWeek.size() <= 2);
  Check(parts.title.size() + parts.dayOfWeek.size() + parts.channel.size() <= line.size());
  if (line.size() >= 3 && line[2] == ':') {
    Check(parts.begin == Cut(line, 1, 2) + ":" + Cut(line, 4, 5));
    const CalendarFields date = DecodeDateTime(first ? *first : now);
    Check(parts.year == std::to_string(date.year));
    Check(parts.month == std::to_string(date.month));
    Check(parts.day == std::to_string(date.day));
  } else {
    Check(parts.year == Cut(line, 1, 4) && parts.month == Cut(line, 6, 7) &&
          parts.day == Cut(line, 9, 10));
    Check(parts.begin == Cut(line, 12, 13) + ":" + Cut(line, 15, 16));
  }
}

// The longest text one conversion can take: a part, a month name, a count
// ("-2147483648"), a time "hh:mm", or the later date "y.m.d ".
std::size_t LongestText(const ResultLineParts& parts) {
  std::size_t longest = 11;
  for (const std::string* part : {&parts.year, &parts.month, &parts.day, &parts.begin, &parts.title,
                                  &parts.dayOfWeek, &parts.channel}) {
    longest = std::max(longest, part->size());
  }
  for (const std::string& month : kMonths) longest = std::max(longest, month.size());
  return std::max(longest, parts.year.size() + parts.month.size() + parts.day.size() + 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size < 4) return 0;
  const int index = static_cast<std::int8_t>(bytes[0]);
  const int count = static_cast<std::int8_t>(bytes[1]);
  const DateTime now = kMoments[bytes[3] % kMoments.size()];
  // Mostly near now, as reminders are, now and then a moment of the table.
  const DateTime endTime =
      bytes[2] < 32 ? kMoments[bytes[2] % kMoments.size()] : now + (bytes[2] - 32) / 96.0;
  const DateTime firstStart = kMoments[(bytes[3] >> 3) % kMoments.size()];
  const DateTime* first = bytes[3] & 0x80 ? &firstStart : nullptr;

  const std::string_view rest(reinterpret_cast<const char*>(bytes) + 4, size - 4);
  const std::size_t lf = rest.find('\n');
  const std::string_view outputTemplate = rest.substr(0, lf);
  const std::string_view line =
      lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);

  const ResultLineParts parts = TakeResultLineApart(line, first, now);
  CheckParts(parts, line, first, now);

  const std::string out =
      FormatOutputString(outputTemplate, parts, kMonths, endTime, index, count, now);
  const std::size_t percents =
      static_cast<std::size_t>(std::count(outputTemplate.begin(), outputTemplate.end(), '%'));
  if (percents == 0) {
    std::string expected(outputTemplate);
    std::replace(expected.begin(), expected.end(), '^', '\n');
    Check(out == expected);
  }
  // Characters outside conversions are copied at most once; each conversion
  // starts at a "%" and gives one text, padded to at most the cap.
  Check(out.size() <= outputTemplate.size() + percents * std::max(kWidthCap, LongestText(parts)));
  return 0;
}
