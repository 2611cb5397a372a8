// The settings loader on any bytes. A text that loads must survive the writer:
// the record written and loaded again is the same record, and written once more
// the same bytes, so a save never changes what the user had.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/settings.h"
#include "settings/settings_file.h"

namespace {

using namespace kolvar;

void Check(bool ok) {
  if (!ok) std::abort();
}

// The loader takes a day name as any two characters, line ends included, which
// the writer documents it mends; every other loaded value the file holds as is.
TSettings AsTheFileHoldsIt(TSettings settings) {
  for (std::string& day : settings.DaysOfWeek) {
    day = SingleLine(day).substr(0, 2);
    day.resize(2, ' ');
  }
  return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  TSettings loaded;
  LoadFailure failure;
  if (LoadSettingsText(text, loaded, &failure) != 1) {
    Check(failure.reason.starts_with("Load Error") && failure.line >= 1);
    Check(LoadErrorText("settings.ini", failure).starts_with("Load Error\r\n"));
    return 0;
  }

  const std::string written = SettingsText(loaded);
  TSettings reloaded;
  Check(LoadSettingsText(written, reloaded) == 1);
  Check(reloaded == AsTheFileHoldsIt(loaded));
  Check(SettingsText(reloaded) == written);
  return 0;
}
