// The keywords as the compiled matcher holds them: every term with what its
// decision needs worked out once, and the pieces that stand for the terms filed
// for the pass over a line. Built once per run, read only after.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "search/char_sets.h"
#include "search/find_mode.h"
#include "search/keywords.h"

namespace kolvar::matching {

// The form of the line a term's windows read: as given (mode 1), Io folded
// (mode 2), upper-cased and folded from the start position (modes 3 and 5) or
// whole (modes 4 and 6); kUnindexed when no piece can stand for the term, which
// makes every line a candidate.
enum Form : std::int32_t { kRaw, kFolded, kUpperFromStart, kUpperWhole, kUnindexed };

// The texts the pieces are looked up in: the line as given (modes 1 and 2; a
// line with a capital Io is also read folded) and upper-cased (modes 3 to 6).
enum Text { kLineText, kUpperText, kTexts };
inline Text TextOf(Form form) { return form <= kFolded ? kLineText : kUpperText; }

struct Term {
  std::string key;  // as its mode compares it
  FindMode mode{};
  int length = 0;
  bool include = true;
  std::int32_t precision = 0;
  // Including: passes when the best count reaches need; excluding: when it stays below.
  int need = 0;
  CharSet chars{};
  Form form = kUnindexed;
  // Its pieces are single characters (the key is too short for pairs).
  bool single = false;
  // Exchanges of modes 5 and 6 with nothing unequal allowed: the windows that can
  // pass are noted exactly by the key's variants (Variant), none by characters.
  bool exact = false;
  // Exchanges of modes 5 and 6 with one unequal letter allowed, short keys: the
  // windows are noted by its halves' variants; mode 6's whole words are found as
  // mode 4's are.
  bool halves = false;
  // Modes 4 and 6, nothing unequal allowed, no blank in the key: its words are
  // found whole among the line's (WordKeys), not by their first character.
  bool words = false;
};

// The line's words of up to kWordKeyMax characters, packed with their length.
inline constexpr std::size_t kWordKeyMax = 7;
inline std::uint64_t PackWord(const char* word, std::size_t length) {
  std::uint64_t packed = length;
  for (std::size_t j = 0; j < length; ++j) packed = packed << 8 | Byte(word[j]);
  return packed;
}

// PackWord where eight bytes can be read from word: one load instead of a step
// a character.
inline std::uint64_t PackWordFrom8(const char* word, std::size_t length) {
  std::uint64_t bytes;
  std::memcpy(&bytes, word, 8);
  // The first character highest, as PackWord shifts it up.
  if constexpr (std::endian::native == std::endian::little) bytes = __builtin_bswap64(bytes);
  const std::size_t bits = 8 * length;
  return (bits == 0 ? 0 : bytes >> (64 - bits)) | std::uint64_t{length} << bits;
}

inline std::size_t WordBucket(std::uint64_t word, int bits) {
  return static_cast<std::size_t>((word * 0x9E3779B97F4A7C15u) >> (64 - bits));
}

// The words that can make an exact short key of modes 4 and 6 pass, hashed: a
// window reaching every letter is a whole word equal to the key, or (the
// tolerant pass) equal to the key less one letter between its first and last.
struct WordKeys {
  int bits = 0;
  std::vector<std::uint32_t> first;  // per bucket, into words and terms
  std::vector<std::uint64_t> words;
  std::vector<std::uint32_t> terms;
};

// A text that stands in the line exactly where a window of a short key passes
// with one exchange or none: the key, the key with two neighbours exchanged, or
// (the exchange reaching just outside the window) the key less its first or
// last character with that character one further out. The same for a half of a
// key, where the window reaches need only if the half is equal in the line or
// in the exchanged copy. The window is the text's 0-based position plus shift;
// check, if any, stands checkAt from that position.
struct Variant {
  std::string text;
  std::int32_t shift = 1;
  bool withCheck = false;
  std::int32_t checkAt = 0;
  char check = 0;
};

// A keyword's terms are terms[first] .. terms[first + count - 1].
struct Keyword {
  std::size_t first = 0;
  std::size_t count = 0;
};

struct PieceAt {
  std::uint32_t term = 0;
  std::int32_t offset = 0;  // of the piece in the key
  // Up to the next piece: the pieces cut the key up. 0: the piece only marks its
  // term a candidate (FirstPairNear tells more).
  std::int32_t length = 1;
  // Copies kept beside it, so that a look-up touches the term only on a match:
  // the pair or character it is filed under, and its term's form.
  std::uint32_t key = 0;
  Form form = kUnindexed;
  // Its third and fourth characters (as far as it has them), compared before the
  // term is touched: most pieces under a common pair differ there.
  std::array<char, 2> next{};
  // Into CompiledKeywords::variants when the piece is a whole Variant, else -1.
  std::int32_t variant = -1;
};

// Per text, the pieces of the terms by their first two characters, hashed into
// 2^bits buckets: the pieces of bucket x are pieces[first[x]] .. pieces[first[x + 1] - 1].
struct PairIndex {
  int bits = 0;
  std::vector<std::uint32_t> first;
  std::vector<PieceAt> pieces;
};

// Per text, the single-character pieces by their character: those of c are
// pieces[first[c]] .. pieces[first[c + 1] - 1].
struct CharIndex {
  std::vector<std::uint32_t> first;
  std::vector<PieceAt> pieces;
};

// Per text, the pieces of three characters by their three, and those of four
// or more by their first four, hashed: pairs as common as "ER" would otherwise
// bring a line's every other position to a long bucket. A bitmap of the hashes
// turns most positions away first.
struct GramIndex {
  int width = 0;     // 3 or 4
  int bits = 0;      // of the buckets: pieces[first[x]] .. pieces[first[x + 1] - 1]
  int seenBits = 0;  // of the bitmap
  std::vector<std::uint64_t> seen;
  std::vector<std::uint32_t> first;
  std::vector<PieceAt> pieces;  // key: the first width characters, as Gram reads them
};

// Three or four characters as one number, the first in the lowest byte.
inline std::uint32_t Gram(const char* p, int width) {
  std::uint32_t gram =
      std::uint32_t{Byte(p[0])} | std::uint32_t{Byte(p[1])} << 8 | std::uint32_t{Byte(p[2])} << 16;
  if (width == 4) gram |= std::uint32_t{Byte(p[3])} << 24;
  return gram;
}
inline std::uint32_t GramHash(std::uint32_t gram) { return gram * 0x9E3779B1u; }

// What a pair of neighbouring characters (a, b) can start in the pass over a
// text, so that most positions cost one look-up: bit kPairPieces, pieces filed
// under (a, b); kCharPieces, single characters a; kWordPieces, word-start
// characters a; kApartPieces, pairs one apart that begin with a; kOffsetPieces
// (below).
enum PairFlag : std::uint8_t {
  kPairPieces = 1,
  kCharPieces = 2,
  kWordPieces = 4,
  kApartPieces = 8,
  kOffsetPieces = 16,  // mode 4's (and 6's by halves) characters after the first: a
  kTriplePieces = 32,  // pieces of three characters that begin with (a, b)
  kQuadPieces = 64,    // pieces of four characters or more that begin with (a, b)
};

// Per pair, bits of PairFlag; empty when the text has nothing filed.
struct PairFlags {
  std::vector<std::uint8_t> of;
  std::uint8_t At(char a, char b) const { return of[Pair(a, b)]; }
};

struct CompiledKeywords {
  std::vector<Term> terms;  // in keyword order
  std::vector<Variant> variants;
  std::vector<Keyword> keywords;
  int start = 1;             // where windows of modes 1, 2, 3 and 5 begin, 1-based
  bool upperNeeded = false;  // some term compares in upper case

  std::array<PairIndex, kTexts> pairs;
  std::array<GramIndex, kTexts> triples;
  std::array<GramIndex, kTexts> quads;
  std::array<CharIndex, kTexts> chars;
  CharIndex wordChars;  // mode 4's and 6's single first characters, upper-cased
  // Mode 4's other single characters (and mode 6's by halves), which count only
  // near a word start: the rest of chars mark their terms wherever they stand
  // from the start position on.
  CharIndex offsetChars;
  // Modes 5 and 6, keys or halves of two characters: the two one apart (length
  // 0; the windows one and two on, less the offset).
  PairIndex apartPairs;
  WordKeys wordKeys;
  std::array<PairFlags, kTexts> flags;
  std::vector<std::uint64_t> apartBits;  // bit per pair filed in apartPairs
  bool foldedPieces = false;             // some mode-2 term has pieces
  bool wholePieces = false;              // some term of mode 4 or 6 has pieces

  // A keyword with an including term that has pieces is looked at only on the
  // lines where the rarest such term is a candidate: per term, the keyword it
  // opens, or -1.
  std::vector<int> gate;
  // Bit k of word k / 64: keyword k is looked at on every line.
  std::vector<std::uint64_t> ungated;
};

// compareFromStart as for RateSimilarity.
CompiledKeywords CompileKeywords(const TWRD& keywords, bool compareFromStart);

}  // namespace kolvar::matching
