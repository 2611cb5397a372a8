// The matches the plug-in has listed before, kept in a small file of its own, so
// that a run can tell which of its matches are new, also across a closed host.
// A match is known by its channel, the guide's own start and its title: a change
// of the channel's time shift or of the day names does not make it new.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "search/result_list.h"

namespace kolvar {

inline constexpr char kKnownMatchesFileName[] = "KnownMatches.txt";

// Programmes are remembered this many days past their guide start's day: long
// enough for a guide that repeats yesterday, short enough to keep the file small.
inline constexpr std::int32_t kKnownMatchDays = 3;

struct KnownMatch {
  std::uint64_t id = 0;
  std::int32_t day = 0;  // of the guide's own start, days since 1899-12-30

  bool operator==(const KnownMatch&) const = default;
};

// Ordered by id, no id twice.
using KnownMatches = std::vector<KnownMatch>;

// A 64-bit hash of channel, guide start (to the second) and title. A line that
// cannot be taken apart is known by the whole line and its start.
std::uint64_t MatchIdentity(const FoundProgramme& result);
KnownMatch KnowMatch(const FoundProgramme& result);
// The day number of a date-time; dates outside the years 1..9999 give 0.
std::int32_t DayOf(DateTime value);

bool IsKnown(const KnownMatches& known, std::uint64_t id);

// known and seen together, ordered, without the entries before firstKeptDay.
KnownMatches MergeKnown(const KnownMatches& known, std::vector<KnownMatch> seen,
                        std::int32_t firstKeptDay);

// The file: a header line, then per day "yyyy.mm.dd" and up to 16 ids in hex.
std::string KnownMatchesText(const KnownMatches& known);
// nullopt when the text is not such a file (damaged, or another file's).
std::optional<KnownMatches> ParseKnownMatches(std::string_view text);

// How the host is told of new matches: wording with "%n" for their number and
// "%l" for the first few, each "Title (Channel, Dw hh:mm)", from their result
// lines; "..." follows when there are more.
inline constexpr std::size_t kNewMatchesNamed = 3;
std::string NewMatchesText(std::string_view wording, std::size_t count,
                           const std::vector<std::string>& firstLines);

}  // namespace kolvar
