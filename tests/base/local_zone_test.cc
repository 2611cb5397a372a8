// The PC's zone rules applied to a local time, natively, under zones set by rule
// strings (no zone database needed): summer time by the date converted, not by
// today's.
#include "base/local_zone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

namespace kolvar {
namespace {

class ScopedZone {
 public:
  explicit ScopedZone(const char* rules) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    had_ = std::getenv("TZ") != nullptr;
    setenv("TZ", rules, 1);
    tzset();
  }
  ~ScopedZone() {
    if (had_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::string old_;
  bool had_ = false;
};

DateTime At(int year, int month, int day, int hour, int minute, int second = 0) {
  return EncodeDateTime({year, month, 0, day, hour, minute, second, 0}).value();
}

TEST(LocalZoneTest, LocalTimesBecomeUtcByTheRulesOfTheirDate) {
  struct Case {
    const char* zone;
    DateTime local;
    DateTime utc;
  };
  const Case cases[] = {
      {"CET-1CEST,M3.5.0,M10.5.0/3", At(2026, 12, 10, 20, 0), At(2026, 12, 10, 19, 0)},
      {"CET-1CEST,M3.5.0,M10.5.0/3", At(2026, 7, 10, 20, 0), At(2026, 7, 10, 18, 0)},
      {"CET-1CEST,M3.5.0,M10.5.0/3", At(2026, 1, 1, 0, 30, 15), At(2025, 12, 31, 23, 30, 15)},
      {"MSK-3", At(2026, 7, 10, 20, 0), At(2026, 7, 10, 17, 0)},
      {"EST5EDT,M3.2.0,M11.1.0", At(2026, 12, 10, 20, 0), At(2026, 12, 11, 1, 0)},
      {"EST5EDT,M3.2.0,M11.1.0", At(2026, 7, 10, 20, 0), At(2026, 7, 11, 0, 0)},
      {"UTC0", At(2030, 6, 14, 19, 30), At(2030, 6, 14, 19, 30)},
  };
  for (const Case& c : cases) {
    ScopedZone zone(c.zone);
    const std::optional<DateTime> utc = UtcFromLocal(c.local);
    ASSERT_TRUE(utc) << c.zone << " " << c.local;
    EXPECT_NEAR(*utc, c.utc, 0.01 / 86400) << c.zone << " " << c.local;
  }
  ScopedZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
  // The hour the clocks skip: one of the two offsets, whichever the system takes.
  const DateTime skipped = At(2026, 3, 29, 2, 30);
  const double hours = std::round((skipped - UtcFromLocal(skipped).value()) * 24);
  EXPECT_TRUE(hours == 1 || hours == 2) << hours;
  // No moment to give.
  for (DateTime odd : {0.0, -5.5, 3e6, std::nan("")}) EXPECT_FALSE(UtcFromLocal(odd)) << odd;
}

}  // namespace
}  // namespace kolvar
