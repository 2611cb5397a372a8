// jtvgen: writes JTV television guides (index *.ndx and data *.pdt per channel)
// for tests, the demo and the benchmarks. See --help.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "base/file_io.h"
#include "base/utf8.h"
#include "jtv_writer.h"

namespace {

using kolvar::CalendarFields;
using namespace kolvar::jtv;

constexpr char kHelp[] =
    "usage: jtvgen --out FOLDER [options]\n"
    "Writes a JTV guide: for every channel chNNN.ndx (programme starts) and\n"
    "chNNN.pdt (titles), programmes back to back, 5 minutes to 3 hours long.\n"
    "\n"
    "  --out FOLDER        where to write (made, with its parents, when missing)\n"
    "  --channels N        number of channels (default 10)\n"
    "  --days D            days of programmes per channel (default 7)\n"
    "  --start 'YYYY-MM-DD HH:MM'\n"
    "                      local time of every channel's first programme\n"
    "                      (1601-01-01 or later, as JTV start times are)\n"
    "  --start-minutes M   first programme M minutes from now (may be negative;\n"
    "                      default -90, so programmes are on air now)\n"
    "  --seed S            random seed; the same seed writes the same guide (default 1)\n"
    "  --language L        titles in en, ru (Windows-1251, some with Io), mixed, or\n"
    "                      varied (made-up Latin and Cyrillic words, thousands)\n"
    "                      (default mixed)\n"
    "  --shared-tail       the title at the end of every data file is one that an\n"
    "                      earlier programme and later ones share\n"
    "  --real-titles       titles repeat as in real guides: about a third of a\n"
    "                      channel's programmes bring a new title, the others repeat\n"
    "                      earlier ones; every programme's title is written anew, at\n"
    "                      an offset of its own, as providers write them\n"
    "  --descriptions      every title followed by a line feed and a description,\n"
    "                      often ending with the cast (\"Title\\nA story of...\n"
    "                      In the cast: ...\"), up to 255 bytes, as providers fold\n"
    "                      them into the title\n"
    "  --wrapped-pdt       data files grow past 64 KB as providers write them: every\n"
    "                      programme's title anew after the one before, offsets\n"
    "                      modulo 65,536 (with --descriptions a channel passes\n"
    "                      64 KB in some 35 days)\n"
    "  --cyrillic-names    channel files named in Cyrillic, as many guides name them\n"
    "                      (Windows-1251 names, UTF-8 on the Linux file system; the\n"
    "                      19th channel on repeats the names with \" (2)\", ...)\n"
    "  --damage KIND       damage every channel: truncated-index, offset-past-end,\n"
    "                      count-too-large or empty\n"
    "  --programmes FILE   the guide as FILE lists it instead, one programme a line:\n"
    "                      CHANNEL, a tab, 'YYYY-MM-DD HH:MM', a tab, the title\n"
    "                      (Windows-1251 bytes; \\n, \\r, \\t and \\\\ stand for a line\n"
    "                      feed, a carriage return, a tab and a backslash);\n"
    "                      channels in their first line's order\n"
    "  --help              this text\n";

bool ParseStart(const std::string& text, CalendarFields& f) {
  int y, mo, d, h, mi;
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d", &y, &mo, &d, &h, &mi) != 5) return false;
  f = CalendarFields{y, mo, 0, d, h, mi, 0, 0};
  // FILETIMEs start in 1601.
  return y >= 1601 && kolvar::EncodeDateTime(f).has_value();
}

CalendarFields MinutesFromNow(long minutes) {
  std::time_t now = std::time(nullptr) + minutes * 60;
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return CalendarFields{local.tm_year + 1900,
                        local.tm_mon + 1,
                        local.tm_wday,
                        local.tm_mday,
                        local.tm_hour,
                        local.tm_min,
                        0,
                        0};
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "jtvgen: %s\n(see jtvgen --help)\n", message.c_str());
  return 2;
}

// What the command line asks for.
struct Request {
  std::string out;
  GuideOptions guide;
  EncodeOptions encoding;
  std::optional<Damage> damage;
  std::string programmesFile;  // the guide as listed there, when given
  bool cyrillicNames = false;
};

// A channel's file name (without extension) and its programmes.
using Channels = std::vector<std::pair<std::string, std::vector<Programme>>>;

std::string Unescaped(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
  }
  return out;
}

// The channels a --programmes file lists; nullopt, with a message, for a line
// that is not "CHANNEL<tab>YYYY-MM-DD HH:MM<tab>TITLE".
std::optional<Channels> ReadProgrammes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    Fail("cannot read " + file);
    return std::nullopt;
  }
  Channels channels;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    Programme programme;
    if (tab2 == std::string::npos ||
        !ParseStart(line.substr(tab1 + 1, tab2 - tab1 - 1), programme.start)) {
      Fail(file + " line " + std::to_string(number) + ": CHANNEL, TIME and TITLE, tab apart");
      return std::nullopt;
    }
    programme.title = Unescaped(line.substr(tab2 + 1));
    const std::string channel = line.substr(0, tab1);
    auto known = std::find_if(channels.begin(), channels.end(),
                              [&](const auto& c) { return c.first == channel; });
    if (known == channels.end()) known = channels.insert(channels.end(), {channel, {}});
    known->second.push_back(std::move(programme));
  }
  return channels;
}

// Reads the options into request; an exit code when the program ends here (help
// printed, or an option refused).
std::optional<int> ParseArguments(int argc, char** argv, Request& request) {
  static const std::map<std::string, Language> kLanguages = {{"en", Language::kEnglish},
                                                             {"ru", Language::kRussian},
                                                             {"mixed", Language::kMixed},
                                                             {"varied", Language::kVaried}};
  static const std::map<std::string, Damage> kDamages = {
      {"truncated-index", Damage::kTruncatedIndex},
      {"offset-past-end", Damage::kOffsetPastEnd},
      {"count-too-large", Damage::kCountTooLarge},
      {"empty", Damage::kEmptyFiles}};
  GuideOptions& guide = request.guide;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--help") {
      std::fputs(kHelp, stdout);
      return 0;
    } else if (a == "--out") {
      request.out = value();
    } else if (a == "--channels") {
      guide.channels = std::atoi(value().c_str());
    } else if (a == "--days") {
      guide.days = std::atoi(value().c_str());
    } else if (a == "--start") {
      if (!ParseStart(value(), guide.start)) {
        return Fail("--start wants 'YYYY-MM-DD HH:MM', a valid time from 1601-01-01 on");
      }
    } else if (a == "--start-minutes") {
      guide.start = MinutesFromNow(std::atol(value().c_str()));
    } else if (a == "--seed") {
      guide.seed = static_cast<std::uint32_t>(std::strtoul(value().c_str(), nullptr, 10));
    } else if (a == "--language") {
      const std::string l = value();
      const auto language = kLanguages.find(l);
      if (language == kLanguages.end()) return Fail("unknown language " + l);
      guide.language = language->second;
    } else if (a == "--shared-tail") {
      request.encoding.sharedTail = true;
    } else if (a == "--real-titles") {
      guide.realRepeats = true;
      request.encoding.ownEntries = true;
    } else if (a == "--descriptions") {
      guide.descriptions = true;
    } else if (a == "--wrapped-pdt") {
      request.encoding.ownEntries = true;
      request.encoding.wrapOffsets = true;
    } else if (a == "--cyrillic-names") {
      request.cyrillicNames = true;
    } else if (a == "--damage") {
      const std::string d = value();
      const auto damage = kDamages.find(d);
      if (damage == kDamages.end()) return Fail("unknown damage " + d);
      request.damage = damage->second;
    } else if (a == "--programmes") {
      request.programmesFile = value();
    } else {
      return Fail("unknown option " + a);
    }
  }
  if (request.out.empty()) return Fail("--out is needed");
  if (guide.channels < 0 || guide.days < 0) return Fail("counts must not be negative");
  if (request.encoding.sharedTail && request.encoding.ownEntries) {
    return Fail("--shared-tail shares a title; --real-titles and --wrapped-pdt share none");
  }
  return std::nullopt;
}

int WriteGuide(Request request) {
  std::string& out = request.out;
  if (out.back() != '/' && out.back() != '\\') out += '/';
  // The files are written as the plug-in writes them, under Windows-1251 paths;
  // the command line's are UTF-8.
  const std::optional<std::string> folder = kolvar::Utf8ToCp1251(out);
  if (!folder) return Fail(out + " is not a folder name Windows-1251 can spell");
  std::error_code madeError;
  std::filesystem::create_directories(kolvar::ToNativePath(out), madeError);
  if (madeError) return Fail("cannot make " + out + ": " + madeError.message());

  const auto started = std::chrono::steady_clock::now();
  Channels guide;
  if (!request.programmesFile.empty()) {
    std::optional<Channels> listed = ReadProgrammes(request.programmesFile);
    if (!listed) return 2;
    guide = std::move(*listed);
  } else {
    std::vector<std::vector<Programme>> generated = GenerateGuide(request.guide);
    for (std::size_t c = 0; c < generated.size(); ++c) {
      const int number = static_cast<int>(c);
      guide.emplace_back(
          request.cyrillicNames ? CyrillicChannelFileStem(number) : ChannelFileStem(number),
          std::move(generated[c]));
    }
  }
  std::size_t programmes = 0;
  for (const auto& [name, channel] : guide) {
    ChannelFiles files;
    if (!EncodeChannel(channel, files, request.encoding)) {
      return Fail("channel too large for the format");
    }
    if (request.damage) ApplyDamage(files, *request.damage);
    if (!WriteChannel(*folder, name, files)) return Fail("cannot write into " + out);
    programmes += channel.size();
  }
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - started)
                      .count();
  std::fprintf(stderr, "jtvgen: %zu channels, %zu programmes in %s (%lld ms)\n", guide.size(),
               programmes, out.c_str(), static_cast<long long>(ms));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Request request;
  request.guide.start = MinutesFromNow(-90);
  if (const std::optional<int> exitCode = ParseArguments(argc, argv, request)) return *exitCode;
  return WriteGuide(std::move(request));
}
