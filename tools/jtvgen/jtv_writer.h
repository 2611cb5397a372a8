// Writing JTV guides: the inverse of the reader, for tests, the demo and the
// benchmarks. Start times are local calendar fields stored as FILETIMEs, as the
// guides do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/datetime.h"

namespace kolvar::jtv {

struct Programme {
  CalendarFields start;
  std::string title;
};

struct ChannelFiles {
  std::string index;  // *.ndx
  std::string data;   // *.pdt
};

// The usual start of a data file; titles follow it.
inline constexpr char kDataHeader[] = "JTV 3.x TV Program Data\n\n\n";

struct EncodeOptions {
  // The entry at the end of the data file is an earlier programme's title that
  // later ones share (the first such title, else the first programme's). Without
  // it that entry belongs to the last programme alone, as older readers stopped
  // at the data file's end. EncodeChannel refuses it with ownEntries.
  bool sharedTail = false;
  // Every programme's title written anew after the one before, as providers write
  // them, instead of equal titles sharing one entry.
  bool ownEntries = false;
  // As a provider writes it (own entries): the data file may pass 64 KB, its
  // offsets written modulo 65,536.
  bool wrapOffsets = false;
};

// Equal titles share one entry of the data file unless options say otherwise.
// False when the programmes or titles do not fit the format (16-bit counts and
// offsets, titles of 255 bytes at most).
bool EncodeChannel(const std::vector<Programme>& programmes, ChannelFiles& files,
                   const EncodeOptions& options = {});

// Writes name.ndx and name.pdt into folder (with its trailing separator).
bool WriteChannel(const std::string& folder, const std::string& name, const ChannelFiles& files);

// kVaried: titles of one to four words from a vocabulary of thousands of made-up
// Latin and Cyrillic words, common ones more often, as in a real guide.
enum class Language { kEnglish, kRussian, kMixed, kVaried };

struct GuideOptions {
  int channels = 10;
  int days = 7;
  CalendarFields start;  // the first programme of every channel starts here
  std::uint32_t seed = 1;
  Language language = Language::kMixed;
  int programmeMinutes = 0;  // every programme this long; 0: 5 minutes to 3 hours
  // Titles followed by a line feed and a description, often with the cast, as
  // providers fold them into the title (255 bytes at most).
  bool descriptions = false;
  // Titles repeat as in a real guide: about a third of a channel's programmes
  // bring a new one, the others repeat an earlier one. Otherwise a channel draws
  // from a stock of 40.
  bool realRepeats = false;
  // Every programme brings a new title (drawn anew, so now and then one recurs).
  bool distinctTitles = false;
};

// The made-up words of Language::kVaried, most common first (Windows-1251).
const std::vector<std::string>& VariedWords();

// One programme list per channel: back to back, 5 minutes to 3 hours each.
std::vector<std::vector<Programme>> GenerateGuide(const GuideOptions& options);
// The channel names GenerateGuide's channels are written under: "ch001", ...
std::string ChannelFileStem(int channel);
// Or in Cyrillic, as many guides name them (Windows-1251): "2+2 (Ukraina)", ...;
// distinct whatever the letter case.
std::string CyrillicChannelFileStem(int channel);

enum class Damage {
  kTruncatedIndex,  // the last record cut in half
  kOffsetPastEnd,   // a record's title offset beyond the data file
  kCountTooLarge,   // the count announces more records than there are
  kEmptyFiles,      // both files empty
};
void ApplyDamage(ChannelFiles& files, Damage damage);

}  // namespace kolvar::jtv
