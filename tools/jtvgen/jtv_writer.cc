#include "jtv_writer.h"

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

std::string Title(std::mt19937& random, Language language) {
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

}  // namespace

bool EncodeChannel(const std::vector<Programme>& programmes, ChannelFiles& files) {
  if (programmes.size() > 65535) return false;
  files.index.clear();
  files.data = kDataHeader;
  std::map<std::string, std::uint16_t> offsets;
  PutU16(files.index, static_cast<std::uint16_t>(programmes.size()));
  for (std::size_t i = 0; i < programmes.size(); ++i) {
    const Programme& p = programmes[i];
    // Readers stop where the data file ends, so the entry at its end belongs to
    // the last programme alone.
    const bool last = i + 1 == programmes.size();
    auto found = offsets.find(p.title);
    std::uint16_t offset;
    if (found != offsets.end() && !last) {
      offset = found->second;
    } else {
      if (files.data.size() > 65535 || p.title.size() > 255) return false;
      offset = static_cast<std::uint16_t>(files.data.size());
      if (!last) offsets.emplace(p.title, offset);
      PutU16(files.data, static_cast<std::uint16_t>(p.title.size()));
      files.data += p.title;
    }
    std::optional<std::uint64_t> fileTime = CalendarToFileTime(p.start);
    if (!fileTime) return false;
    PutU16(files.index, 0);
    PutU64(files.index, *fileTime);
    PutU16(files.index, offset);
  }
  return true;
}

bool WriteChannel(const std::string& folder, const std::string& name, const ChannelFiles& files) {
  return WriteFileAtomic(folder + name + ".ndx", files.index) &&
         WriteFileAtomic(folder + name + ".pdt", files.data);
}

std::vector<std::vector<Programme>> GenerateGuide(const GuideSpec& spec) {
  std::mt19937 random(spec.seed);
  std::vector<std::vector<Programme>> guide(static_cast<std::size_t>(std::max(spec.channels, 0)));
  const DateTime first = EncodeDateTime(spec.start).value_or(0);
  const DateTime end = first + spec.days;
  for (auto& channel : guide) {
    // A channel reuses a small stock of titles, so entries repeat as in real guides.
    std::vector<std::string> stock(40);
    for (auto& title : stock) title = Title(random, spec.language);
    DateTime at = first;
    while (at < end) {
      channel.push_back({DecodeDateTime(at), stock[random() % stock.size()]});
      int minutes = 5 + static_cast<int>(random() % 12) * 15;  // 5 minutes to 2 h 50
      if (random() % 10 == 0) minutes = 180;
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
