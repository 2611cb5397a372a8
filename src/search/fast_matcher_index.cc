// How the decisions stay exact: a rating is best * 100 / K rounded, which never
// falls as best increases, so "rating >= precision" is "best >= need" for one need per
// term, and "rating <= precision" is "best < need". Only that comparison is worked
// out, never the rating itself.
#include "search/fast_matcher_index.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <tuple>
#include <utility>

#include "search/similarity.h"

namespace kolvar::matching {
namespace {

Term CompileTerm(const TParam& param) {
  Term term;
  term.mode = param.Mode;
  term.include = param.Include;
  term.precision = param.Precision;
  term.key = param.Word;
  if (term.mode == kFindIoFolded || term.mode == kFindUpperCase) {
    for (char& c : term.key) c = Fold(c);
  } else if (term.mode >= kFindWholeWords && term.mode <= kFindWordsOrExchanges) {
    for (char& c : term.key) c = UpperFold().to[Byte(c)];
  }
  term.length = static_cast<int>(term.key.size());
  term.need = term.length + 1;
  for (int b = 0; b <= term.length && term.length > 0; ++b) {
    const int rating = RatingPercent(b, term.length);
    if (term.include ? rating >= term.precision : rating > term.precision) {
      term.need = b;
      break;
    }
  }
  for (char c : term.key) Add(term.chars, c);
  return term;
}

// How many pieces the key is cut into so that a passing window leaves one piece
// unchanged in the line. Modes 1 to 3: one more than the unequal characters
// allowed. An exchange can raise a window's count by two, so mode 5 and the
// exchanges of mode 6 allow two more. Mode 4's tolerant pass, whose windows count
// only when every character but the last is equal, disturbs at most two pieces:
// the one with the skipped letter and the last.
int Pieces(FindMode mode, int allowed) {
  switch (mode) {
    case kFindWholeWords:
      return std::max(allowed + 1, 3);
    case kFindExchanges:
    case kFindWordsOrExchanges:
      return allowed + 3;
    default:
      return allowed + 1;
  }
}

Form FormOf(FindMode mode) {
  switch (mode) {
    case kFindExact:
      return kRaw;
    case kFindIoFolded:
      return kFolded;
    case kFindUpperCase:
    case kFindExchanges:
      return kUpperFromStart;
    default:
      return kUpperWhole;
  }
}

// A piece by the pair of its first two characters, or by its one character.
struct Entry {
  std::uint32_t pair;
  PieceAt piece;
  bool operator<(const Entry& o) const {
    return std::tie(pair, piece.term, piece.offset, piece.variant) <
           std::tie(o.pair, o.piece.term, o.piece.offset, o.piece.variant);
  }
  bool operator==(const Entry& o) const {
    return pair == o.pair && piece.term == o.piece.term && piece.offset == o.piece.offset &&
           piece.variant == o.piece.variant;
  }
};

struct Entries {
  std::array<std::vector<Entry>, kTexts> pairs;
  std::array<std::vector<Entry>, kTexts> singles;
  std::vector<Entry> wordSingles;
  std::vector<Entry> offsetSingles;
  std::vector<Entry> apart;                                    // upper-cased pairs one apart
  std::vector<std::pair<std::uint64_t, std::uint32_t>> words;  // packed word, term
};

// Mode 4's and 6's words of an exact key without blanks (see WordKeys).
bool FileWords(Term& term, std::uint32_t t, Entries& entries) {
  const std::size_t k = term.key.size();
  if (term.need != term.length || k < 2 || k > kWordKeyMax ||
      term.key.find(' ') != std::string::npos) {
    return false;
  }
  term.words = true;
  entries.words.emplace_back(PackWord(term.key.data(), k), t);
  for (std::size_t j = 1; j + 1 < k; ++j) {
    std::string less = term.key;
    less.erase(j, 1);
    entries.words.emplace_back(PackWord(less.data(), less.size()), t);
  }
  return true;
}

void IndexWords(std::vector<std::pair<std::uint64_t, std::uint32_t>>& list, WordKeys& index) {
  std::sort(list.begin(), list.end());
  list.erase(std::unique(list.begin(), list.end()), list.end());
  if (list.empty()) return;
  index.bits = 4;
  while (index.bits < 20 && (std::size_t{1} << index.bits) < 4 * list.size()) ++index.bits;
  auto bucket = [&index](std::uint64_t w) { return WordBucket(w, index.bits); };
  index.first.assign((std::size_t{1} << index.bits) + 1, 0);
  for (const auto& e : list) ++index.first[bucket(e.first) + 1];
  for (std::size_t b = 1; b < index.first.size(); ++b) index.first[b] += index.first[b - 1];
  index.words.resize(list.size());
  index.terms.resize(list.size());
  std::vector<std::uint32_t> next(index.first.begin(), index.first.end() - 1);
  for (const auto& e : list) {
    const std::size_t at = next[bucket(e.first)]++;
    index.words[at] = e.first;
    index.terms[at] = e.second;
  }
}

// Looked up by their first two characters, compared whole where those stand.
void FilePairs(const Term& term, std::uint32_t t, int pieces, std::vector<Entry>& list) {
  for (int piece = 0; piece < pieces; ++piece) {
    const int at = piece * term.length / pieces;
    const int next = (piece + 1) * term.length / pieces;
    const auto a = static_cast<std::size_t>(at);
    list.push_back({Pair(term.key[a], term.key[a + 1]), {t, at, next - at}});
  }
}

// Every text that stands where a window of the exact key (or a half of a key,
// offset into it) passes with one exchange or none (see Variant), each once.
std::vector<Variant> VariantsOf(const std::string& key, std::int32_t offset) {
  const auto k = static_cast<std::int32_t>(key.size());
  std::vector<Variant> variants{{key, 1 - offset}};
  for (std::size_t j = 0; j + 1 < key.size(); ++j) {
    std::string exchanged = key;
    std::swap(exchanged[j], exchanged[j + 1]);
    variants.push_back({exchanged, 1 - offset});
  }
  if (k >= 3) {
    variants.push_back({key.substr(1), -offset, true, -2, key.front()});
    variants.push_back({key.substr(0, key.size() - 1), 1 - offset, true, k, key.back()});
  }
  std::vector<Variant> distinct;
  for (const Variant& v : variants) {
    const bool seen = std::any_of(distinct.begin(), distinct.end(), [&v](const Variant& d) {
      return d.text == v.text && d.shift == v.shift && d.withCheck == v.withCheck &&
             d.checkAt == v.checkAt && d.check == v.check;
    });
    if (!seen) distinct.push_back(v);
  }
  return distinct;
}

// The variants of the key, or of its part at offset, filed whole; a part of two
// characters also one apart (the text "?" of the variants less a character).
void FileVariants(CompiledKeywords& compiled, std::uint32_t t, const std::string& part,
                  std::int32_t offset, std::vector<Entry>& pairs, Entries& entries) {
  for (Variant& v : VariantsOf(part, offset)) {
    const auto index = static_cast<std::int32_t>(compiled.variants.size());
    const std::uint32_t pair = Pair(v.text[0], v.text[1]);
    const auto length = static_cast<std::int32_t>(v.text.size());
    pairs.push_back({pair, {t, 0, length, 0, kUnindexed, {}, index}});
    compiled.variants.push_back(std::move(v));
  }
  if (part.size() == 2) entries.apart.push_back({Pair(part[0], part[1]), {t, offset, 0}});
}

// Mode 4's single characters, one more than the unequal ones allowed, the first
// among them: a window that reaches need holds one of them where the key puts
// it; in the tolerant pass the first character is always equal, read at most a
// position behind. Looked up near word starts only.
void FileWordSingles(const Term& term, std::uint32_t t, Entries& entries) {
  const int count = term.length - term.need + 1;
  for (int piece = 0; piece < count; ++piece) {
    const auto at = static_cast<std::size_t>(piece * term.length / count);
    auto& list = at == 0 ? entries.wordSingles : entries.offsetSingles;
    list.push_back({Byte(term.key[at]), {t, static_cast<std::int32_t>(at)}});
  }
}

// Too short for pairs: single characters, one more than the unequal ones allowed,
// the first among them (see FileWordSingles); an exchange moves a character by
// one. Exchanges with nothing unequal allowed are found by the key's variants.
void FileSingles(CompiledKeywords& compiled, std::uint32_t t, Text text, Entries& entries) {
  Term& term = compiled.terms[t];
  if ((term.mode == kFindExchanges || term.mode == kFindWordsOrExchanges) &&
      term.need == term.length && term.length >= 2) {
    // Mode 6's words are marked by their first character at a word start.
    term.exact = true;
    FileVariants(compiled, t, term.key, 0, entries.pairs[text], entries);
    if (term.mode == kFindWordsOrExchanges && !FileWords(term, t, entries)) {
      entries.wordSingles.push_back({Byte(term.key[0]), {t, 0, 1}});
    }
    return;
  }
  if (term.mode == kFindWholeWords) {
    if (!FileWords(term, t, entries)) FileWordSingles(term, t, entries);
    return;
  }
  const int count = term.length - term.need + 1;
  for (int piece = 0; piece < count; ++piece) {
    const auto at = static_cast<std::size_t>(piece * term.length / count);
    entries.singles[text].push_back({Byte(term.key[at]), {t, static_cast<std::int32_t>(at)}});
  }
}

// Exchanges with one unequal letter allowed, keys of up to kHalvesMax characters:
// a window that reaches need leaves one half of the key equal in the line or in
// the exchanged copy, so the halves' variants note the windows. Mode 6's whole
// words are found as mode 4's are, by pairs or by single characters. Longer keys
// keep their four pieces of pairs, each of more than three characters: as rare.
constexpr int kHalvesMax = 13;
bool ByHalves(const Term& term) {
  return (term.mode == kFindExchanges || term.mode == kFindWordsOrExchanges) &&
         term.need == term.length - 1 && term.length >= 4 && term.length <= kHalvesMax;
}

void FileHalves(CompiledKeywords& compiled, std::uint32_t t, Text text, Entries& entries) {
  Term& term = compiled.terms[t];
  term.halves = true;
  const auto half = static_cast<std::size_t>(term.length / 2);
  FileVariants(compiled, t, term.key.substr(0, half), 0, entries.pairs[text], entries);
  FileVariants(compiled, t, term.key.substr(half), static_cast<std::int32_t>(half),
               entries.pairs[text], entries);
  if (term.mode != kFindWordsOrExchanges) return;
  const int pieces = Pieces(kFindWholeWords, term.length - term.need);
  if (term.length >= 2 * pieces) {
    FilePairs(term, t, pieces, entries.pairs[text]);
  } else {
    term.single = true;
    FileWordSingles(term, t, entries);
  }
}

// Cuts the term into pieces and files them; a term no piece can stand for stays
// unindexed.
void FileTerm(CompiledKeywords& compiled, std::uint32_t t, Entries& entries) {
  Term& term = compiled.terms[t];
  if (term.length == 0 || term.mode < kFindExact || term.mode > kFindWordsOrExchanges) return;
  if (term.need <= 0 || term.need > term.length) return;
  const int pieces = Pieces(term.mode, term.length - term.need);
  term.form = FormOf(term.mode);
  compiled.foldedPieces = compiled.foldedPieces || term.form == kFolded;
  compiled.wholePieces = compiled.wholePieces || term.form == kUpperWhole;
  const Text text = TextOf(term.form);
  // Keys of up to kWordKeyMax characters that allow nothing unequal are found
  // whole (their variants, their words) even where pairs would do: rarer.
  const bool whole = term.mode == kFindWholeWords || term.mode == kFindWordsOrExchanges;
  const bool exact =
      term.need == term.length && term.length <= static_cast<int>(kWordKeyMax) &&
      (term.mode == kFindExchanges || (whole && term.key.find(' ') == std::string::npos));
  if (ByHalves(term)) {
    FileHalves(compiled, t, text, entries);
    return;
  }
  if (term.length >= 2 * pieces && !exact) {
    FilePairs(term, t, pieces, entries.pairs[text]);
    return;
  }
  term.single = true;
  FileSingles(compiled, t, text, entries);
}

void IndexByCharacter(std::vector<Entry>& list, CharIndex& index) {
  std::sort(list.begin(), list.end());
  list.erase(std::unique(list.begin(), list.end()), list.end());
  if (list.empty()) return;
  index.first.assign(257, 0);
  for (const auto& e : list) ++index.first[e.pair + 1];
  for (std::size_t c = 1; c < index.first.size(); ++c) index.first[c] += index.first[c - 1];
  for (const auto& e : list) index.pieces.push_back(e.piece);
}

void IndexByPair(std::vector<Entry>& list, PairIndex& index) {
  std::sort(list.begin(), list.end());
  list.erase(std::unique(list.begin(), list.end()), list.end());
  if (list.empty()) return;
  // Eight buckets an entry keep most of a line's pairs off every piece.
  index.bits = 4;
  while (index.bits < 15 && (std::size_t{1} << index.bits) < 8 * list.size()) ++index.bits;
  index.first.assign((std::size_t{1} << index.bits) + 1, 0);
  for (const auto& e : list) ++index.first[Bucket(e.pair, index.bits) + 1];
  for (std::size_t b = 1; b < index.first.size(); ++b) index.first[b] += index.first[b - 1];
  index.pieces.resize(list.size());
  std::vector<std::uint32_t> next(index.first.begin(), index.first.end() - 1);
  for (const auto& e : list) index.pieces[next[Bucket(e.pair, index.bits)]++] = e.piece;
}

// Takes the pieces index.width characters long, or longer for width 4, out of
// list into index.
void IndexByGram(std::vector<Entry>& list, const CompiledKeywords& compiled, int width,
                 GramIndex& index) {
  index.width = width;
  std::vector<Entry> grams;
  std::erase_if(list, [&](const Entry& e) {
    if (width == 3 ? e.piece.length != 3 : e.piece.length < 4) return false;
    const char* text =
        e.piece.variant >= 0
            ? compiled.variants[static_cast<std::size_t>(e.piece.variant)].text.data()
            : compiled.terms[e.piece.term].key.data() + e.piece.offset;
    Entry gram = e;
    gram.pair = Gram(text, width);
    gram.piece.key = gram.pair;
    grams.push_back(gram);
    return true;
  });
  std::sort(grams.begin(), grams.end());
  grams.erase(std::unique(grams.begin(), grams.end()), grams.end());
  if (grams.empty()) return;
  index.bits = 4;
  while (index.bits < 20 && (std::size_t{1} << index.bits) < 2 * grams.size()) ++index.bits;
  index.seenBits = 10;
  while (index.seenBits < 22 && (std::size_t{1} << index.seenBits) < 16 * grams.size()) {
    ++index.seenBits;
  }
  index.seen.assign((std::size_t{1} << index.seenBits) / 64, 0);
  index.first.assign((std::size_t{1} << index.bits) + 1, 0);
  auto bucket = [&index](std::uint32_t gram) { return GramHash(gram) >> (32 - index.bits); };
  for (const auto& e : grams) {
    const std::uint32_t seen = GramHash(e.pair) >> (32 - index.seenBits);
    index.seen[seen >> 6] |= std::uint64_t{1} << (seen & 63);
    ++index.first[bucket(e.pair) + 1];
  }
  for (std::size_t b = 1; b < index.first.size(); ++b) index.first[b] += index.first[b - 1];
  index.pieces.resize(grams.size());
  std::vector<std::uint32_t> next(index.first.begin(), index.first.end() - 1);
  for (const auto& e : grams) index.pieces[next[bucket(e.pair)]++] = e.piece;
}

void FlagPairs(CompiledKeywords& compiled) {
  auto flagFirst = [](PairFlags& flags, std::uint32_t a, std::uint8_t bit) {
    for (std::uint32_t b = 0; b < 256; ++b) flags.of[a << 8 | b] |= bit;
  };
  for (std::size_t x = 0; x < kTexts; ++x) {
    PairFlags& flags = compiled.flags[x];
    const CharIndex& chars = compiled.chars[x];
    const bool upper = x == kUpperText;
    if (compiled.pairs[x].pieces.empty() && compiled.triples[x].pieces.empty() &&
        compiled.quads[x].pieces.empty() && chars.pieces.empty() &&
        (!upper || (compiled.wordChars.pieces.empty() && compiled.offsetChars.pieces.empty() &&
                    compiled.apartPairs.pieces.empty()))) {
      continue;
    }
    flags.of.assign(std::size_t{1} << 16, 0);
    for (const PieceAt& piece : compiled.pairs[x].pieces) flags.of[piece.key] |= kPairPieces;
    for (const GramIndex* grams : {&compiled.triples[x], &compiled.quads[x]}) {
      const std::uint8_t bit = grams->width == 3 ? kTriplePieces : kQuadPieces;
      for (const PieceAt& piece : grams->pieces) {
        flags.of[Pair(static_cast<char>(piece.key), static_cast<char>(piece.key >> 8))] |= bit;
      }
    }
    for (std::uint32_t a = 0; a < 256 && !chars.first.empty(); ++a) {
      if (chars.first[a] != chars.first[a + 1]) flagFirst(flags, a, kCharPieces);
    }
    if (!upper) continue;
    const CharIndex& words = compiled.wordChars;
    for (std::uint32_t a = 0; a < 256 && !words.first.empty(); ++a) {
      if (words.first[a] != words.first[a + 1]) flagFirst(flags, a, kWordPieces);
    }
    const CharIndex& offsets = compiled.offsetChars;
    for (std::uint32_t a = 0; a < 256 && !offsets.first.empty(); ++a) {
      if (offsets.first[a] != offsets.first[a + 1]) flagFirst(flags, a, kOffsetPieces);
    }
    compiled.apartBits.assign((std::size_t{1} << 16) / 64, 0);
    for (const PieceAt& piece : compiled.apartPairs.pieces) {
      flagFirst(flags, piece.key >> 8, kApartPieces);
      compiled.apartBits[piece.key >> 6] |= std::uint64_t{1} << (piece.key & 63);
    }
  }
}

void BuildIndexes(CompiledKeywords& compiled) {
  Entries entries;
  for (std::size_t t = 0; t < compiled.terms.size(); ++t) {
    FileTerm(compiled, static_cast<std::uint32_t>(t), entries);
  }
  for (auto* list :
       {&entries.wordSingles, &entries.offsetSingles, &entries.apart, &entries.singles[kLineText],
        &entries.singles[kUpperText], &entries.pairs[kLineText], &entries.pairs[kUpperText]}) {
    for (Entry& e : *list) {
      e.piece.key = e.pair;
      const Term& term = compiled.terms[e.piece.term];
      e.piece.form = term.form;
      const char* text =
          e.piece.variant >= 0
              ? compiled.variants[static_cast<std::size_t>(e.piece.variant)].text.data()
              : term.key.data() + e.piece.offset;
      for (std::size_t j = 2; j < 4 && static_cast<std::int32_t>(j) < e.piece.length; ++j) {
        e.piece.next[j - 2] = text[j];
      }
    }
  }
  IndexWords(entries.words, compiled.wordKeys);
  IndexByCharacter(entries.wordSingles, compiled.wordChars);
  IndexByCharacter(entries.offsetSingles, compiled.offsetChars);
  IndexByPair(entries.apart, compiled.apartPairs);
  for (std::size_t x = 0; x < kTexts; ++x) {
    IndexByCharacter(entries.singles[x], compiled.chars[x]);
    IndexByGram(entries.pairs[x], compiled, 3, compiled.triples[x]);
    IndexByGram(entries.pairs[x], compiled, 4, compiled.quads[x]);
    IndexByPair(entries.pairs[x], compiled.pairs[x]);
  }
  FlagPairs(compiled);
}

// How often a term is likely a candidate, roughly: a piece of m characters stands
// in a line about 20^-m as often as one character does.
double Commonness(const Term& term) {
  if (term.words && term.mode == kFindWholeWords) return 0.1;
  // About K variants of half the key; mode 6's word pieces besides.
  if (term.halves) {
    const double words = term.mode != kFindWordsOrExchanges ? 0.0 : term.single ? 0.5 : 0.01;
    return term.length * std::pow(0.05, term.length / 2) + words;
  }
  if (term.single) {
    const bool pairNear = term.need == term.length &&
                          (term.mode == kFindExchanges || term.mode == kFindWordsOrExchanges);
    return pairNear ? 0.3 : term.length - term.need + 1;
  }
  const int pieces = Pieces(term.mode, term.length - term.need);
  double sum = 0;
  for (int piece = 0; piece < pieces; ++piece) {
    const int length = (piece + 1) * term.length / pieces - piece * term.length / pieces;
    sum += std::pow(0.05, length);
  }
  return sum;
}

// A keyword passes only when each including term does, and an indexed one only
// on the lines where it is a candidate: its rarest such term opens it.
void BuildGates(CompiledKeywords& compiled) {
  compiled.gate.assign(compiled.terms.size(), -1);
  compiled.ungated.assign((compiled.keywords.size() + 63) / 64, 0);
  for (std::size_t k = 0; k < compiled.keywords.size(); ++k) {
    const Keyword& keyword = compiled.keywords[k];
    if (keyword.count == 0) continue;  // matches nothing
    std::size_t gate = keyword.first + keyword.count;
    double rarest = 0;
    for (std::size_t t = keyword.first; t < keyword.first + keyword.count; ++t) {
      const Term& term = compiled.terms[t];
      if (term.form == kUnindexed || !term.include) continue;
      const double commonness = Commonness(term);
      if (gate == keyword.first + keyword.count || commonness < rarest) {
        gate = t;
        rarest = commonness;
      }
    }
    if (gate < keyword.first + keyword.count) {
      compiled.gate[gate] = static_cast<int>(k);
    } else {
      compiled.ungated[k / 64] |= std::uint64_t{1} << (k % 64);
    }
  }
}

}  // namespace

CompiledKeywords CompileKeywords(const TWRD& keywords, bool compareFromStart) {
  CompiledKeywords compiled;
  compiled.start = compareFromStart ? 1 : kStartAfterDate;
  for (const TSearchStrings& keyword : keywords.Items) {
    compiled.keywords.push_back({compiled.terms.size(), keyword.Params.size()});
    for (const TParam& param : keyword.Params) {
      compiled.terms.push_back(CompileTerm(param));
      compiled.upperNeeded = compiled.upperNeeded ||
                             (param.Mode >= kFindUpperCase && param.Mode <= kFindWordsOrExchanges);
    }
  }
  BuildIndexes(compiled);
  BuildGates(compiled);
  return compiled;
}

}  // namespace kolvar::matching
