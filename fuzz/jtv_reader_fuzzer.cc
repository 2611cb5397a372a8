// The channel reader on arbitrary files: the first two bytes of the input say how
// long the index file is, the rest is the data file. Any input must end in true or
// false, never in a crash, a hang or a read outside the buffers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tvguide/jtv_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size < 4) return 0;
  std::string_view input(reinterpret_cast<const char*>(bytes), size);
  std::size_t indexLength = (bytes[0] | bytes[1] << 8) % (size - 2 + 1);
  int shift = static_cast<int>(bytes[2]) * 12 - 1536;  // about -1440..1440 and beyond
  int window = bytes[3] % 4 == 0 ? 0 : bytes[3] * 10;
  std::string_view index = input.substr(4, indexLength > size - 4 ? size - 4 : indexLength);
  std::string_view data = input.substr(4 + index.size());

  kolvar::ReaderOptions options;
  options.daysOfWeek = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
  options.fullSearch = bytes[3] & 1;
  const kolvar::DateTime now = 45356.5;  // 5 March 2024, noon
  kolvar::ReaderHooks hooks;
  // Take some lines and not others, so both the matched and unmatched paths run.
  hooks.match = [](const std::string& line, kolvar::DateTime) {
    return !line.empty() && line.size() % 3 != 0;
  };
  kolvar::ReadChannelBytes(options, {"Fuzz", index, index.size(), data}, {shift, window, now},
                           hooks);
  return 0;
}
