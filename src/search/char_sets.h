// Characters and character pairs as the compiled matcher's parts file and count
// them: Windows-1251 bytes, Io folding, sets of characters and hashed sets of pairs.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/cp1251.h"
#include "search/find_mode.h"

namespace kolvar::matching {

inline unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

inline char Fold(char c) { return Byte(c) == 0xA8 ? static_cast<char>(0xC5) : c; }

// Upper-cased, then folded: how modes 3 to 6 read a character.
struct UpperFoldTable {
  std::array<char, 256> to{};
  UpperFoldTable() {
    for (int i = 0; i < 256; ++i) {
      to[static_cast<std::size_t>(i)] = Fold(UpperChar(static_cast<char>(i)));
    }
  }
};

inline const UpperFoldTable& UpperFold() {
  static const UpperFoldTable table;
  return table;
}

// How a mode reads a line's character: as it stands (mode 1), Io folded (mode
// 2), upper-cased and folded (modes 3 to 6).
inline constexpr int kReadings = 3;
inline int ReadingIndex(FindMode mode) {
  return mode == kFindExact ? 0 : mode == kFindIoFolded ? 1 : 2;
}
struct ReadingTables {
  std::array<std::array<char, 256>, kReadings> of{};
  ReadingTables() {
    for (std::size_t i = 0; i < 256; ++i) {
      of[0][i] = static_cast<char>(i);
      of[1][i] = Fold(static_cast<char>(i));
      of[2][i] = UpperFold().to[i];
    }
  }
};
inline const std::array<char, 256>& Reading(int index) {
  static const ReadingTables tables;
  return tables.of[static_cast<std::size_t>(index)];
}
inline const std::array<char, 256>& ReadingOf(FindMode mode) { return Reading(ReadingIndex(mode)); }

// Modes 5 and 6 also rate copies with two neighbouring characters exchanged.
inline bool Exchanges(FindMode mode) {
  return mode == kFindExchanges || mode == kFindWordsOrExchanges;
}

using CharSet = std::array<std::uint64_t, 4>;

inline void Add(CharSet& set, char c) { set[Byte(c) >> 6] |= std::uint64_t{1} << (Byte(c) & 63); }

// Without a processor option the library's popcount is a call; this is not.
inline int BitCount(std::uint64_t x) {
  x -= (x >> 1) & 0x5555555555555555u;
  x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<int>((x * 0x0101010101010101u) >> 56);
}

// Whether the set lacks at most allowed distinct characters of the key: each one
// it lacks costs at least one position.
inline bool LacksAtMost(const CharSet& key, const CharSet& line, int allowed) {
  int missing = 0;
  for (std::size_t w = 0; w < 4; ++w) {
    if (const std::uint64_t lacking = key[w] & ~line[w]) {
      missing += BitCount(lacking);
      if (missing > allowed) return false;
    }
  }
  return true;
}

inline std::uint32_t Pair(char a, char b) { return std::uint32_t{Byte(a)} << 8 | Byte(b); }

inline std::uint32_t Bucket(std::uint32_t pair, int bits) {
  return (pair * 2654435761u) >> (32 - bits);
}

// Sets of character pairs, hashed: a collision only keeps a needless candidate.
inline constexpr int kPairSetBits = 10;
using PairSet = std::array<std::uint64_t, 16>;

inline void AddPair(PairSet& set, std::uint32_t pair) {
  const std::uint32_t b = Bucket(pair, kPairSetBits);
  set[b >> 6] |= std::uint64_t{1} << (b & 63);
}

inline bool HasPair(const PairSet& set, std::uint32_t pair) {
  const std::uint32_t b = Bucket(pair, kPairSetBits);
  return (set[b >> 6] >> (b & 63) & 1) != 0;
}

// Calls at(i) for each blank of text, in order, 16 bytes at a time where the
// build has SSE2: words are short, and a library search a word cost more than
// what the words were wanted for.
template <typename At>
void ForEachBlank(std::string_view text, At&& at) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i blank = _mm_set1_epi8(' ');
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    for (auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, blank)));
         bits != 0; bits &= bits - 1) {
      at(i + static_cast<std::size_t>(std::countr_zero(bits)));
    }
  }
#endif
  for (; i < text.size(); ++i) {
    if (text[i] == ' ') at(i);
  }
}

}  // namespace kolvar::matching
