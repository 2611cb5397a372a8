#include "base/datetime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

namespace kolvar {

void PrintTo(const CalendarFields& f, std::ostream* os) {
  *os << f.year << '-' << f.month << '-' << f.day << " (" << f.dayOfWeek << ") " << f.hour << ':'
      << f.minute << ':' << f.second << '.' << f.millisecond;
}

namespace {

CalendarFields Fields(int y, int mo, int dow, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return CalendarFields{y, mo, dow, d, h, mi, s, ms};
}

TEST(DateTimeTest, EpochAndKnownDates) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(DecodeDateTime(0.0), Fields(1899, 12, 6, 30));
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(2024, 3, 5), 45356.0);
  EXPECT_EQ(DecodeDateTime(45356.0 + 21.5 / 24), Fields(2024, 3, 2, 5, 21, 30));
}

TEST(DateTimeTest, DatesBeforeTheEpochKeepAPositiveTimeOfDay) {
  EXPECT_EQ(EncodeDateTime(Fields(1899, 12, 0, 29, 6)), -1.25);
  EXPECT_EQ(DecodeDateTime(-1.25), Fields(1899, 12, 5, 29, 6));
  EXPECT_EQ(DecodeDateTime(1.25), Fields(1899, 12, 0, 31, 6));
}

TEST(DateTimeTest, LeapYearsFollowTheGregorianRule) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2023));
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_TRUE(EncodeDate(2024, 2, 29).has_value());
  EXPECT_FALSE(EncodeDate(2023, 2, 29).has_value());
  EXPECT_FALSE(EncodeDate(1900, 2, 29).has_value());
  EXPECT_EQ(*EncodeDate(2024, 3, 1) - *EncodeDate(2024, 2, 28), 2.0);
}

TEST(DateTimeTest, InvalidFieldsAreRefused) {
  EXPECT_FALSE(EncodeDate(2024, 13, 1).has_value());
  EXPECT_FALSE(EncodeDate(2024, 4, 31).has_value());
  EXPECT_FALSE(EncodeDate(0, 1, 1).has_value());
  EXPECT_FALSE(EncodeTime(24, 0, 0, 0).has_value());
  EXPECT_FALSE(EncodeTime(0, 60, 0, 0).has_value());
  EXPECT_FALSE(EncodeTime(0, 0, 0, 1000).has_value());
}

TEST(DateTimeTest, EveryDayOfFourCenturiesRoundTrips) {
  int expectedDow = 5;  // 1 January 1700 was a Friday
  for (int y = 1700; y < 2100; ++y) {
    for (int m = 1; m <= 12; ++m) {
      for (int d = 1; d <= DaysInMonth(y, m); ++d) {
        CalendarFields f = DecodeDateTime(*EncodeDateTime(Fields(y, m, 0, d, 18)));
        ASSERT_EQ(f, Fields(y, m, expectedDow, d, 18)) << y << '-' << m << '-' << d;
        expectedDow = (expectedDow + 1) % 7;
      }
    }
  }
}

TEST(DateTimeTest, DecodingRoundsToTheMillisecond) {
  // 21:30 is not exact in binary; decoding must not give 21:29:59.999.
  DateTime t = *EncodeDateTime(Fields(2024, 3, 0, 5, 21, 30));
  EXPECT_EQ(DecodeDateTime(t).minute, 30);
  // Just short of midnight rounds into the next day.
  EXPECT_EQ(DecodeDateTime(45356.0 + 0.9999999999), Fields(2024, 3, 3, 6));
}

// The day of the week alone is the decoded one's, at midnights (either side,
// either sign), far out of range and for NaN.
TEST(DateTimeTest, DayOfWeekIsTheDecodedOnes) {
  std::vector<DateTime> values = {std::nan(""), 1e300, -1e300, -693594.0, 2958465.9999999999};
  for (double day = -3; day <= 3; ++day) {
    for (double part : {0.0, 1e-9, 0.25, 0.9999999, 0.9999999999}) {
      values.push_back(45356.0 * day + part);
      values.push_back(day - part);
    }
  }
  for (const DateTime value : values) {
    EXPECT_EQ(DayOfWeekOf(value), DecodeDateTime(value).dayOfWeek) << value;
  }
}

TEST(DateTimeTest, NonsenseValuesDecodeWithoutHarm) {
  EXPECT_EQ(DecodeDateTime(std::numeric_limits<double>::quiet_NaN()), DecodeDateTime(0));
  EXPECT_EQ(DecodeDateTime(std::numeric_limits<double>::infinity()), DecodeDateTime(0));
  EXPECT_EQ(DecodeDateTime(-1e12), DecodeDateTime(0));
  EXPECT_EQ(DecodeDateTime(*EncodeDate(1, 1, 1)).year, 1);
  EXPECT_EQ(DecodeDateTime(*EncodeDate(9999, 12, 31) + 0.5).year, 9999);
}

TEST(DateTimeTest, WholeMinutesBetweenIgnoresRepresentationError) {
  DateTime a = *EncodeDateTime(Fields(2024, 3, 0, 5, 21, 30));
  DateTime b = *EncodeDateTime(Fields(2024, 3, 0, 5, 21, 0));
  EXPECT_EQ(WholeMinutesBetween(a, b), 30);
  EXPECT_EQ(WholeMinutesBetween(b, a), 30);
  EXPECT_EQ(WholeMinutesBetween(a, b + 10.5 / 1440), 19);  // 19.5 minutes: cut, not rounded
  EXPECT_GT(WholeMinutesBetween(std::numeric_limits<double>::quiet_NaN(), 0), 1'000'000);
  // Every minute of two days against the first (a truncation gives 4 for
  // 00:00-00:05 on 2026-12-01, and so in thousands of pairs), and minutes of a day
  // before 1899-12-30, whose fraction runs behind a negative day number, against
  // its last minute.
  for (const auto& [year, month, day, span] :
       {std::tuple{2026, 12, 1, 2880}, std::tuple{2024, 2, 28, 2880},
        std::tuple{1899, 12, 29, 1440}, std::tuple{1800, 1, 1, 1440}}) {
    const DateTime first = *EncodeDateTime(Fields(year, month, 0, day));
    const DateTime last = *EncodeDateTime(Fields(year, month, 0, day, 23, 59));
    for (int m = 0; m < span; ++m) {
      const DateTime t =
          *EncodeDateTime(Fields(year, month, 0, day + m / 1440, m / 60 % 24, m % 60));
      ASSERT_EQ(WholeMinutesBetween(t, first), m)
          << year << "-" << month << "-" << day << " +" << m;
      if (m < 1440) {
        ASSERT_EQ(WholeMinutesBetween(last, t), 1439 - m) << year << " " << m;
      }
    }
  }
}

TEST(FileTimeTest, KnownInstantsConvertWithoutTimeZone) {
  EXPECT_EQ(FileTimeToCalendar(0), Fields(1601, 1, 1, 1));
  EXPECT_EQ(FileTimeToCalendar(116444736000000000ULL), Fields(1970, 1, 4, 1));
  EXPECT_EQ(FileTimeToCalendar(133541478000000000ULL), Fields(2024, 3, 2, 5, 21, 30));
  // A leap day, with seconds and a fraction of a millisecond that is dropped.
  EXPECT_EQ(FileTimeToCalendar(133536816050000000ULL + 12345), Fields(2024, 2, 4, 29, 12, 0, 5, 1));
}

// A guide's times mostly stay on a day, now and then jump, and may be damaged.
TEST(FileTimeTest, TheDecoderOfARunDecodesEachTimeAsAlone) {
  std::mt19937_64 random(1601);
  FileTimeDecoder decoder;
  std::uint64_t t = 133541478000000000ULL;
  constexpr std::uint64_t kMinute = 600'000'000ULL;
  for (int i = 0; i < 20000; ++i) {
    switch (random() % 8) {
      case 0:
        t = random() % 4 == 0 ? random() : random() >> 1;  // anywhere, or refused
        break;
      case 1:
        t -= std::min(t, (random() % 3000) * kMinute);  // back
        break;
      default:
        t += (random() % 200) * kMinute + random() % 10'000'000;
    }
    ASSERT_EQ(decoder.Decode(t), FileTimeToCalendar(t)) << t;
  }
}

TEST(DateTimeTest, TheEncoderOfARunEncodesEachAsAlone) {
  std::mt19937 random(1899);
  DateTimeEncoder encoder;
  CalendarFields f{2024, 2, 0, 28, 23, 0, 0, 0};
  for (int i = 0; i < 20000; ++i) {
    auto in = [&random](int low, int high) {
      return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
    };
    switch (random() % 6) {
      case 0:  // anywhere, in range or not
        f = {in(-1, 10000), in(0, 13),  0,         in(0, 32),
             in(-1, 24),    in(-1, 60), in(0, 60), in(0, 1000)};
        break;
      case 1:
        f.day = in(1, 31);
        break;
      default:
        f.hour = in(0, 23);
        f.minute = in(0, 59);
    }
    ASSERT_EQ(encoder.Encode(f), EncodeDateTime(f)) << f.year << '-' << f.month << '-' << f.day;
  }
}

TEST(FileTimeTest, ValuesTheSystemRefusesAreRefused) {
  EXPECT_FALSE(FileTimeToCalendar(std::uint64_t{1} << 63).has_value());
  EXPECT_FALSE(FileTimeToCalendar(~std::uint64_t{0}).has_value());
  auto last = FileTimeToCalendar((std::uint64_t{1} << 63) - 1);
  ASSERT_TRUE(last.has_value());
  EXPECT_EQ(last->year, 30828);
  EXPECT_EQ(last->month, 9);
  EXPECT_EQ(last->day, 14);
}

TEST(FileTimeTest, CalendarFieldsConvertBack) {
  EXPECT_EQ(CalendarToFileTime(Fields(2024, 3, 0, 5, 21, 30)), 133541478000000000ULL);
  EXPECT_EQ(CalendarToFileTime(Fields(1601, 1, 0, 1)), 0u);
  EXPECT_FALSE(CalendarToFileTime(Fields(1600, 12, 0, 31)).has_value());
  EXPECT_FALSE(CalendarToFileTime(Fields(2023, 2, 0, 29)).has_value());
}

TEST(FileTimeTest, AgreesWithTheDateTimeCalendar) {
  // One programme start every 7 hours and 13 minutes across three years.
  const std::uint64_t start = 133541478000000000ULL;
  const std::uint64_t step = (7 * 60 + 13) * 60 * 10'000'000ULL;
  for (int i = 0; i < 4000; ++i) {
    auto f = FileTimeToCalendar(start + i * step);
    ASSERT_TRUE(f.has_value());
    DateTime t = *EncodeDateTime(*f);
    ASSERT_EQ(DecodeDateTime(t), *f) << i;
  }
}

}  // namespace
}  // namespace kolvar
