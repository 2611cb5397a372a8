// The PC's time zone: the guide's times are its local times, and a calendar
// other programs read wants the moment in UTC.
#pragma once

#include <optional>

#include "base/datetime.h"

namespace kolvar {

// The UTC moment of a local date and time, by the system's zone rules for that
// date (summer time as it is then, not as it is today); nullopt when the system
// cannot say. A local time a clock change skips or repeats gets the system's own
// choice. Each system has its own definition.
std::optional<DateTime> UtcFromLocal(DateTime local);

}  // namespace kolvar
