// kolvar-find: one search of a JTV guide folder from the command line, with the
// plug-in's own search run, printing the result list as the result list box
// shows it (Windows-1251 or UTF-8, LF line ends), or as a calendar, and nothing else
// on standard output.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "base/cp1251.h"
#include "base/local_zone.h"
#include "base/numbers.h"
#include "base/utf8.h"
#include "remind/calendar.h"
#include "search/collecting_context.h"
#include "search/result_list.h"
#include "search/search_run.h"
#include "tvguide/channel_catalogue.h"

namespace kolvar {
namespace {

constexpr char kUsage[] =
    "usage: kolvar-find [options] GUIDE_DIR KEYWORD_FILE\n"
    "\n"
    "Searches the JTV guide in GUIDE_DIR (chNNN.ndx with chNNN.pdt) for the keywords of\n"
    "KEYWORD_FILE, one keyword line per line in the plug-in's keyword syntax, and prints\n"
    "the result list as the plug-in's result list box lists it: one line per result,\n"
    "LF line ends (a single \"-...\" line when nothing is found).\n"
    "\n"
    "KEYWORD_FILE is read as UTF-8 when it starts with a UTF-8 byte order mark, or when\n"
    "it is valid UTF-8 holding a non-ASCII character; any other file as Windows-1251,\n"
    "the plug-in's own keyword text. A character of a UTF-8 file that Windows-1251\n"
    "cannot hold is refused, naming its line.\n"
    "\n"
    "  --mode N             find mode of terms without \"@\", 1..6 (default 3)\n"
    "  --rate N             congeniality rate, percent, 1..100 (default 86)\n"
    "  --full               full search: every programme of the guide\n"
    "  --hours N            search window in hours, 0..8784 (default 24); 0 gives the\n"
    "                       short lines of the now-showing search\n"
    "  --at \"YYYY-MM-DD HH:MM\"  the time taken as now (default the clock)\n"
    "  --channels A.ndx,B.ndx  the channels to search (default every channel)\n"
    "  --shift NAME#MINUTES time shift of a channel, MINUTES -1440..1440, repeatable\n"
    "                       (NAME as A.ndx)\n"
    "  --unsorted           keep the results in channel order\n"
    "  --limit N            stop after the channel that takes the results past N,\n"
    "                       0..2147483647\n"
    "  --format text|ics    text: the list (default); ics: the results as an iCalendar\n"
    "                       file (UTF-8, CR LF), one event per result, for calendar\n"
    "                       programs to import or subscribe to\n"
    "  --encoding windows-1251|utf-8\n"
    "                       the text list's characters: windows-1251 as the plug-in\n"
    "                       keeps them (default), utf-8 for terminals and pipes; not\n"
    "                       with --format ics, which is always UTF-8\n"
    "  --alarm N|none       ics: each event's alarm N minutes before its start,\n"
    "                       0..10080 (default 10, the plug-in's PreviewTime), or\n"
    "                       none for events without alarms\n"
    "  --time               print the search's elapsed time to standard error\n"
    "  --help               this text\n"
    "\n"
    "Exit status: 0 after a search, whether or not it found anything; 1 when memory\n"
    "ran out (the output holds what was found until then); 2 for a bad option, an\n"
    "unreadable folder or keyword file, or a keyword Windows-1251 cannot hold.\n";

struct Options {
  int mode = 3;
  int rate = 86;
  bool full = false;
  int hours = 24;
  std::optional<DateTime> at;
  std::vector<std::string> channels;
  std::vector<std::string> shifts;
  bool unsorted = false;
  std::optional<int> limit;
  bool time = false;
  bool calendar = false;
  std::optional<bool> utf8Output;  // set only by --encoding
  std::optional<int> alarm = 10;   // none: no alarms
  std::string guide;
  std::string keywordFile;
};

struct UsageError {
  std::string text;
};

// Input that cannot be searched: said as is, with exit status 2.
struct InputError {
  std::string text;
};

constexpr std::int32_t kMaxHours = 24 * 366;
constexpr std::int32_t kMaxShift = 1440;  // the plug-in's own time-shift range
// An alarm is a reminder of a programme to come: one after its start reminds of
// nothing, and a week ahead is as far as a guide reaches.
constexpr std::int32_t kMaxAlarm = 7 * 24 * 60;

std::int32_t Number(const std::string& option, const std::string& text, std::int32_t low,
                    std::int32_t high) {
  std::optional<std::int32_t> n = ParseInt32(text);
  if (!n || *n < low || *n > high) {
    throw UsageError{option + " takes a whole number " + std::to_string(low) + ".." +
                     std::to_string(high) + ", not \"" + text + "\""};
  }
  return *n;
}

std::optional<DateTime> ParseAt(const std::string& text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d%c", &y, &mo, &d, &h, &mi, &tail) != 5) {
    return std::nullopt;
  }
  if (h < 0 || h > 23 || mi < 0 || mi > 59) return std::nullopt;
  return EncodeDateTime({y, mo, 0, d, h, mi, 0, 0});
}

// A name from the command line as the core spells it (Windows-1251): Linux's
// command line and file names are UTF-8; other text is kept as it came.
std::string FromCommandLine(const std::string& text) {
#ifdef _WIN32
  return text;
#else
  return Utf8ToCp1251(text).value_or(text);
#endif
}

Options Parse(int argc, char** argv) {
  Options o;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError{arg + " needs a value"};
      return argv[++i];
    };
    if (arg == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--mode") {
      o.mode = Number(arg, value(), 1, 6);
    } else if (arg == "--rate") {
      o.rate = Number(arg, value(), 1, 100);
    } else if (arg == "--full") {
      o.full = true;
    } else if (arg == "--hours") {
      o.hours = Number(arg, value(), 0, kMaxHours);
    } else if (arg == "--at") {
      const std::string text = value();
      o.at = ParseAt(text);
      if (!o.at) throw UsageError{"--at needs \"YYYY-MM-DD HH:MM\", not \"" + text + "\""};
    } else if (arg == "--channels") {
      std::istringstream in(value());
      for (std::string name; std::getline(in, name, ',');) {
        if (!name.empty()) o.channels.push_back(FromCommandLine(name));
      }
    } else if (arg == "--shift") {
      const std::string text = value();
      const std::size_t hash = text.rfind('#');
      if (hash == std::string::npos) throw UsageError{"--shift needs NAME#MINUTES"};
      Number(arg + " MINUTES", text.substr(hash + 1), -kMaxShift, kMaxShift);
      o.shifts.push_back(FromCommandLine(text));
    } else if (arg == "--unsorted") {
      o.unsorted = true;
    } else if (arg == "--limit") {
      o.limit = Number(arg, value(), 0, INT32_MAX);
    } else if (arg == "--format") {
      const std::string format = value();
      if (format != "text" && format != "ics") throw UsageError{"--format must be text or ics"};
      o.calendar = format == "ics";
    } else if (arg == "--encoding") {
      const std::string encoding = value();
      if (encoding != "windows-1251" && encoding != "utf-8") {
        throw UsageError{"--encoding must be windows-1251 or utf-8"};
      }
      o.utf8Output = encoding == "utf-8";
    } else if (arg == "--alarm") {
      const std::string minutes = value();
      o.alarm =
          minutes == "none" ? std::nullopt : std::optional<int>(Number(arg, minutes, 0, kMaxAlarm));
    } else if (arg == "--time") {
      o.time = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError{"unknown option " + arg};
    } else {
      positional.push_back(arg);
    }
  }
  // Refused rather than ignored: a calendar asked for in Windows-1251 would
  // otherwise arrive in UTF-8 unannounced.
  if (o.calendar && o.utf8Output) {
    throw UsageError{"--encoding is for the text list; an ics calendar is always UTF-8"};
  }
  if (positional.size() != 2) throw UsageError{"GUIDE_DIR and KEYWORD_FILE are needed"};
  o.guide = positional[0];
  o.keywordFile = positional[1];
  return o;
}

std::string Cp1251FromUtf8(std::string_view line, std::size_t number, const std::string& file) {
  std::string out;
  ForEachUtf8(line, [&](char32_t c, std::string_view bytes) {
    std::optional<std::string> byte;
    if (c <= 0xFFFF) byte = Utf16ToCp1251(std::u16string(1, static_cast<char16_t>(c)));
    if (!byte) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
      throw InputError{"line " + std::to_string(number) + " of " + file + " holds \"" +
                       std::string(bytes) + "\" (" + code +
                       "), which Windows-1251, the plug-in's keyword text, cannot hold"};
    }
    out += *byte;
  });
  return out;
}

// The keyword lines in Windows-1251. A UTF-8 file is told by its byte order mark
// or by being valid UTF-8 with a non-ASCII byte: Windows-1251 text with Cyrillic
// letters is next to never valid UTF-8.
std::vector<std::string> ReadKeywords(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw InputError{"cannot read the keyword file " + file};
  // read() turns a failed read (a folder named as the file) into badbit, where
  // an istreambuf_iterator would throw.
  std::string bytes;
  char chunk[16384];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) bytes.append(chunk, in.gcount());
  if (in.bad()) throw InputError{"cannot read the keyword file " + file};
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  const bool bom = bytes.starts_with(kBom);
  if (bom) bytes.erase(0, kBom.size());

  std::vector<std::string> lines;
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  const bool utf8 = bom || (IsUtf8(bytes) && std::any_of(bytes.begin(), bytes.end(),
                                                         [](char c) { return (c & 0x80) != 0; }));
  if (!utf8) return lines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!IsUtf8(lines[i])) {
      throw InputError{"line " + std::to_string(i + 1) + " of " + file +
                       " is not UTF-8, though the file starts with a UTF-8 byte order mark"};
    }
    lines[i] = Cp1251FromUtf8(lines[i], i + 1, file);
  }
  return lines;
}

DateTime ClockNow() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  return EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_wday, local.tm_mday,
                         local.tm_hour, local.tm_min, local.tm_sec, 0})
      .value_or(0);
}

void WriteLine(std::string_view line, bool utf8) {
  if (utf8) {
    const std::string text = Cp1251ToUtf8(line);
    std::fwrite(text.data(), 1, text.size(), stdout);
  } else {
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  std::fputc('\n', stdout);
}

// Each result's line as the list box shows it, made in one buffer for all. Most
// hold no line break: those are written as they stand, not copied first.
void WriteResults(const TFindStruct& results, bool utf8) {
  std::string line;
  for (const FoundProgramme& r : results) {
    r.line.TextInto(line);
    if (line.find('\r') == std::string::npos && line.find('\n') == std::string::npos) {
      WriteLine(line, utf8);
    } else {
      WriteLine(OneLine(line), utf8);
    }
  }
}

int Run(const Options& o) {
  std::error_code error;
  if (!std::filesystem::is_directory(o.guide, error)) {
    std::cerr << "kolvar-find: cannot read the guide folder " << o.guide << '\n';
    return 2;
  }
  SearchArgs args;
  args.keywords = ReadKeywords(o.keywordFile);

  SearchSnapshot snapshot;
  TSettings& s = snapshot.settings;
  s.Path = FromCommandLine(o.guide);
  if (s.Path.back() != '/' && s.Path.back() != '\\') s.Path += '/';
  s.DaysOfWeek = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
  s.FindMode = o.mode;
  s.CongenialityRate = o.rate;
  s.FullSearch = o.full;
  s.MaxResultCount = o.limit ? *o.limit : 2147483647;
  s.TimeShifts = o.shifts;
  s.TimeShiftCount = static_cast<std::int32_t>(o.shifts.size());
  s.MessOldDataBase = "The TV guide is out of date: please update it";

  const ChannelListing listing = ListChannels(s.Path, s);
  int checked = 0;
  for (const std::string& name : listing.names) {
    bool wanted = o.channels.empty();
    for (const std::string& c : o.channels) wanted = wanted || UpperCase(c) == UpperCase(name);
    checked += wanted;
    snapshot.channels.push_back({name, wanted});
  }
  for (const std::string& c : o.channels) {
    bool known = false;
    for (const std::string& name : listing.names) known = known || UpperCase(c) == UpperCase(name);
    if (!known) std::cerr << "kolvar-find: no channel " << c << " in " << o.guide << '\n';
  }

  args.sorted = !o.unsorted;
  args.window = o.hours * 60;
  const DateTime now = o.at ? *o.at : ClockNow();
  CollectingContext context(now);
  context.onInformation = [](const std::string& text) { std::cerr << text << '\n'; };
  const auto begin = std::chrono::steady_clock::now();
  const bool normal = RunSearch(args, snapshot, context);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
  const bool utf8 = o.utf8Output.value_or(false);

  // The list box names unreadable channels only when nothing was found; here the
  // user hears of each.
  for (const std::string& channel : context.unreadable) {
    std::cerr << "kolvar-find: could not read " << channel << " in full\n";
  }
  // The lines are written from the results themselves: a second and a third copy
  // of a list of 200 000 would cost tens of megabytes. Only an empty list needs
  // the list box's placeholder line; a calendar is then empty.
  if (o.calendar) {
    CalendarWriter calendar(o.alarm, CalendarStamp(UtcFromUnixTime(std::time(nullptr))),
                            UtcFromLocal);
    for (const FoundProgramme& r : context.results) {
      const std::size_t k = static_cast<std::size_t>(r.keywordIndex);
      calendar.Add(r, r.keywordIndex >= 0 && k < args.keywords.size() ? args.keywords[k] : "");
    }
    const std::string text = calendar.Finish();
    std::fwrite(text.data(), 1, text.size(), stdout);
  } else if (context.results.empty()) {
    const ResultListing placeholder = BuildResultList(
        context.results, now, {context.outdated, checked, s.MessOldDataBase, context.unreadable});
    for (const std::string& line : placeholder.lines) WriteLine(line, utf8);
  } else {
    WriteResults(context.results, utf8);
  }
  std::fflush(stdout);
  if (o.time) {
    std::fprintf(stderr, "search: %.3f s, %zu results\n", took.count(), context.results.size());
  }
  if (!normal) std::cerr << "kolvar-find: out of memory; the search ended early\n";
  return normal ? 0 : 1;
}

}  // namespace
}  // namespace kolvar

int main(int argc, char** argv) {
#ifdef _WIN32
  // LF line ends and the bytes as they are.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  try {
    return kolvar::Run(kolvar::Parse(argc, argv));
  } catch (const kolvar::UsageError& e) {
    std::cerr << "kolvar-find: " << e.text << "\n(kolvar-find --help lists the options)\n";
    return 2;
  } catch (const kolvar::InputError& e) {
    std::cerr << "kolvar-find: " << e.text << '\n';
    return 2;
  } catch (const std::bad_alloc&) {
    std::cerr << "kolvar-find: out of memory\n";
    return 1;
  }
}
