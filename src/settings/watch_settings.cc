#include "settings/watch_settings.h"

#include "base/cp1251.h"
#include "base/text_lines.h"
#include "settings/settings_file.h"

namespace kolvar {
namespace {

constexpr std::string_view kHeader = "[Kolvar Guide Watch]";
constexpr std::string_view kWatchLabel = "Watch = ";
constexpr std::string_view kWordingLabel = "MessNewMatches = ";

}  // namespace

WatchSettings ParseWatchSettings(std::string_view text) {
  WatchSettings watch;
  bool watchRead = false;
  bool wordingRead = false;
  for (const std::string& line : SplitLines(text)) {
    const std::string upper = UpperCase(line);
    if (!watchRead && upper.starts_with(UpperCase(kWatchLabel))) {
      // As the settings' booleans read: only the whole line "... = TRUE" is true.
      watch.watch = upper == UpperCase(std::string(kWatchLabel) + "TRUE");
      watchRead = true;
    } else if (!wordingRead && line.starts_with(kWordingLabel)) {
      watch.messNewMatches = std::string(line.substr(kWordingLabel.size()));
      wordingRead = true;
    }
  }
  return watch;
}

std::string WatchSettingsText(const WatchSettings& watch) {
  std::string out(kHeader);
  out += "\r\n";
  out += std::string(kWatchLabel) + (watch.watch ? "TRUE" : "FALSE") + "\r\n";
  out += std::string(kWordingLabel) + SingleLine(watch.messNewMatches) + "\r\n";
  return out;
}

}  // namespace kolvar
