// How the decisions stay exact: a rating is best * 100 / K rounded, which never
// falls as best increases, so "rating >= precision" is "best >= need" for one need per
// term, and "rating <= precision" is "best < need". Only that comparison is worked
// out, never the rating itself.
#include "search/fast_matcher.h"

#include <algorithm>
#include <bit>
#include <tuple>
#include <utility>

#include "base/cp1251.h"
#include "search/similarity.h"

namespace kolvar {
namespace {

unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

char Fold(char c) { return Byte(c) == 0xA8 ? static_cast<char>(0xC5) : c; }

struct UpperFoldTable {
  std::array<char, 256> to{};
  UpperFoldTable() {
    for (int i = 0; i < 256; ++i)
      to[static_cast<std::size_t>(i)] = Fold(UpperChar(static_cast<char>(i)));
  }
};

const UpperFoldTable& UpperFold() {
  static const UpperFoldTable table;
  return table;
}

void Add(std::array<std::uint64_t, 4>& set, char c) {
  set[Byte(c) >> 6] |= std::uint64_t{1} << (Byte(c) & 63);
}

// Without a processor option the library's popcount is a call; this is not.
int BitCount(std::uint64_t x) {
  x -= (x >> 1) & 0x5555555555555555u;
  x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<int>((x * 0x0101010101010101u) >> 56);
}

// Whether the set lacks at most allowed distinct characters of the key: each one
// it lacks costs at least one position.
bool LacksAtMost(const std::array<std::uint64_t, 4>& key, const std::array<std::uint64_t, 4>& line,
                 int allowed) {
  int missing = 0;
  for (std::size_t w = 0; w < 4; ++w) {
    if (const std::uint64_t lacking = key[w] & ~line[w]) {
      missing += BitCount(lacking);
      if (missing > allowed) return false;
    }
  }
  return true;
}

std::uint32_t Pair(char a, char b) { return std::uint32_t{Byte(a)} << 8 | Byte(b); }

std::uint32_t Bucket(std::uint32_t pair, int bits) { return (pair * 2654435761u) >> (32 - bits); }

// Sets of character pairs, hashed: a collision only keeps a needless candidate.
constexpr int kPairSetBits = 10;

void AddPair(std::array<std::uint64_t, 16>& set, std::uint32_t pair) {
  const std::uint32_t b = Bucket(pair, kPairSetBits);
  set[b >> 6] |= std::uint64_t{1} << (b & 63);
}

bool HasPair(const std::array<std::uint64_t, 16>& set, std::uint32_t pair) {
  const std::uint32_t b = Bucket(pair, kPairSetBits);
  return (set[b >> 6] >> (b & 63) & 1) != 0;
}

// How many pieces the key is cut into so that a passing window leaves one piece
// unchanged in the line. Modes 1 to 3: one more than the unequal characters
// allowed. An exchange can raise a window's count by two, so mode 5 and the
// exchanges of mode 6 allow two more. Mode 4's tolerant pass, whose windows count
// only when every character but the last is equal, disturbs at most two pieces:
// the one with the skipped letter and the last.
int Pieces(int mode, int allowed) {
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

// Whether the window at p (1-based, inside the line) has at least need equal
// characters; it is given up once it has too many unequal ones.
bool WindowAt(std::string_view line, std::string_view key, int p, int need) {
  const int k = static_cast<int>(key.size());
  const char* window = line.data() + (p - 1);
  int unequal = 0;
  const int allowed = k - need;
  for (int j = 0; j < k; ++j) {
    if (window[j] != key[static_cast<std::size_t>(j)] && ++unequal > allowed) return false;
  }
  return true;
}

// The same for every window from start on (the line at least as long as the key).
bool WindowReaches(std::string_view line, std::string_view key, int start, int need) {
  const int last = static_cast<int>(line.size() - key.size()) + 1;
  for (int p = start; p <= last; ++p) {
    if (WindowAt(line, key, p, need)) return true;
  }
  return false;
}

// Whether the window at p, in the line or in one of the copies with two
// neighbouring characters exchanged (only the copies unless withLine), reaches
// need in mode 3. An exchange changes at most two positions of a window, so the
// best copy follows from the window's own count in O(K), rather than by rating
// every copy.
bool ExchangeWindowAt(std::string_view line, std::string_view key, int p, int need, bool withLine) {
  const int k = static_cast<int>(key.size());
  const int l = static_cast<int>(line.size());
  if (!withLine && l < 2) return false;  // no copies at all
  // 1-based access, as the exchanges are easiest to follow that way.
  auto at = [&line](int pos) { return line[static_cast<std::size_t>(pos - 1)]; };
  auto keyAt = [&key](int j) { return key[static_cast<std::size_t>(j - 1)]; };
  const int allowed = k - need + 2;
  int count = 0;
  int unequal = 0;
  for (int j = 1; j <= k; ++j) {
    if (at(p + j - 1) == keyAt(j)) {
      ++count;
    } else if (++unequal > allowed) {
      return false;  // two more equal characters would still not do
    }
  }
  if (withLine && count >= need) return true;
  // Exchanges i (with i + 1) that touch the window: i from p - 1 to p + K - 1.
  const int first = std::max(1, p - 1);
  const int last = std::min(l - 1, p + k - 1);
  const int touching = last >= first ? last - first + 1 : 0;
  int gain = withLine || l - 1 > touching ? 0 : -2;
  for (int i = first; i <= last; ++i) {
    int change = 0;
    if (i == p - 1) {
      change = (at(i) == keyAt(1)) - (at(p) == keyAt(1));
    } else if (i == p + k - 1) {
      change = (at(i + 1) == keyAt(k)) - (at(i) == keyAt(k));
    } else {
      const int jj = i - p + 1;
      change = (at(i + 1) == keyAt(jj)) + (at(i) == keyAt(jj + 1)) - (at(i) == keyAt(jj)) -
               (at(i + 1) == keyAt(jj + 1));
    }
    gain = std::max(gain, change);
  }
  return count + gain >= need;
}

bool ExchangeReaches(std::string_view line, std::string_view key, int start, int need,
                     bool withLine) {
  const int last = static_cast<int>(line.size()) - static_cast<int>(key.size()) + 1;
  for (int p = start; p <= last; ++p) {
    if (ExchangeWindowAt(line, key, p, need, withLine)) return true;
  }
  return false;
}

// Whether mode 4's best count reaches need, walked exactly as RateSimilarity walks
// it (the tolerant pass's shift carried from window to window included) up to the
// first window that reaches it. line holds the upper-cased, folded line with one
// blank appended; l is the line's own length; wordStarts its word starts in order.
bool WholeWordReaches(std::string_view line, int l, const std::vector<int>& wordStarts,
                      std::string_view key, int need) {
  const int k = static_cast<int>(key.size());
  auto at = [&line](int pos) { return line[static_cast<std::size_t>(pos - 1)]; };
  auto keyAt = [&key](int j) { return key[static_cast<std::size_t>(j - 1)]; };
  for (int p : wordStarts) {
    if (p > l - k + 1) break;
    if (!(p + k > l || at(p + k) == ' ')) continue;
    int count = 0;
    for (int j = 1; j <= k; ++j) count += at(p + j - 1) == keyAt(j);
    if (count >= need) return true;
  }
  const int extended = l + 1;
  int shift = 0;
  for (int p : wordStarts) {
    if (p > l + 2 - k) break;
    int count = 0;
    bool ends = false;
    for (int j = 1; j <= k; ++j) {
      if (j == k) ends = p + j - shift > extended || at(p + j - shift) == ' ';
      if (at(p + j - 1 - shift) == keyAt(j)) {
        ++count;
      } else if (j < k && shift == 0 && j != 1 && at(p + j - 1) == keyAt(j + 1)) {
        shift = 1;
        ++count;
      } else if (j < k) {
        shift = 0;
        break;
      }
    }
    if (ends && count >= need) return true;
  }
  return false;
}

}  // namespace

KeywordMatcher::KeywordMatcher(const TWRD& keywords, bool compareFromStart)
    : start_(compareFromStart ? 1 : kStartAfterDate) {
  for (const TSearchStrings& keyword : keywords.Items) {
    keywords_.push_back({terms_.size(), keyword.Params.size()});
    for (const TParam& param : keyword.Params) {
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
      upperNeeded_ =
          upperNeeded_ || (term.mode >= kFindUpperCase && term.mode <= kFindWordsOrExchanges);
      terms_.push_back(std::move(term));
    }
  }
  BuildIndexes();
  BuildGates();
}

void KeywordMatcher::BuildIndexes() {
  // Pieces by the pair of their first two characters, or by their one character.
  struct Entry {
    std::uint32_t pair;
    PieceAt piece;
    bool operator<(const Entry& o) const {
      return std::tie(pair, piece.term, piece.offset) <
             std::tie(o.pair, o.piece.term, o.piece.offset);
    }
    bool operator==(const Entry& o) const {
      return pair == o.pair && piece.term == o.piece.term && piece.offset == o.piece.offset;
    }
  };
  std::array<std::vector<Entry>, kTexts> entries;
  std::array<std::vector<Entry>, kTexts> singles;
  std::vector<Entry> wordSingles;
  std::vector<Entry> apart;  // upper-cased pairs one apart
  for (std::size_t t = 0; t < terms_.size(); ++t) {
    Term& term = terms_[t];
    if (term.length == 0 || term.mode < kFindExact || term.mode > kFindWordsOrExchanges) continue;
    if (term.need <= 0 || term.need > term.length) continue;
    const int pieces = Pieces(term.mode, term.length - term.need);
    const Form form = term.mode == kFindExact                                      ? kRaw
                      : term.mode == kFindIoFolded                                 ? kFolded
                      : term.mode == kFindUpperCase || term.mode == kFindExchanges ? kUpperFromStart
                                                                                   : kUpperWhole;
    term.form = form;
    foldedPieces_ = foldedPieces_ || form == kFolded;
    wholePieces_ = wholePieces_ || form == kUpperWhole;
    const Text text = TextOf(form);
    if (term.length >= 2 * pieces) {
      // Looked up by their first two characters, compared whole where those stand.
      for (int piece = 0; piece < pieces; ++piece) {
        const int at = piece * term.length / pieces;
        const int next = (piece + 1) * term.length / pieces;
        const auto a = static_cast<std::size_t>(at);
        entries[text].push_back(
            {Pair(term.key[a], term.key[a + 1]), {static_cast<std::uint32_t>(t), at, next - at}});
      }
      continue;
    }
    // Too short for pairs: single characters, one more than the unequal ones
    // allowed, the first among them. A window that reaches need holds one of them
    // where the key puts it; in the tolerant pass the first character is always
    // equal, read at most a position behind; an exchange moves a character by one.
    term.single = true;
    const auto tag = static_cast<std::uint32_t>(t);
    if ((term.mode == kFindExchanges || term.mode == kFindWordsOrExchanges) &&
        term.need == term.length && term.length >= 2) {
      // Nothing unequal allowed: the first pair near (FirstPairNear) marks it, and
      // mode 6's words their first character at a word start.
      const std::uint32_t ab = Pair(term.key[0], term.key[1]);
      entries[text].push_back({ab, {tag, 0, 0}});
      entries[text].push_back({Pair(term.key[1], term.key[0]), {tag, 0, 0}});
      apart.push_back({ab, {tag, 0, 0}});
      if (term.mode == kFindWordsOrExchanges) {
        wordSingles.push_back({Byte(term.key[0]), {tag, 0, 1}});
      }
      continue;
    }
    const int count = term.length - term.need + 1;
    for (int piece = 0; piece < count; ++piece) {
      const auto at = static_cast<std::size_t>(piece * term.length / count);
      // Mode 4's first character is looked up at word starts only.
      auto& list = term.mode == kFindWholeWords && at == 0 ? wordSingles : singles[text];
      list.push_back(
          {Byte(term.key[at]), {static_cast<std::uint32_t>(t), static_cast<std::int32_t>(at)}});
    }
  }
  for (auto* list : {&wordSingles, &apart, &singles[kLineText], &singles[kUpperText],
                     &entries[kLineText], &entries[kUpperText]}) {
    for (Entry& e : *list) {
      e.piece.key = e.pair;
      e.piece.mode = terms_[e.piece.term].mode;
    }
  }
  auto byCharacter = [](std::vector<Entry>& list, CharIndex& index) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    if (list.empty()) return;
    index.first.assign(257, 0);
    for (const auto& e : list) ++index.first[e.pair + 1];
    for (std::size_t c = 1; c < index.first.size(); ++c) index.first[c] += index.first[c - 1];
    for (const auto& e : list) index.pieces.push_back(e.piece);
  };
  auto byPair = [](std::vector<Entry>& list, PairIndex& index) {
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
  };
  byCharacter(wordSingles, wordChars_);
  byPair(apart, apartPairs_);
  for (std::size_t x = 0; x < kTexts; ++x) {
    byCharacter(singles[x], chars_[x]);
    byPair(entries[x], pairs_[x]);
  }
}

void KeywordMatcher::BuildGates() {
  candidate_.assign(terms_.size(), 0);
  firstHit_.assign(terms_.size(), 0);
  wordHit_.assign(terms_.size(), false);
  // A keyword whose first term includes and has pieces is looked at only on the
  // lines where that term is a candidate.
  gate_.assign(terms_.size(), -1);
  ungated_.assign((keywords_.size() + 63) / 64, 0);
  opened_.assign(ungated_.size(), 0);
  for (std::size_t k = 0; k < keywords_.size(); ++k) {
    const Keyword& keyword = keywords_[k];
    if (keyword.count == 0) continue;  // matches nothing
    const Term& first = terms_[keyword.first];
    if (first.form != kUnindexed && first.include) {
      gate_[keyword.first] = static_cast<int>(k);
    } else {
      ungated_[k / 64] |= std::uint64_t{1} << (k % 64);
    }
  }
}

void KeywordMatcher::Prepare(std::string_view line) {
  raw_ = line;
  foldedReady_ = rawSetReady_ = foldedSetReady_ = upperSetsReady_ = wordStartsReady_ = false;
  pairSetsReady_ = false;
  if (upperNeeded_) {
    upper_.resize(line.size() + 1);
    const auto& table = UpperFold().to;
    for (std::size_t i = 0; i < line.size(); ++i) upper_[i] = table[Byte(line[i])];
    upper_[line.size()] = ' ';
  }
  hits_.clear();
  std::fill(opened_.begin(), opened_.end(), 0);
  if (++lineNumber_ == 0) {
    std::fill(candidate_.begin(), candidate_.end(), 0);
    lineNumber_ = 1;
  }
  if (!pairs_[kLineText].pieces.empty() || !chars_[kLineText].pieces.empty()) {
    // Folded is the line itself unless it holds a capital Io.
    const bool io = foldedPieces_ && line.find('\xA8') != std::string_view::npos;
    Scan(kLineText, line, io ? 2 : 0);
    if (io) Scan(kLineText, FoldedLine(), 1);
  }
  // With the appended blank, which the tolerant pass reads.
  if (!pairs_[kUpperText].pieces.empty() || !chars_[kUpperText].pieces.empty() ||
      !wordChars_.pieces.empty() || !apartPairs_.pieces.empty()) {
    Scan(kUpperText, upper_, 0);
  }
}

void KeywordMatcher::Candidate(std::uint32_t term, bool wordHit, int window) {
  if (candidate_[term] != lineNumber_) {
    candidate_[term] = lineNumber_;
    firstHit_[term] = 0;
    wordHit_[term] = false;
    if (const int k = gate_[term]; k >= 0) opened_[k / 64] |= std::uint64_t{1} << (k % 64);
  }
  if (wordHit) wordHit_[term] = true;
  // Neighbouring characters often name the same window again.
  if (window > 0 && (firstHit_[term] == 0 || hits_[firstHit_[term] - 1].window != window)) {
    hits_.push_back({firstHit_[term], window});
    firstHit_[term] = static_cast<std::uint32_t>(hits_.size());
  }
}

void KeywordMatcher::Scan(Text kind, std::string_view text, int skipMode) {
  const PairIndex& pairs = pairs_[kind];
  const CharIndex& chars = chars_[kind];
  const bool withPairs = !pairs.pieces.empty();
  const bool withChars = !chars.pieces.empty();
  const std::size_t l = raw_.size();
  // Windows begin at the start position (an exchange reaching one before it),
  // except mode 4's whole words, which may begin anywhere.
  const std::size_t from =
      kind == kUpperText && wholePieces_ ? 0 : static_cast<std::size_t>(std::max(start_ - 2, 0));
  const bool withWords = kind == kUpperText && !wordChars_.pieces.empty();
  const bool withApart = kind == kUpperText && !apartPairs_.pieces.empty();
  for (std::size_t i = from; i < text.size(); ++i) {
    if (withChars) {
      const std::size_t c = Byte(text[i]);
      for (std::uint32_t e = chars.first[c]; e < chars.first[c + 1]; ++e) {
        if (chars.pieces[e].mode != skipMode) SingleAt(chars.pieces[e], i, text);
      }
    }
    // A word starts here, or (a blank) the position on: the window or the one a
    // position on begins a word.
    if (withWords && (i == 0 || text[i - 1] == ' ' || text[i] == ' ')) {
      const std::size_t c = Byte(text[i]);
      for (std::uint32_t e = wordChars_.first[c]; e < wordChars_.first[c + 1]; ++e) {
        Candidate(wordChars_.pieces[e].term, false, 0);
      }
    }
    if (withApart && i + 2 < l) {
      const std::uint32_t pair = Pair(text[i], text[i + 2]);
      const std::uint32_t bucket = Bucket(pair, apartPairs_.bits);
      for (std::uint32_t e = apartPairs_.first[bucket]; e < apartPairs_.first[bucket + 1]; ++e) {
        if (apartPairs_.pieces[e].key == pair) PairAt(apartPairs_.pieces[e], i, text);
      }
    }
    if (withPairs && i + 1 < l) {
      const std::uint32_t pair = Pair(text[i], text[i + 1]);
      const std::uint32_t bucket = Bucket(pair, pairs.bits);
      for (std::uint32_t e = pairs.first[bucket]; e < pairs.first[bucket + 1]; ++e) {
        const PieceAt& piece = pairs.pieces[e];
        if (piece.key == pair && piece.mode != skipMode) PairAt(piece, i, text);
      }
    }
  }
}

// Single characters are common: a line only marks their terms, and the windows
// are looked for when a term's keyword is reached (SingleHits).
void KeywordMatcher::SingleAt(const PieceAt& piece, std::size_t i, std::string_view text) {
  const Term& term = terms_[piece.term];
  if (term.form != kUpperWhole) {
    // An exchange can bring in the character just before the start position.
    if (static_cast<int>(i) + 2 < start_) return;
  } else if (term.mode == kFindWholeWords) {
    // Only where a word starts at the piece's window or a position on.
    const int window = static_cast<int>(i) - piece.offset + 1;
    if (window < 0) return;
    const auto before = static_cast<std::size_t>(window - 1);
    if (window > 1 && text[before - 1] != ' ' && text[before] != ' ') return;
  }
  Candidate(piece.term, false, 0);
}

void KeywordMatcher::PairAt(const PieceAt& piece, std::size_t i, std::string_view text) {
  if (piece.length == 0) {
    // A first pair near, for an exchange from just before the start position on.
    if (static_cast<int>(i) + 2 >= start_) Candidate(piece.term, false, 0);
    return;
  }
  const Term& term = terms_[piece.term];
  const auto length = static_cast<std::size_t>(piece.length);
  if (i + length > text.size()) return;
  const char* key = term.key.data() + piece.offset;
  for (std::size_t j = 0; j < length; ++j) {
    if (text[i + j] != key[j]) return;
  }
  const bool whole = term.form == kUpperWhole;
  const int l = static_cast<int>(raw_.size());
  // The window that puts the piece here; in mode 4 also the one reading the line
  // a position behind the key. Windows of modes 1 to 3 and 5 begin at the start
  // position; mode 4 reads the whole line.
  const int window = static_cast<int>(i) - piece.offset + 1;
  const bool inWindows = window >= start_ && window <= l - term.length + 1;
  bool wordHit = false;
  if (whole) {
    auto wordStart = [&text](int p) {
      return p == 1 || text[static_cast<std::size_t>(p - 2)] == ' ';
    };
    const int last = l + 2 - term.length;
    wordHit = (window >= 1 && window <= last && wordStart(window)) ||
              (window + 1 >= 1 && window + 1 <= last && wordStart(window + 1));
  }
  const bool windowHit = inWindows && (!whole || term.mode == kFindWordsOrExchanges);
  if (wordHit || windowHit) Candidate(piece.term, wordHit, windowHit ? window : 0);
}

void KeywordMatcher::SingleHits(std::size_t t, bool windows) {
  const Term& term = terms_[t];
  const bool whole = term.form == kUpperWhole;
  const int l = static_cast<int>(raw_.size());
  const std::string_view text = whole               ? std::string_view(upper_)
                                : term.form == kRaw ? raw_
                                : term.form == kFolded
                                    ? std::string_view(FoldedLine())
                                    : std::string_view(upper_.data(), raw_.size());
  const int count = term.length - term.need + 1;
  for (int piece = 0; piece < count; ++piece) {
    const int offset = piece * term.length / count;
    const char c = term.key[static_cast<std::size_t>(offset)];
    if (whole && !wordHit_[t]) {
      // A word starts at the piece's window or a position on.
      const int last = l + 2 - term.length;
      for (int p : WordStarts()) {
        if (p > last) break;
        const int at = p - 1 + offset;  // 0-based, the window at p
        if (text[static_cast<std::size_t>(at)] == c ||
            (at >= 1 && text[static_cast<std::size_t>(at - 1)] == c)) {
          wordHit_[t] = true;
          break;
        }
      }
    }
    if (!windows) continue;
    // An exchange can bring in the character just before the start position.
    const int spread = term.mode >= kFindExchanges ? 1 : 0;
    const auto from = static_cast<std::size_t>(std::max(start_ - 2, 0));
    for (std::size_t i = text.find(c, from); i != std::string_view::npos; i = text.find(c, i + 1)) {
      const int window = static_cast<int>(i) - offset + 1;
      const int first = std::max(start_, window - spread);
      const int last = std::min(l - term.length + 1, window + spread);
      for (int w = first; w <= last; ++w) Candidate(static_cast<std::uint32_t>(t), false, w);
    }
  }
}

// A window with every character equal, in the line or in a copy with two
// neighbours exchanged, has the key's first two characters next to each other in
// the line, the other way round, or one apart. Only that test is cheap and sure,
// so it is made only when no character may be unequal.
bool KeywordMatcher::FirstPairNear(const Term& term, int need) {
  if (need < term.length || term.length < 2) return true;
  if (!pairSetsReady_) {
    pairSetsReady_ = true;
    nextTo_ = {};
    oneApart_ = {};
    const std::size_t l = raw_.size();
    for (std::size_t i = static_cast<std::size_t>(std::max(start_ - 2, 0)); i + 1 < l; ++i) {
      AddPair(nextTo_, Pair(upper_[i], upper_[i + 1]));
      if (i + 2 < l) AddPair(oneApart_, Pair(upper_[i], upper_[i + 2]));
    }
  }
  const std::uint32_t ab = Pair(term.key[0], term.key[1]);
  return HasPair(nextTo_, ab) || HasPair(nextTo_, Pair(term.key[1], term.key[0])) ||
         HasPair(oneApart_, ab);
}

void KeywordMatcher::SetsFor(std::string_view line) {
  upperSetsReady_ = true;
  upperFromStart_ = {};
  const std::size_t s = static_cast<std::size_t>(start_ - 1);
  for (std::size_t i = s; i < line.size(); ++i) Add(upperFromStart_, upper_[i]);
  upperBeforeStart_ = upperFromStart_;
  if (s >= 1 && s <= line.size()) Add(upperBeforeStart_, upper_[s - 1]);
  upperAll_ = upperBeforeStart_;
  for (std::size_t i = 0; i + 1 < s && i < line.size(); ++i) Add(upperAll_, upper_[i]);
  Add(upperAll_, ' ');
}

const std::vector<int>& KeywordMatcher::WordStarts() {
  if (!wordStartsReady_) {
    wordStarts_.clear();
    for (std::size_t p = 1; p <= raw_.size() + 1; ++p) {
      if (p == 1 || upper_[p - 2] == ' ') wordStarts_.push_back(static_cast<int>(p));
    }
    wordStartsReady_ = true;
  }
  return wordStarts_;
}

const std::string& KeywordMatcher::FoldedLine() {
  if (!foldedReady_) {
    folded_.assign(raw_);
    for (char& c : folded_) c = Fold(c);
    foldedReady_ = true;
  }
  return folded_;
}

// Whether the characters of the line that the term's windows read hold enough of
// the key's: each distinct character the line lacks costs at least one position.
bool KeywordMatcher::CharactersSuffice(const Term& term, int need) {
  if (term.mode >= kFindUpperCase && !upperSetsReady_) SetsFor(raw_);
  const std::size_t s = static_cast<std::size_t>(start_ - 1);
  auto fromStart = [s](CharSet& set, std::string_view text) {
    set = {};
    for (std::size_t i = s; i < text.size(); ++i) Add(set, text[i]);
  };
  switch (term.mode) {
    case kFindExact:
      if (!rawSetReady_) {
        fromStart(rawFromStart_, raw_);
        rawSetReady_ = true;
      }
      return LacksAtMost(term.chars, rawFromStart_, term.length - need);
    case kFindIoFolded:
      if (!foldedSetReady_) {
        fromStart(foldedFromStart_, FoldedLine());
        foldedSetReady_ = true;
      }
      return LacksAtMost(term.chars, foldedFromStart_, term.length - need);
    case kFindUpperCase:
      return LacksAtMost(term.chars, upperFromStart_, term.length - need);
    case kFindExchanges:
      return LacksAtMost(term.chars, upperBeforeStart_, term.length - need);
    case kFindWholeWords:
    case kFindWordsOrExchanges:
      // The tolerant pass may count one character twice; the exchanges bring in
      // nothing the whole line lacks.
      return LacksAtMost(term.chars, upperAll_, term.length + 1 - need);
    default:
      return false;
  }
}

// Whether the best count of the term against the current line reaches need; the
// line is long enough for the mode.
bool KeywordMatcher::Reaches(const Term& term, int need) {
  if (need <= 0) return true;
  if (need > term.length) return false;
  const std::size_t t = static_cast<std::size_t>(&term - terms_.data());
  if (term.form != kUnindexed && candidate_[t] != lineNumber_) return false;
  if (!CharactersSuffice(term, need)) return false;
  // Mode 6's exchanges only move the line's characters: all the key's but the
  // unequal ones allowed stand from just before the start position on.
  const bool exchanges = term.mode == kFindWordsOrExchanges &&
                         LacksAtMost(term.chars, upperBeforeStart_, term.length - need) &&
                         FirstPairNear(term, need);
  if (term.mode == kFindExchanges && !FirstPairNear(term, need)) return false;
  if (term.single)
    SingleHits(t,
               term.mode != kFindWholeWords && (term.mode != kFindWordsOrExchanges || exchanges));
  const std::string_view upper =
      upperNeeded_ ? std::string_view(upper_.data(), raw_.size()) : std::string_view();
  const std::string_view text = term.mode == kFindExact      ? raw_
                                : term.mode == kFindIoFolded ? FoldedLine()
                                                             : upper;
  if (term.form != kUnindexed && term.form != kUpperWhole) {
    // Only the windows that hold an unchanged piece can pass.
    for (std::uint32_t h = firstHit_[t]; h != 0; h = hits_[h - 1].next) {
      const int window = hits_[h - 1].window;
      if (term.mode == kFindExchanges ? ExchangeWindowAt(text, term.key, window, need, true)
                                      : WindowAt(text, term.key, window, need)) {
        return true;
      }
    }
    return false;
  }
  if (term.form == kUpperWhole) {
    // Whole words only where a piece stands at a word start's offset (the pass is
    // walked in full, for its carried shift), exchanges only at the pieces' windows.
    if (wordHit_[t] &&
        WholeWordReaches(upper_, static_cast<int>(raw_.size()), WordStarts(), term.key, need)) {
      return true;
    }
    if (!exchanges) return false;
    for (std::uint32_t h = firstHit_[t]; h != 0; h = hits_[h - 1].next) {
      if (ExchangeWindowAt(upper, term.key, hits_[h - 1].window, need, false)) return true;
    }
    return false;
  }
  switch (term.mode) {
    case kFindExact:
    case kFindIoFolded:
    case kFindUpperCase:
      return WindowReaches(text, term.key, start_, need);
    case kFindExchanges:
      return ExchangeReaches(upper, term.key, start_, need, true);
    case kFindWholeWords:
    case kFindWordsOrExchanges:
      if (WholeWordReaches(upper_, static_cast<int>(raw_.size()), WordStarts(), term.key, need)) {
        return true;
      }
      return exchanges && raw_.size() >= term.key.size() &&
             ExchangeReaches(upper, term.key, start_, need, false);
    default:
      return false;
  }
}

bool KeywordMatcher::Passes(const Term& term) {
  const int d = static_cast<int>(raw_.size()) - term.length;
  auto decide = [&term](int rating) {
    return term.include ? rating >= term.precision : rating <= term.precision;
  };
  if (term.length == 0) return decide(0);
  if (term.mode < kFindExact || term.mode > kFindWordsOrExchanges) return decide(d < 0 ? -1 : 0);
  const bool tolerant = term.mode == kFindWholeWords || term.mode == kFindWordsOrExchanges;
  if (d < (tolerant ? -1 : 0)) return decide(-1);
  const bool reaches = Reaches(term, term.need);
  return term.include ? reaches : !reaches;
}

bool KeywordMatcher::KeywordPasses(std::size_t k) {
  const Keyword& keyword = keywords_[k];
  for (std::size_t t = keyword.first; t < keyword.first + keyword.count; ++t) {
    const Term& term = terms_[t];
    // A term that no piece names cannot reach its need, even on a line too
    // short for it: an including one fails, an excluding one passes.
    const bool passes =
        term.form != kUnindexed && candidate_[t] != lineNumber_ ? !term.include : Passes(term);
    if (!passes) return false;
  }
  return true;
}

int KeywordMatcher::FirstMatch(std::string_view line) {
  if (keywords_.empty()) return -1;
  Prepare(line);
  // The keywords that can match, in list order: the ungated ones and those whose
  // first term this line made a candidate.
  for (std::size_t w = 0; w < ungated_.size(); ++w) {
    for (std::uint64_t open = ungated_[w] | opened_[w]; open != 0; open &= open - 1) {
      const std::size_t k = w * 64 + static_cast<std::size_t>(std::countr_zero(open));
      if (KeywordPasses(k)) return static_cast<int>(k);
    }
  }
  return -1;
}

bool KeywordMatcher::Match(TFindStruct& results, const std::string& line, DateTime start) {
  if (line.empty()) {
    if (!results.empty()) results.back().end = start;
    return false;
  }
  const int k = FirstMatch(line);
  if (k < 0) return false;
  results.push_back({line, start, 0, static_cast<std::int32_t>(k)});
  return true;
}

}  // namespace kolvar
