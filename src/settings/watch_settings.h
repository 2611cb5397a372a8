// The guide watcher's choices, in a file of their own beside "settings.ini":
// that file stays exactly as the versions before the watcher write and read it.
#pragma once

#include <string>
#include <string_view>

namespace kolvar {

inline constexpr char kWatchFileName[] = "watch.ini";
inline constexpr char kDefaultNewMatchesWording[] = "New matches in the guide (%n): %l";

struct WatchSettings {
  // Watch the guide for changes, search it when one has settled, and tell the
  // host of new matches.
  bool watch = true;
  // How the host is told; "%n" the number, "%l" the first few (known_matches.h).
  std::string messNewMatches = kDefaultNewMatchesWording;

  bool operator==(const WatchSettings&) const = default;
};

// Reads the lines it knows ("Watch = TRUE", "MessNewMatches = ..."), each at
// most once, in any order; any other line, and a missing one, leaves the default:
// a hand-edited or damaged file never stops the plug-in.
WatchSettings ParseWatchSettings(std::string_view text);
std::string WatchSettingsText(const WatchSettings& watch);

}  // namespace kolvar
