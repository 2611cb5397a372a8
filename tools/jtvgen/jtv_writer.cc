#include "jtv_writer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <map>
#include <random>

#include "base/file_io.h"

namespace kolvar::jtv {
namespace {

void PutU16(std::string& out, std::uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

void PutU64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

const char* const kEnglishWords[] = {
    "News",    "Weather", "Film",     "Night",   "Morning", "Show",   "Sport",     "Football",
    "Tennis",  "Music",   "Concert",  "Travel",  "Kitchen", "Garden", "Quiz",      "Stories",
    "History", "Nature",  "Wildlife", "Cartoon", "Comedy",  "Drama",  "Detective", "Science",
    "World",   "Live",    "Report",   "Special", "Classic", "Hour",
};

// Windows-1251 Russian; some with the letter Io (0xA8 capital, 0xB8 small).
const char* const kRussianWords[] = {
    "\xcd\xee\xe2\xee\xf1\xf2\xe8",                              // Novosti
    "\xcf\xee\xe3\xee\xe4\xe0",                                  // Pogoda
    "\xd4\xe8\xeb\xfc\xec",                                      // Fil'm
    "\xd1\xef\xee\xf0\xf2",                                      // Sport
    "\xd4\xf3\xf2\xe1\xee\xeb",                                  // Futbol
    "\xcc\xf3\xeb\xfc\xf2\xf4\xe8\xeb\xfc\xec",                  // Mul'tfil'm
    "\xc5\xeb\xea\xe0",                                          // Elka
    "\xa8\xeb\xea\xe0",                                          // Yolka, capital Io
    "\xe5\xf9\xb8",                                              // eshchyo, small Io
    "\xcd\xee\xf7\xed\xee\xe9",                                  // Nochnoy
    "\xd3\xf2\xf0\xee",                                          // Utro
    "\xca\xee\xed\xf6\xe5\xf0\xf2",                              // Kontsert
    "\xc4\xee\xea\xf3\xec\xe5\xed\xf2\xe0\xeb\xfc\xed\xfb\xe9",  // Dokumental'nyy
    "\xcc\xe8\xf0",                                              // Mir
    "\xd1\xe5\xf0\xe8\xe0\xeb",                                  // Serial
    "\xcc\xb8\xe4",                                              // Myod, small Io
};

std::string MadeUpWord(std::mt19937& random, bool russian) {
  // Windows-1251 small letters; the capital of each is 0x20 below, Io's 0x10.
  static const char kLatinConsonants[] = "bcdfghklmnprstvz";
  static const char kLatinVowels[] = "aeiou";
  static const char kCyrillicConsonants[] =
      "\xe1\xe2\xe3\xe4\xe6\xe7\xea\xeb\xec\xed\xef\xf0\xf1\xf2\xf4\xf5\xf6\xf7\xf8";
  static const char kCyrillicVowels[] = "\xe0\xe5\xe8\xee\xf3\xfb\xff\xfe\xb8";
  const std::string consonants = russian ? kCyrillicConsonants : kLatinConsonants;
  const std::string vowels = russian ? kCyrillicVowels : kLatinVowels;
  // Mostly four to eight letters, some as short as two or as long as eleven.
  const int length = 2 + static_cast<int>(random() % 5 + random() % 6);
  bool vowel = random() % 3 == 0;
  std::string word;
  while (static_cast<int>(word.size()) < length) {
    const std::string& from = vowel ? vowels : consonants;
    word += from[random() % from.size()];
    // Now and then two consonants in a row.
    vowel = vowel ? false : random() % 4 != 0;
  }
  const auto first = static_cast<unsigned char>(word[0]);
  word[0] = static_cast<char>(first == 0xB8 ? 0xA8 : first - 0x20);
  return word;
}

std::string VariedTitle(std::mt19937& random) {
  const auto& words = VariedWords();
  const int count = 1 + static_cast<int>(random() % 4);
  std::string title;
  for (int w = 0; w < count; ++w) {
    if (w) title += ' ';
    // The smaller of two draws: the first words of the list come up most.
    const std::size_t a = random() % words.size();
    const std::size_t b = random() % words.size();
    title += words[std::min(a, b)];
  }
  if (random() % 5 == 0) title += ' ' + std::to_string(1 + random() % 40);
  return title;
}

std::string Title(std::mt19937& random, Language language) {
  if (language == Language::kVaried) return VariedTitle(random);
  bool russian =
      language == Language::kRussian || (language == Language::kMixed && random() % 3 == 0);
  int words = 1 + static_cast<int>(random() % 3);
  std::string title;
  for (int w = 0; w < words; ++w) {
    if (w) title += ' ';
    title += russian ? kRussianWords[random() % std::size(kRussianWords)]
                     : kEnglishWords[random() % std::size(kEnglishWords)];
  }
  if (random() % 5 == 0) {
    title += ' ';
    title += std::to_string(1 + random() % 40);
  }
  return title;
}

// A description as providers fold it into the title, after a line feed: a few
// sentences, often the cast at the end. Cut at a word so that the title fits its
// 255 bytes.
std::string WithDescription(std::mt19937& random, Language language, std::string title) {
  static const char* const kEnglishOpenings[] = {"A story of", "New episodes about",
                                                 "Viewers learn how", "The heroes travel to",
                                                 "The hosts talk about"};
  static const char* const kRussianOpenings[] = {
      "\xd0\xe0\xf1\xf1\xea\xe0\xe7 \xee \xf2\xee\xec, \xea\xe0\xea",         // Rasskaz o tom, kak
      "\xcd\xee\xe2\xfb\xe5 \xf1\xe5\xf0\xe8\xe8 \xee",                       // Novye serii o
      "\xc7\xf0\xe8\xf2\xe5\xeb\xe8 \xf3\xe7\xed\xe0\xfe\xf2, \xea\xe0\xea",  // Zriteli uznayut
      "\xc3\xe5\xf0\xee\xe8 \xe5\xe4\xf3\xf2 \xe2",                           // Geroi edut v
      "\xc2\xe5\xe4\xf3\xf9\xe8\xe5 \xe3\xee\xe2\xee\xf0\xff\xf2 \xee",  // Vedushchie govoryat o
  };
  static const char* const kEnglishCast[] = {"John Smith", "Anna Brown",  "Peter Wood",
                                             "Mary Stone", "Oliver Hart", "Emma Grey"};
  static const char* const kRussianCast[] = {
      "\xc8\xe2\xe0\xed \xcf\xe5\xf2\xf0\xee\xe2",              // Ivan Petrov
      "\xc0\xed\xed\xe0 \xd1\xec\xe8\xf0\xed\xee\xe2\xe0",      // Anna Smirnova
      "\xce\xeb\xe5\xe3 \xc2\xee\xeb\xea\xee\xe2",              // Oleg Volkov
      "\xcc\xe0\xf0\xe8\xff \xca\xee\xe7\xeb\xee\xe2\xe0",      // Mariya Kozlova
      "\xcf\xb8\xf2\xf0 \xce\xf0\xeb\xee\xe2",                  // Pyotr Orlov, small Io
      "\xc5\xeb\xe5\xed\xe0 \xd1\xee\xea\xee\xeb\xee\xe2\xe0",  // Elena Sokolova
  };
  const bool russian = std::any_of(title.begin(), title.end(),
                                   [](char c) { return static_cast<unsigned char>(c) >= 0xA8; });
  auto word = [&]() -> std::string {
    if (language == Language::kVaried) return VariedWords()[random() % VariedWords().size()];
    return russian ? kRussianWords[random() % std::size(kRussianWords)]
                   : kEnglishWords[random() % std::size(kEnglishWords)];
  };
  std::string text;
  const int sentences = 1 + static_cast<int>(random() % 3);
  for (int i = 0; i < sentences; ++i) {
    text += i ? " " : "";
    text += russian ? kRussianOpenings[random() % std::size(kRussianOpenings)]
                    : kEnglishOpenings[random() % std::size(kEnglishOpenings)];
    const int words = 2 + static_cast<int>(random() % 5);
    for (int w = 0; w < words; ++w) text += ' ' + word();
    text += '.';
  }
  if (random() % 2 == 0) {
    text += russian ? " \xc2 \xf0\xee\xeb\xff\xf5:" : " In the cast:";  // V rolyakh
    const std::size_t actors = 2 + random() % 3;
    const std::size_t first = random();  // then the next ones, each once
    for (std::size_t a = 0; a < actors; ++a) {
      text += a ? ", " : " ";
      text += russian ? kRussianCast[(first + a) % std::size(kRussianCast)]
                      : kEnglishCast[(first + a) % std::size(kEnglishCast)];
    }
    text += '.';
  }
  title += '\n';
  if (title.size() + text.size() > 255) {
    const std::size_t room = 255 - std::min<std::size_t>(title.size(), 255 - 3) - 3;
    const std::size_t cut = text.rfind(' ', room);
    text = text.substr(0, cut == std::string::npos ? room : cut) + "...";
  }
  return title + text;
}

// Before 1899-12-30 a date-time is a negative day number with the time of day
// counted forwards from it (-1.25 is 29 December, 06:00), which sums get wrong;
// these convert to and from a straight count of days.
double StraightDays(DateTime t) {
  if (t >= 0) return t;
  const double day = std::trunc(t);
  return day + (day - t);
}

CalendarFields FromStraightDays(double days) {
  if (days >= 0) return DecodeDateTime(days);
  constexpr std::int64_t kMsPerDay = 86'400'000;
  // Whole milliseconds first, so a sum a hair below midnight is that midnight.
  const std::int64_t ms = std::llround(days * kMsPerDay);
  std::int64_t day = ms / kMsPerDay;
  std::int64_t msOfDay = ms % kMsPerDay;
  if (msOfDay < 0) {
    msOfDay += kMsPerDay;
    --day;
  }
  CalendarFields f = DecodeDateTime(static_cast<DateTime>(day));
  f.hour = static_cast<int>(msOfDay / 3'600'000);
  f.minute = static_cast<int>(msOfDay / 60'000 % 60);
  f.second = static_cast<int>(msOfDay / 1000 % 60);
  f.millisecond = static_cast<int>(msOfDay % 1000);
  return f;
}

}  // namespace

bool EncodeChannel(const std::vector<Programme>& programmes, ChannelFiles& files,
                   const EncodeOptions& options) {
  if (programmes.size() > 65535) return false;
  const bool ownEntries = options.ownEntries || options.wrapOffsets;
  if (ownEntries && options.sharedTail) return false;
  // The titles in the order they are written, and the one each programme names.
  std::vector<std::string> entries;
  std::vector<std::size_t> entryOf(programmes.size());
  std::map<std::string, std::size_t> shared;
  for (std::size_t i = 0; i < programmes.size(); ++i) {
    const std::string& title = programmes[i].title;
    // Without a shared tail the last programme's entry is its own and ends the file.
    const bool own = ownEntries || (!options.sharedTail && i + 1 == programmes.size());
    auto found = shared.find(title);
    if (found != shared.end() && !own) {
      entryOf[i] = found->second;
    } else {
      entryOf[i] = entries.size();
      entries.push_back(title);
      if (!own) shared.emplace(title, entryOf[i]);
    }
  }
  if (options.sharedTail && programmes.size() > 1) {
    std::vector<int> uses(entries.size());
    for (std::size_t e : entryOf) ++uses[e];
    // The first title a later programme shares, else the first programme's.
    std::size_t tail = entryOf[0];
    for (std::size_t e : entryOf) {
      if (uses[e] > 1) {
        tail = e;
        break;
      }
    }
    std::rotate(entries.begin() + static_cast<std::ptrdiff_t>(tail),
                entries.begin() + static_cast<std::ptrdiff_t>(tail) + 1, entries.end());
    for (std::size_t& e : entryOf) {
      if (e == tail)
        e = entries.size() - 1;
      else if (e > tail)
        --e;
    }
  }

  files.index.clear();
  files.data = kDataHeader;
  std::vector<std::uint16_t> offsets;
  for (const std::string& title : entries) {
    if ((files.data.size() > 65535 && !options.wrapOffsets) || title.size() > 255) return false;
    offsets.push_back(static_cast<std::uint16_t>(files.data.size() % 65536));
    PutU16(files.data, static_cast<std::uint16_t>(title.size()));
    files.data += title;
  }
  PutU16(files.index, static_cast<std::uint16_t>(programmes.size()));
  for (std::size_t i = 0; i < programmes.size(); ++i) {
    std::optional<std::uint64_t> fileTime = CalendarToFileTime(programmes[i].start);
    if (!fileTime) return false;
    PutU16(files.index, 0);
    PutU64(files.index, *fileTime);
    PutU16(files.index, offsets[entryOf[i]]);
  }
  return true;
}

bool WriteChannel(const std::string& folder, const std::string& name, const ChannelFiles& files) {
  return WriteFileAtomic(folder + name + ".ndx", files.index) &&
         WriteFileAtomic(folder + name + ".pdt", files.data);
}

const std::vector<std::string>& VariedWords() {
  static const std::vector<std::string> words = [] {
    std::mt19937 random(1251);
    std::vector<std::string> list;
    for (int i = 0; i < 4000; ++i) list.push_back(MadeUpWord(random, i % 3 == 0));
    return list;
  }();
  return words;
}

std::vector<std::vector<Programme>> GenerateGuide(const GuideOptions& options) {
  std::mt19937 random(options.seed);
  std::vector<std::vector<Programme>> guide(
      static_cast<std::size_t>(std::max(options.channels, 0)));
  const double first = StraightDays(EncodeDateTime(options.start).value_or(0));
  const double end = first + options.days;
  auto newTitle = [&] {
    std::string title = Title(random, options.language);
    return options.descriptions ? WithDescription(random, options.language, std::move(title))
                                : title;
  };
  for (auto& channel : guide) {
    // A channel reuses a small stock of titles, so entries repeat; or, as real
    // guides do, the titles it has had so far.
    std::vector<std::string> stock;
    if (!options.realRepeats && !options.distinctTitles) {
      for (int i = 0; i < 40; ++i) stock.push_back(newTitle());
    }
    double at = first;
    while (at < end) {
      if (options.distinctTitles) {
        channel.push_back({FromStraightDays(at), newTitle()});
      } else if (options.realRepeats && (stock.empty() || random() % 3 == 0)) {
        stock.push_back(newTitle());
        channel.push_back({FromStraightDays(at), stock.back()});
      } else {
        channel.push_back({FromStraightDays(at), stock[random() % stock.size()]});
      }
      int minutes = 5 + static_cast<int>(random() % 12) * 15;  // 5 minutes to 2 h 50
      if (random() % 10 == 0) minutes = 180;
      if (options.programmeMinutes > 0) minutes = options.programmeMinutes;
      at += minutes / 1440.0;
    }
  }
  return guide;
}

std::string ChannelFileStem(int channel) {
  std::string stem = std::to_string(channel + 1);
  if (stem.size() < 3) stem.insert(0, 3 - stem.size(), '0');
  return stem.insert(0, "ch");
}

std::string CyrillicChannelFileStem(int channel) {
  // Windows-1251, with the letters outside the Russian alphabet's block (Io,
  // Ukrainian I and Yi) and guillemets.
  static const char* const kNames[] = {
      "\xcf\xe5\xf0\xe2\xfb\xe9 \xea\xe0\xed\xe0\xeb",              // Pervyi kanal
      "\xd0\xee\xf1\xf1\xe8\xff 1",                                 // Rossiya 1
      "2+2 (\xd3\xea\xf0\xe0\xe8\xed\xe0)",                         // 2+2 (Ukraina)
      "\xcd\xd2\xc2",                                               // NTV
      "\xca\xf3\xeb\xfc\xf2\xf3\xf0\xe0",                           // Kul'tura
      "\xcf\xff\xf2\xfb\xe9 \xea\xe0\xed\xe0\xeb",                  // Pyatyi kanal
      "\xd1\xd2\xd1",                                               // STS
      "\xd2\xcd\xd2",                                               // TNT
      "\xc7\xe2\xe5\xe7\xe4\xe0",                                   // Zvezda
      "\xcc\xe0\xf2\xf7! \xc0\xf0\xe5\xed\xe0",                     // Match! Arena
      "\xc4\xee\xec \xea\xe8\xed\xee",                              // Dom kino
      "\xcc\xee\xb8 \xd2\xc2",                                      // Moyo TV
      "\xb2\xed\xf2\xe5\xf0",                                       // Inter
      "\xca\xe8\xbf\xe2",                                           // Kyiv
      "\xcd\xee\xe2\xe8\xe9 \xea\xe0\xed\xe0\xeb",                  // Novyi kanal
      "\xc1\xe5\xeb\xe0\xf0\xf3\xf1\xfc 24",                        // Belarus' 24
      "\xcd\xee\xf1\xf2\xe0\xeb\xfc\xe3\xe8\xff",                   // Nostal'giya
      "\xca\xe0\xf0\xf3\xf1\xe5\xeb\xfc \xab\xa8\xeb\xea\xe0\xbb",  // Karusel' <<Yolka>>
  };
  constexpr int kCount = static_cast<int>(std::size(kNames));
  std::string stem = kNames[channel % kCount];
  if (channel >= kCount) stem += " (" + std::to_string(channel / kCount + 1) + ")";
  return stem;
}

void ApplyDamage(ChannelFiles& files, Damage damage) {
  switch (damage) {
    case Damage::kTruncatedIndex:
      if (files.index.size() > 8) files.index.resize(files.index.size() - 6);
      break;
    case Damage::kOffsetPastEnd:
      if (files.index.size() >= 14) {
        std::size_t at = files.index.size() - 2;  // the last record's offset
        files.index[at] = static_cast<char>(0xFF);
        files.index[at + 1] = static_cast<char>(0xFF);
      }
      break;
    case Damage::kCountTooLarge:
      if (files.index.size() >= 2) {
        std::uint16_t count =
            static_cast<std::uint16_t>(static_cast<std::uint8_t>(files.index[0]) |
                                       static_cast<std::uint8_t>(files.index[1]) << 8);
        count = static_cast<std::uint16_t>(count + 5);
        files.index[0] = static_cast<char>(count & 0xFF);
        files.index[1] = static_cast<char>(count >> 8);
      }
      break;
    case Damage::kEmptyFiles:
      files.index.clear();
      files.data.clear();
      break;
  }
}

}  // namespace kolvar::jtv
