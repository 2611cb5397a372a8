// Reading one channel of a JTV television guide: an index file (*.ndx) of
// programme starts and a data file (*.pdt) of titles. A guide comes from the
// internet and is untrusted: every count and offset is checked, and any damage
// ends the channel with false.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/datetime.h"

namespace kolvar {

// Offers one programme line (or, empty, the end of the last match) with its start;
// returns whether the line was taken as a result.
using MatchFn = std::function<bool(const std::string& line, DateTime start)>;

struct ReaderOptions {
  std::string path;                       // the guide's folder; the file name follows directly
  std::array<std::string, 7> daysOfWeek;  // 0 = Sunday
  bool fullSearch = false;
};

// What the reader tells its caller besides the lines.
struct ReaderHooks {
  MatchFn match = [](const std::string&, DateTime) { return false; };
  std::function<bool()> aborted = [] { return false; };  // polled after every programme
  std::function<void()> seenFutureProgramme = [] {};     // the guide is not out of date
};

// Date fields as the shift works on them; hour and minute come out normalised.
struct ShiftDate {
  int year = 0;
  int month = 1;
  int dayOfWeek = 0;
  int day = 1;
  int hour = 0;
  int minute = 0;
};

// Carries hour and minute overflow (one unit at most each way, enough for shifts
// of up to a day) into the day, month and year. February's length comes from the
// year being normalised.
void ShiftProgrammeTime(int hour, int minute, ShiftDate& date);

// The channel's name: the file name before its last dot; empty without one or when
// the only dot comes first.
std::string ChannelName(std::string_view fileName);
// The data file of an index file: the last three characters become "pdt".
std::string DataFileName(std::string_view indexPath);

// Which programmes of a channel are handed over, and when "now" is.
struct ReadWindow {
  int timeShiftMinutes = 0;  // the channel's shift, added to every start
  // The search window from now; 0 gives the short, time-only lines of the
  // now-showing listing.
  int windowMinutes = 0;
  DateTime now = 0;
};

// Reads the channel fileName (an index file of options.path) with its time shift
// and hands the programmes of the search window to hooks.match. True when the
// channel was read to one of its stop conditions, false when an error ended it.
bool ReadChannelFile(const ReaderOptions& options, const std::string& fileName,
                     const ReadWindow& window, const ReaderHooks& hooks);

// A channel's files as read: the index's head and its full size, and the data
// file's head, which holds every entry an offset can name (DataReadLimit). The
// index's count decides how many programmes there are.
struct ChannelBytes {
  std::string_view channel;  // the name the lines end with
  std::string_view index;
  std::uint64_t indexSize = 0;
  std::string_view data;
};

// ReadChannelFile on the files' bytes.
bool ReadChannelBytes(const ReaderOptions& options, const ChannelBytes& files,
                      const ReadWindow& window, const ReaderHooks& hooks);

// How much of the index the reader can ever use (counts are 16 bits).
inline constexpr std::size_t kIndexReadLimit = 2 + 12 * 65535;
// How much of the data file the reader can use with this index: 64 KB and one
// entry, and 64 KB more for every time its offsets wrap (see jtv_reader.cc).
std::size_t DataReadLimit(std::string_view index);

}  // namespace kolvar
