#include "tvguide/jtv_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "jtv_writer.h"
#include "support/temp_dir.h"

namespace kolvar {
namespace {

using jtv::ChannelFiles;
using jtv::Programme;

// Tuesday, 5 March 2024, 12:00.
const DateTime kNow = *EncodeDateTime({2024, 3, 2, 5, 12, 0, 0, 0});

DateTime At(double minutesFromNow) { return kNow + minutesFromNow / 1440; }

Programme P(double minutesFromNow, std::string title) {
  return {DecodeDateTime(At(minutesFromNow)), std::move(title)};
}

ReaderOptions Options(bool fullSearch = false) {
  ReaderOptions o;
  o.daysOfWeek = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
  o.fullSearch = fullSearch;
  return o;
}

// Reads the programmes as a channel "First" and records what the matcher saw:
// lines as they are, end-time calls as "end hh:mm". Takes every line unless the
// title is listed in refuse.
struct Reading {
  std::vector<std::string> calls;
  bool result = false;
  bool sawFuture = false;
};

Reading Read(const ChannelFiles& files, int shift, int window, bool fullSearch = false,
             std::vector<std::string> refuse = {}, int abortAfter = -1) {
  Reading r;
  int programmes = 0;
  ReaderHooks hooks;
  hooks.match = [&](const std::string& line, DateTime start) {
    if (line.empty()) {
      CalendarFields f = DecodeDateTime(start);
      char text[32];
      std::snprintf(text, sizeof text, "end %02d:%02d", f.hour, f.minute);
      r.calls.push_back(text);
      return false;
    }
    r.calls.push_back(line);
    for (const auto& word : refuse) {
      if (line.find(word) != std::string::npos) return false;
    }
    return true;
  };
  hooks.aborted = [&] { return ++programmes == abortAfter; };
  hooks.seenFutureProgramme = [&] { r.sawFuture = true; };
  r.result =
      ReadChannelBytes(Options(fullSearch), {"First", files.index, files.index.size(), files.data},
                       {shift, window, kNow}, hooks);
  return r;
}

Reading Read(const std::vector<Programme>& programmes, int shift, int window,
             bool fullSearch = false, std::vector<std::string> refuse = {}) {
  ChannelFiles files;
  EXPECT_TRUE(jtv::EncodeChannel(programmes, files));
  return Read(files, shift, window, fullSearch, std::move(refuse));
}

using Calls = std::vector<std::string>;

TEST(JtvReaderTest, OrdinarySearchHandsOverTheProgrammeOnAirAndTheWindow) {
  std::vector<Programme> guide = {P(-90, "Old"), P(-30, "OnAir"), P(30, "Soon"), P(60, "Edge"),
                                  P(121, "Late")};
  Reading r = Read(guide, 0, 60);
  EXPECT_TRUE(r.result);
  EXPECT_TRUE(r.sawFuture);
  EXPECT_EQ(r.calls,
            (Calls{"2024.03.05 11:30 OnAir[Tu]First", "end 12:30", "2024.03.05 12:30 Soon[Tu]First",
                   "end 13:00", "2024.03.05 13:00 Edge[Tu]First", "end 14:01"}));
}

TEST(JtvReaderTest, OnAirOnlyWhenALaterProgrammeFollows) {
  // The last programme has started: nothing is handed over.
  EXPECT_EQ(Read({P(-90, "A"), P(-30, "B")}, 0, 60).calls, Calls{});
  // A programme starting exactly now has started.
  EXPECT_EQ(Read({P(-30, "A"), P(0, "B")}, 0, 60).calls, Calls{});
  // The first programme is still to come: no programme on air.
  EXPECT_EQ(Read({P(10, "A")}, 0, 60).calls, (Calls{"2024.03.05 12:10 A[Tu]First", "end 12:10"}));
  // A refused on-air programme gets no end time.
  EXPECT_EQ(Read({P(-30, "A"), P(10, "B")}, 0, 60, false, {"A["}).calls,
            (Calls{"2024.03.05 11:30 A[Tu]First", "2024.03.05 12:10 B[Tu]First", "end 12:10"}));
}

TEST(JtvReaderTest, TheWindowCountsWholeMinutes) {
  // 60 minutes and 59 seconds ahead is 60 whole minutes: still inside.
  Programme edge{DecodeDateTime(At(60) + 59.0 / 86400), "Edge"};
  EXPECT_EQ(Read({edge, P(62, "Out")}, 0, 60).calls,
            (Calls{"2024.03.05 13:00 Edge[Tu]First", "end 13:02"}));
  EXPECT_EQ(Read({P(0, "Empty")}, 0, 0).calls, Calls{});
  Reading none = Read(std::vector<Programme>{}, 0, 60);
  EXPECT_EQ(none.calls, Calls{});
  EXPECT_TRUE(none.result);
}

TEST(JtvReaderTest, WindowZeroGivesShortLinesOfWhatIsOnNow) {
  Programme soon{DecodeDateTime(At(0) + 30.0 / 86400), "Soon"};
  Reading r = Read({P(-30, "Now"), soon, P(1, "Next"), P(30, "Later")}, 0, 0);
  EXPECT_EQ(r.calls,
            (Calls{"11:30 Now[Tu]First", "end 12:00", "12:00 Soon[Tu]First", "end 12:01"}));
}

TEST(JtvReaderTest, FullSearchHandsOverEverythingEachEndingAtTheNext) {
  Reading r = Read({P(-900, "A"), P(-30, "B"), P(3000, "C")}, 0, 60, true, {"B["});
  EXPECT_EQ(r.calls,
            (Calls{"2024.03.04 21:00 A[Mo]First", "end 11:30", "2024.03.05 11:30 B[Tu]First",
                   "2024.03.07 14:00 C[Th]First", "end 14:00"}));
  // Full search does not apply to the now-showing window.
  EXPECT_EQ(Read({P(-900, "A"), P(-30, "B"), P(3000, "C")}, 0, 0, true).calls,
            (Calls{"11:30 B[Tu]First", "end 14:00"}));
}

TEST(JtvReaderTest, TimeShiftsMoveEveryField) {
  EXPECT_EQ(Read({P(-30, "A"), P(10, "B")}, -90, 1440, true).calls[0],
            "2024.03.05 10:00 A[Tu]First");
  EXPECT_EQ(Read({P(-30, "A"), P(10, "B")}, 780, 1440, true).calls[0],
            "2024.03.06 00:30 A[We]First");
  EXPECT_EQ(Read({P(-30, "A"), P(10, "B")}, -1440, 1440, true).calls[0],
            "2024.03.04 11:30 A[Mo]First");
  EXPECT_EQ(Read({P(-30, "A"), P(10, "B")}, 1440, 1440, true).calls[0],
            "2024.03.06 11:30 A[We]First");
}

ShiftDate Shifted(int y, int mo, int dow, int d, int h, int mi) {
  ShiftDate date{y, mo, dow, d, 0, 0};
  ShiftProgrammeTime(h, mi, date);
  return date;
}

std::string Text(const ShiftDate& d) {
  char out[48];
  std::snprintf(out, sizeof out, "%04d-%02d-%02d %02d:%02d dow %d", d.year, d.month, d.day, d.hour,
                d.minute, d.dayOfWeek);
  return out;
}

TEST(ShiftProgrammeTimeTest, CarriesAcrossMidnightMonthsAndYears) {
  // 00:10 on 1 March minus 30 minutes: the last day of February of that year.
  EXPECT_EQ(Text(Shifted(2024, 3, 5, 1, 0, -20)), "2024-02-29 23:40 dow 4");
  EXPECT_EQ(Text(Shifted(2023, 3, 3, 1, 0, -20)), "2023-02-28 23:40 dow 2");
  // 23:50 on 31 December plus 30: 00:20 on 1 January of the next year.
  EXPECT_EQ(Text(Shifted(2024, 12, 2, 31, 23, 80)), "2025-01-01 00:20 dow 3");
  // And back across the year.
  EXPECT_EQ(Text(Shifted(2025, 1, 3, 1, -1, 50)), "2024-12-31 23:50 dow 2");
  // Month ends of 30 and 31 days.
  EXPECT_EQ(Text(Shifted(2024, 4, 2, 30, 24, 10)), "2024-05-01 00:10 dow 3");
  EXPECT_EQ(Text(Shifted(2024, 5, 3, 1, -1, 0)), "2024-04-30 23:00 dow 2");
  EXPECT_EQ(Text(Shifted(2024, 8, 4, 1, -2, 0)), "2024-07-31 22:00 dow 3");
  // Saturday plus a day is Sunday.
  EXPECT_EQ(Text(Shifted(2024, 3, 6, 9, 24, 0)), "2024-03-10 00:00 dow 0");
}

TEST(ShiftProgrammeTimeTest, FebruaryFollowsTheProgrammesOwnYear) {
  // 29 February 2028 stays, whatever year it is now.
  EXPECT_EQ(Text(Shifted(2028, 2, 2, 29, 21, 0)), "2028-02-29 21:00 dow 2");
  // 28 February 23:50 plus 30 minutes: the 29th in a leap year, 1 March otherwise.
  EXPECT_EQ(Text(Shifted(2024, 2, 3, 28, 23, 80)), "2024-02-29 00:20 dow 4");
  EXPECT_EQ(Text(Shifted(2027, 2, 0, 28, 23, 80)), "2027-03-01 00:20 dow 1");
}

// Against plain arithmetic on minutes counted from the date-times' epoch.
TEST(ShiftProgrammeTimeTest, AgreesWithMinuteArithmetic) {
  std::mt19937 random(1440);
  for (int i = 0; i < 100000; ++i) {
    const int year = 1601 + static_cast<int>(random() % 8398);  // up to 9998
    const int month = 1 + static_cast<int>(random() % 12);
    const int last = DaysInMonth(year, month);
    // First and last days half of the time: that is where the carries are.
    const int anyDay = 1 + static_cast<int>(random() % last);
    const int days[] = {1, last, anyDay, anyDay};
    const int day = days[random() % 4];
    const int hour = static_cast<int>(random() % 24);
    const int minute = static_cast<int>(random() % 60);
    const int shift = static_cast<int>(random() % 2881) - 1440;
    const auto dayNumber = static_cast<std::int64_t>(*EncodeDate(year, month, day));

    // Split as the reader splits it.
    ShiftDate got{year, month, DecodeDateTime(dayNumber).dayOfWeek, day, 0, 0};
    ShiftProgrammeTime(hour + shift / 60, minute + shift % 60, got);

    const std::int64_t minutes = dayNumber * 1440 + hour * 60 + minute + shift;
    const std::int64_t wantDay = (minutes >= 0 ? minutes : minutes - 1439) / 1440;
    const int minuteOfDay = static_cast<int>(minutes - wantDay * 1440);
    const CalendarFields want = DecodeDateTime(static_cast<DateTime>(wantDay));
    ASSERT_EQ(Text(got), Text({want.year, want.month, want.dayOfWeek, want.day, minuteOfDay / 60,
                               minuteOfDay % 60}))
        << year << "-" << month << "-" << day << " " << hour << ":" << minute << " shifted by "
        << shift;
  }
}

TEST(JtvReaderTest, ChannelNamesAndDataFileNames) {
  EXPECT_EQ(ChannelName("First.ndx"), "First");
  EXPECT_EQ(ChannelName("a.b.ndx"), "a.b");
  EXPECT_EQ(ChannelName("nodot"), "");
  EXPECT_EQ(ChannelName(".ndx"), "");
  EXPECT_EQ(DataFileName("C:\\TV\\NEWS.NDX"), "C:\\TV\\NEWS.pdt");
  EXPECT_EQ(DataFileName("ab"), "pdt");
}

TEST(JtvReaderTest, ReadsFilesByNameFromTheFolder) {
  testing::TempDir dir;
  ChannelFiles files;
  ASSERT_TRUE(jtv::EncodeChannel({P(-30, ""), P(10, "B")}, files));
  // An upper-case index name still looks for a data file ending in lower-case "pdt".
  ASSERT_TRUE(WriteFileAtomic(dir.Path("NEWS.NDX"), files.index));
  ASSERT_TRUE(WriteFileAtomic(dir.Path("NEWS.pdt"), files.data));
  ASSERT_TRUE(WriteFileAtomic(dir.Path("alone.ndx"), files.index));
  ReaderOptions options = Options();
  options.path = dir.Folder();
  Calls calls;
  ReaderHooks hooks;
  hooks.match = [&](const std::string& line, DateTime) {
    calls.push_back(line);
    return true;
  };
  ASSERT_TRUE(ReadChannelFile(options, "NEWS.NDX", {0, 60, kNow}, hooks));
  // An empty title, and the end-time calls as empty lines.
  EXPECT_EQ(calls, (Calls{"2024.03.05 11:30 [Tu]NEWS", "", "2024.03.05 12:10 B[Tu]NEWS", ""}));
  EXPECT_FALSE(ReadChannelFile(options, "missing.ndx", {0, 60, kNow}, hooks));
  EXPECT_FALSE(ReadChannelFile(options, "alone.ndx", {0, 60, kNow}, hooks));
}

TEST(JtvReaderTest, DamagedFilesEndTheChannelWithFalse) {
  std::vector<Programme> guide = {P(-30, "A"), P(10, "B"), P(20, "C")};
  for (auto damage :
       {jtv::Damage::kTruncatedIndex, jtv::Damage::kOffsetPastEnd, jtv::Damage::kEmptyFiles}) {
    ChannelFiles files;
    ASSERT_TRUE(jtv::EncodeChannel(guide, files));
    jtv::ApplyDamage(files, damage);
    Reading r = Read(files, 0, 60);
    EXPECT_FALSE(r.result) << static_cast<int>(damage);
    // What was handed over before the damage stays handed over.
    if (damage != jtv::Damage::kEmptyFiles) {
      EXPECT_FALSE(r.calls.empty());
    }
  }
  // A count larger than the records: reading ends where the index file ends.
  ChannelFiles counted;
  ASSERT_TRUE(jtv::EncodeChannel(guide, counted));
  jtv::ApplyDamage(counted, jtv::Damage::kCountTooLarge);
  EXPECT_TRUE(Read(counted, 0, 60).result);
  // The last record is not the last one announced, so its match keeps no end.
  EXPECT_EQ(Read(counted, 0, 60).calls.back(), "2024.03.05 12:20 C[Tu]First");
  // A start the system cannot convert.
  ChannelFiles files;
  ASSERT_TRUE(jtv::EncodeChannel({P(-30, "A"), P(10, "B")}, files));
  for (int i = 0; i < 8; ++i) files.index[4 + i] = static_cast<char>(0xFF);
  EXPECT_FALSE(Read(files, 0, 60).result);
  // A shift that leaves the calendar the plug-in can hold.
  std::vector<Programme> last = {{{9999, 12, 5, 31, 23, 50, 0, 0}, "End"}};
  EXPECT_FALSE(Read(last, 30, 60).result);
  EXPECT_TRUE(Read(last, 0, 60).result);
}

TEST(JtvReaderTest, ReadsEveryCountedProgrammeUnlessAborted) {
  // A's entry ends the data file but later programmes follow it.
  jtv::EncodeOptions sharedTail;
  sharedTail.sharedTail = true;
  ChannelFiles files;
  ASSERT_TRUE(
      jtv::EncodeChannel({P(10, "A"), P(20, "B"), P(30, "A"), P(40, "C")}, files, sharedTail));
  ASSERT_TRUE(files.data.ends_with(std::string("\x01\0A", 3)));
  Reading r = Read(files, 0, 60);
  EXPECT_TRUE(r.result);
  EXPECT_EQ(r.calls,
            (Calls{"2024.03.05 12:10 A[Tu]First", "end 12:20", "2024.03.05 12:20 B[Tu]First",
                   "end 12:30", "2024.03.05 12:30 A[Tu]First", "end 12:40",
                   "2024.03.05 12:40 C[Tu]First", "end 12:40"}));
  ChannelFiles full;
  ASSERT_TRUE(jtv::EncodeChannel({P(10, "A"), P(20, "B"), P(30, "C")}, full));
  Reading aborted = Read(full, 0, 60, false, {}, 1);
  EXPECT_TRUE(aborted.result);
  EXPECT_EQ(aborted.calls, Calls{"2024.03.05 12:10 A[Tu]First"});
}

// Generates a guide from start, writes it and reads it back in a full search.
void ReadsBackAsWritten(const CalendarFields& start, bool sharedTail) {
  jtv::GuideOptions guideOptions;
  guideOptions.channels = 3;
  guideOptions.days = 2;
  guideOptions.start = start;
  guideOptions.seed = 7;
  auto guide = jtv::GenerateGuide(guideOptions);
  for (const auto& channel : guide) {
    ASSERT_EQ(channel.front().start, start);
    // Back to back, 5 minutes to 3 hours each.
    for (std::size_t i = 1; i < channel.size(); ++i) {
      std::optional<std::uint64_t> previous = CalendarToFileTime(channel[i - 1].start);
      std::optional<std::uint64_t> next = CalendarToFileTime(channel[i].start);
      ASSERT_TRUE(previous && next && *next > *previous);
      const std::uint64_t minutes = (*next - *previous) / 600'000'000;
      ASSERT_TRUE(minutes >= 5 && minutes <= 180) << minutes;
    }
    ChannelFiles files;
    jtv::EncodeOptions options;
    options.sharedTail = sharedTail;
    ASSERT_TRUE(jtv::EncodeChannel(channel, files, options));
    // Several programmes share a title entry.
    EXPECT_LT(files.data.size(), 26 + channel.size() * 20);
    Reading r = Read(files, 0, 60, true);
    std::vector<std::string> lines;
    for (const auto& call : r.calls) {
      if (call.rfind("end ", 0) != 0) lines.push_back(call);
    }
    ASSERT_EQ(lines.size(), channel.size());
    EXPECT_EQ(r.calls.size(), 2 * channel.size());  // each with its end
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const CalendarFields& s = channel[i].start;
      char head[32];
      std::snprintf(head, sizeof head, "%d.%02d.%02d %02d:%02d ", s.year, s.month, s.day, s.hour,
                    s.minute);
      EXPECT_EQ(lines[i], std::string(head) + channel[i].title + "[" +
                              Options().daysOfWeek[s.dayOfWeek] + "]First");
    }
  }
}

TEST(JtvReaderTest, AGeneratedGuideReadsBackAsWritten) {
  // From now, and from before the date-times' epoch into it.
  const CalendarFields starts[] = {DecodeDateTime(At(-600)), {1899, 12, 5, 29, 20, 0, 0, 0}};
  for (const CalendarFields& start : starts) {
    for (bool sharedTail : {false, true}) {
      SCOPED_TRACE(std::to_string(start.year) + (sharedTail ? " shared tail" : ""));
      ReadsBackAsWritten(start, sharedTail);
    }
  }
}

// The titles a full search hands over, read from the channel's files in a
// folder, and whether the reading ended well.
struct Titles {
  std::vector<std::string> titles;
  bool result = false;
};

Titles ReadTitles(const ChannelFiles& files) {
  testing::TempDir dir;
  EXPECT_TRUE(WriteFileAtomic(dir.Path("First.ndx"), files.index));
  EXPECT_TRUE(WriteFileAtomic(dir.Path("First.pdt"), files.data));
  ReaderOptions options = Options(true);
  options.path = dir.Folder();
  Titles read;
  ReaderHooks hooks;
  hooks.match = [&](const std::string& line, DateTime) {
    // "yyyy.mm.dd hh:mm " before the title, "[Dw]First" after it.
    if (!line.empty()) read.titles.push_back(line.substr(17, line.size() - 17 - 9));
    return false;
  };
  read.result = ReadChannelFile(options, "First.ndx", {0, 60, kNow}, hooks);
  return read;
}

// A channel as a provider's guide has it: titles with descriptions or without,
// repeating as real ones do, a programme every half hour.
std::vector<Programme> ProviderChannel(int days, bool descriptions, std::uint32_t seed) {
  jtv::GuideOptions options;
  options.channels = 1;
  options.days = days;
  options.start = DecodeDateTime(At(-600));
  options.seed = seed;
  options.programmeMinutes = 30;
  options.descriptions = descriptions;
  options.realRepeats = true;
  return jtv::GenerateGuide(options)[0];
}

std::vector<std::string> TitlesOf(const std::vector<Programme>& programmes, std::size_t count) {
  std::vector<std::string> titles;
  for (std::size_t i = 0; i < count && i < programmes.size(); ++i) {
    titles.push_back(programmes[i].title);
  }
  return titles;
}

jtv::EncodeOptions AsProvidersWrite() {
  jtv::EncodeOptions options;
  options.ownEntries = true;
  options.wrapOffsets = true;
  return options;
}

TEST(JtvReaderTest, WrappedDataFilesReadBackTitleForTitle) {
  struct Case {
    int days;
    bool descriptions;
    std::size_t wraps;  // times round 64 KB at least; 0: none
  };
  const Case cases[] = {
      {7, false, 0},
      {11, true, 1},
      {40, true, 3},
      {100, false, 1},
  };
  for (const Case& c : cases) {
    const std::vector<Programme> channel = ProviderChannel(c.days, c.descriptions, 30 + c.days);
    ChannelFiles files;
    ASSERT_TRUE(jtv::EncodeChannel(channel, files, AsProvidersWrite()));
    SCOPED_TRACE(std::to_string(files.data.size()) + " bytes of titles");
    EXPECT_EQ(files.data.size() < 65536, c.wraps == 0);
    EXPECT_GE(files.data.size() / 65536, c.wraps);
    const Titles read = ReadTitles(files);
    EXPECT_TRUE(read.result);
    EXPECT_EQ(read.titles, TitlesOf(channel, channel.size()));
  }
}

// An index of one programme a minute from now on, each naming its offset.
std::string IndexOf(const std::vector<std::uint16_t>& offsets) {
  ChannelFiles files;
  std::vector<Programme> programmes;
  for (std::size_t i = 0; i < offsets.size(); ++i) programmes.push_back(P(i, "x"));
  EXPECT_TRUE(jtv::EncodeChannel(programmes, files, AsProvidersWrite()));
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    files.index[12 + 12 * i] = static_cast<char>(offsets[i] & 0xFF);
    files.index[13 + 12 * i] = static_cast<char>(offsets[i] >> 8);
  }
  return files.index;
}

// Against the rule of old, for files no entry past 65,535 fits in: offsets in any
// order, the same entry for several programmes, offsets that name no entry.
TEST(JtvReaderTest, DataFilesUpTo64KbReadEveryOffsetAsWritten) {
  std::mt19937 random(64);
  for (int round = 0; round < 300; ++round) {
    const std::size_t size = round % 2 ? 65536 - random() % 512 : 2 + random() % 65535;
    std::string data;
    std::vector<std::uint16_t> entries;
    for (;;) {
      const std::size_t length = random() % 256;
      if (data.size() + 2 + length > size) break;
      entries.push_back(static_cast<std::uint16_t>(data.size()));
      data += static_cast<char>(length);
      data += '\0';
      for (std::size_t k = 0; k < length; ++k) data += static_cast<char>(32 + random() % 224);
    }
    while (data.size() < size) data += static_cast<char>(random() % 256);
    std::vector<std::uint16_t> offsets(1 + random() % 300);
    for (auto& offset : offsets) {
      offset = static_cast<std::uint16_t>(random() % 8 == 0 || entries.empty()
                                              ? random() % size
                                              : entries[random() % entries.size()]);
    }
    Titles expected{{}, true};
    for (std::uint16_t offset : offsets) {
      const std::size_t length = static_cast<std::uint8_t>(data[offset]);
      if (offset + 2u > size || offset + 2 + length > size) {
        expected.result = false;
        break;
      }
      expected.titles.push_back(data.substr(offset + 2, length));
    }
    ChannelFiles files{IndexOf(offsets), data};
    const Titles read = ReadTitles(files);
    ASSERT_EQ(read.result, expected.result) << "round " << round;
    ASSERT_EQ(read.titles, expected.titles) << "round " << round;
  }
}

TEST(JtvReaderTest, AWrapCountsOnlyWhereItsEntryFitsTheFile) {
  // 65,600 bytes: "Early" at 10, "Mid" at 100, "Late" at 65,500 and at 65,546,
  // 10 once round, "Next" or a length that reaches past the end; 65,636 (100 once
  // round) lies past the end.
  auto dataWith = [](std::string_view atWrappedTen) {
    std::string data(65600, '.');
    auto put = [&](std::size_t at, std::string_view title) {
      data.replace(at, 2 + title.size(), std::string(1, static_cast<char>(title.size())) + '\0');
      data.replace(at + 2, title.size(), title);
    };
    put(10, "Early");
    put(100, "Mid");
    put(65500, "Late");
    if (atWrappedTen.empty()) {
      data[65546] = static_cast<char>(200);
    } else {
      put(65546, atWrappedTen);
    }
    return data;
  };
  struct Case {
    const char* what;
    std::vector<std::uint16_t> offsets;
    std::string atWrappedTen;
    std::vector<std::string> titles;
  };
  const Case cases[] = {
      {"fits", {65500, 10}, "Next", {"Late", "Next"}},
      {"too long", {65500, 10}, "", {"Late", "Early"}},
      {"past the end", {65500, 100}, "Next", {"Late", "Mid"}},
      {"the same offset", {65500, 65500}, "Next", {"Late", "Late"}},
      // Falls back twice where the file can wrap once: a guide of shared titles.
      {"shared", {65500, 10, 65500, 10}, "Next", {"Late", "Early", "Late", "Early"}},
  };
  for (const Case& c : cases) {
    const Titles read = ReadTitles({IndexOf(c.offsets), dataWith(c.atWrappedTen)});
    EXPECT_TRUE(read.result) << c.what;
    EXPECT_EQ(read.titles, c.titles) << c.what;
  }
}

TEST(JtvReaderTest, DamagedWrappedFilesGiveNoWrongTitle) {
  const std::vector<Programme> channel = ProviderChannel(12, true, 5);
  struct Case {
    jtv::Damage damage;
    bool result;
    std::size_t titles;  // the first so many, as written
  };
  const Case cases[] = {
      {jtv::Damage::kTruncatedIndex, false, channel.size() - 1},
      {jtv::Damage::kCountTooLarge, true, channel.size()},
      {jtv::Damage::kEmptyFiles, false, 0},
  };
  for (const Case& c : cases) {
    ChannelFiles files;
    ASSERT_TRUE(jtv::EncodeChannel(channel, files, AsProvidersWrite()));
    ASSERT_GT(files.data.size(), 65536u);
    jtv::ApplyDamage(files, c.damage);
    const Titles read = ReadTitles(files);
    EXPECT_EQ(read.result, c.result) << static_cast<int>(c.damage);
    EXPECT_EQ(read.titles, TitlesOf(channel, c.titles)) << static_cast<int>(c.damage);
  }
}

}  // namespace
}  // namespace kolvar
