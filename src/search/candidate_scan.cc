#include "search/candidate_scan.h"

#include <algorithm>
#include <string>

namespace kolvar::matching {

CandidateScan::CandidateScan(const CompiledKeywords& compiled)
    : compiled_(compiled),
      candidate_(compiled.terms.size(), 0),
      firstHit_(compiled.terms.size(), 0),
      wordHit_(compiled.terms.size(), false),
      opened_(compiled.ungated.size(), 0) {}

void CandidateScan::Scan(LineView& line) {
  hits_.clear();
  std::fill(opened_.begin(), opened_.end(), 0);
  if (++lineNumber_ == 0) {
    std::fill(candidate_.begin(), candidate_.end(), 0);
    lineNumber_ = 1;
  }
  const CompiledKeywords& c = compiled_;
  const std::string_view raw = line.Raw();
  if (!c.flags[kLineText].of.empty()) {
    // Folded is the line itself unless it holds a capital Io.
    const bool io = c.foldedPieces && raw.find('\xA8') != std::string_view::npos;
    ScanText(kLineText, raw, io ? kFolded : kUnindexed, raw.size());
    if (io) ScanText(kLineText, line.Folded(), kRaw, raw.size());
  }
  // With the appended blank, which the tolerant pass reads.
  if (!c.flags[kUpperText].of.empty()) {
    ScanText(kUpperText, line.UpperWithBlank(), kUnindexed, raw.size());
  }
  if (!c.wordKeys.words.empty()) ScanWords(line.Upper());
}

void CandidateScan::Mark(std::uint32_t term, bool wordHit, int window) {
  if (candidate_[term] != lineNumber_) {
    candidate_[term] = lineNumber_;
    firstHit_[term] = 0;
    wordHit_[term] = false;
    if (const int k = compiled_.gate[term]; k >= 0) {
      opened_[static_cast<std::size_t>(k / 64)] |= std::uint64_t{1} << (k % 64);
    }
  }
  if (wordHit) wordHit_[term] = true;
  // Neighbouring characters often name the same window again.
  if (window > 0 && (firstHit_[term] == 0 || hits_[firstHit_[term] - 1].window != window)) {
    hits_.push_back({firstHit_[term], window});
    firstHit_[term] = static_cast<std::uint32_t>(hits_.size());
  }
}

void CandidateScan::ScanText(Text kind, std::string_view text, Form skip, std::size_t l) {
  const CompiledKeywords& c = compiled_;
  const PairFlags& flags = c.flags[kind];
  // Windows begin at the start position (an exchange reaching one before it),
  // except mode 4's whole words, which may begin anywhere.
  const std::size_t from =
      kind == kUpperText && c.wholePieces ? 0 : static_cast<std::size_t>(std::max(c.start - 2, 0));
  const std::size_t n = text.size();
  charsDone_ = {};
  for (std::size_t i = from; i < n; ++i) {
    // The last character has no neighbour: only its own flags count.
    const std::uint8_t f = flags.At(text[i], i + 1 < n ? text[i + 1] : '\0');
    if (f != 0) FlaggedAt(kind, f, i, text, skip, l);
  }
}

// Each word short enough looked up whole; a hit is a word hit of its term.
void CandidateScan::ScanWords(std::string_view upper) {
  const WordKeys& keys = compiled_.wordKeys;
  std::size_t from = 0;
  auto word = [&](std::size_t end) {
    if (end > from && end - from <= kWordKeyMax) {
      const std::uint64_t packed = from + 8 <= upper.size()
                                       ? PackWordFrom8(upper.data() + from, end - from)
                                       : PackWord(upper.data() + from, end - from);
      const std::size_t b = WordBucket(packed, keys.bits);
      for (std::uint32_t e = keys.first[b]; e < keys.first[b + 1]; ++e) {
        if (keys.words[e] == packed) Mark(keys.terms[e], true, 0);
      }
    }
    from = end + 1;
  };
  ForEachBlank(upper, word);
  if (from < upper.size()) word(upper.size());
}

// The look-ups a position's flags ask for, as the pass made them before flags.
void CandidateScan::FlaggedAt(Text kind, std::uint8_t f, std::size_t i, std::string_view text,
                              Form skip, std::size_t l) {
  const CompiledKeywords& c = compiled_;
  const std::size_t ch = Byte(text[i]);
  // From the start position on (mode 6's words before it too) a character marks
  // the same terms wherever it stands: once a text.
  if ((f & kCharPieces) != 0 && (charsDone_[ch >> 6] >> (ch & 63) & 1) == 0) {
    const CharIndex& chars = c.chars[kind];
    for (std::uint32_t e = chars.first[ch]; e < chars.first[ch + 1]; ++e) {
      if (chars.pieces[e].form != skip) SingleAt(chars.pieces[e], i, text);
    }
    if (static_cast<int>(i) + 2 >= c.start) Add(charsDone_, text[i]);
  }
  if ((f & kOffsetPieces) != 0) {
    for (std::uint32_t e = c.offsetChars.first[ch]; e < c.offsetChars.first[ch + 1]; ++e) {
      SingleAt(c.offsetChars.pieces[e], i, text);
    }
  }
  // A word starts here, or (a blank) the position on: the window or the one a
  // position on begins a word.
  if ((f & kWordPieces) != 0 && (i == 0 || text[i - 1] == ' ' || text[i] == ' ')) {
    for (std::uint32_t e = c.wordChars.first[ch]; e < c.wordChars.first[ch + 1]; ++e) {
      Mark(c.wordChars.pieces[e].term, false, 0);
    }
  }
  if ((f & kApartPieces) != 0 && i + 2 < l) {
    const std::uint32_t pair = Pair(text[i], text[i + 2]);
    if ((c.apartBits[pair >> 6] >> (pair & 63) & 1) != 0) {
      const PairIndex& apart = c.apartPairs;
      const std::uint32_t bucket = Bucket(pair, apart.bits);
      for (std::uint32_t e = apart.first[bucket]; e < apart.first[bucket + 1]; ++e) {
        if (apart.pieces[e].key == pair) PairAt(apart.pieces[e], i, text, l);
      }
    }
  }
  if ((f & kTriplePieces) != 0 && i + 1 < l && i + 3 <= text.size()) {
    GramAt(c.triples[kind], i, text, skip, l);
  }
  if ((f & kQuadPieces) != 0 && i + 1 < l && i + 4 <= text.size()) {
    GramAt(c.quads[kind], i, text, skip, l);
  }
  if ((f & kPairPieces) != 0 && i + 1 < l) {
    const PairIndex& pairs = c.pairs[kind];
    const std::uint32_t pair = Pair(text[i], text[i + 1]);
    const std::uint32_t bucket = Bucket(pair, pairs.bits);
    // Only two-character pieces are filed by pair: those under this one are hits.
    for (std::uint32_t e = pairs.first[bucket]; e < pairs.first[bucket + 1]; ++e) {
      const PieceAt& piece = pairs.pieces[e];
      if (piece.key == pair && piece.form != skip) PairAt(piece, i, text, l);
    }
  }
}

void CandidateScan::GramAt(const GramIndex& grams, std::size_t i, std::string_view text, Form skip,
                           std::size_t l) {
  const std::uint32_t gram = Gram(text.data() + i, grams.width);
  const std::uint32_t hash = GramHash(gram);
  const std::uint32_t seen = hash >> (32 - grams.seenBits);
  if ((grams.seen[seen >> 6] >> (seen & 63) & 1) == 0) return;
  const std::uint32_t bucket = hash >> (32 - grams.bits);
  for (std::uint32_t e = grams.first[bucket]; e < grams.first[bucket + 1]; ++e) {
    const PieceAt& piece = grams.pieces[e];
    if (piece.key == gram && piece.form != skip) PairAt(piece, i, text, l);
  }
}

// Single characters are common: a line only marks their terms, and the windows
// are looked for when a term's keyword is reached (SingleHits).
void CandidateScan::SingleAt(const PieceAt& piece, std::size_t i, std::string_view text) {
  const Term& term = compiled_.terms[piece.term];
  if (term.form != kUpperWhole) {
    // An exchange can bring in the character just before the start position.
    if (static_cast<int>(i) + 2 < compiled_.start) return;
  } else if (term.mode == kFindWholeWords || term.halves) {
    // Only where a word starts at the piece's window or a position on.
    const int window = static_cast<int>(i) - piece.offset + 1;
    if (window < 0) return;
    const auto before = static_cast<std::size_t>(window - 1);
    if (window > 1 && text[before - 1] != ' ' && text[before] != ' ') return;
  }
  Mark(piece.term, false, 0);
}

void CandidateScan::PairAt(const PieceAt& piece, std::size_t i, std::string_view text,
                           std::size_t lineLength) {
  const int start = compiled_.start;
  const auto length = static_cast<std::size_t>(piece.length);
  if (i + length > text.size()) return;
  // The first two are the pair looked up.
  for (std::size_t j = 2; j < length && j < 4; ++j) {
    if (text[i + j] != piece.next[j - 2]) return;
  }
  const Term& term = compiled_.terms[piece.term];
  const int last = static_cast<int>(lineLength) - term.length + 1;  // of the windows
  auto markWindow = [&](int window) {
    if (window >= start && window <= last) Mark(piece.term, false, window);
  };
  if (piece.length == 0) {
    // Two characters one apart: the exchange reaches just outside either window
    // (of the key, or of the half at the offset).
    markWindow(static_cast<int>(i) + 1 - piece.offset);
    markWindow(static_cast<int>(i) + 2 - piece.offset);
    return;
  }
  if (piece.variant >= 0) {
    const Variant& v = compiled_.variants[static_cast<std::size_t>(piece.variant)];
    for (std::size_t j = 4; j < length; ++j) {
      if (text[i + j] != v.text[j]) return;
    }
    if (v.withCheck) {
      const auto at = static_cast<std::ptrdiff_t>(i) + v.checkAt;
      if (at < 0 || at >= static_cast<std::ptrdiff_t>(lineLength) ||
          text[static_cast<std::size_t>(at)] != v.check) {
        return;
      }
    }
    markWindow(static_cast<int>(i) + v.shift);
    return;
  }
  const char* key = term.key.data() + piece.offset;
  for (std::size_t j = 4; j < length; ++j) {
    if (text[i + j] != key[j]) return;
  }
  const bool whole = term.form == kUpperWhole;
  const int l = static_cast<int>(lineLength);
  // The window that puts the piece here; in mode 4 also the one reading the line
  // a position behind the key. Windows of modes 1 to 3 and 5 begin at the start
  // position; mode 4 reads the whole line.
  const int window = static_cast<int>(i) - piece.offset + 1;
  const bool inWindows = window >= start && window <= l - term.length + 1;
  bool wordHit = false;
  if (whole) {
    auto wordStart = [&text](int p) {
      return p == 1 || text[static_cast<std::size_t>(p - 2)] == ' ';
    };
    const int last = l + 2 - term.length;
    wordHit = (window >= 1 && window <= last && wordStart(window)) ||
              (window + 1 >= 1 && window + 1 <= last && wordStart(window + 1));
  }
  // A term by halves has its exchanges' windows from the variants: its pieces
  // are mode 4's.
  const bool windowHit =
      inWindows && (!whole || (term.mode == kFindWordsOrExchanges && !term.halves));
  if (wordHit || windowHit) Mark(piece.term, wordHit, windowHit ? window : 0);
}

void CandidateScan::SingleHits(std::size_t t, LineView& line, bool windows) {
  const Term& term = compiled_.terms[t];
  const int start = compiled_.start;
  const bool whole = term.form == kUpperWhole;
  const int l = line.Length();
  const std::string_view text = whole                  ? std::string_view(line.UpperWithBlank())
                                : term.form == kRaw    ? line.Raw()
                                : term.form == kFolded ? std::string_view(line.Folded())
                                                       : line.Upper();
  const int count = term.length - term.need + 1;
  for (int piece = 0; piece < count; ++piece) {
    const int offset = piece * term.length / count;
    const char c = term.key[static_cast<std::size_t>(offset)];
    // A term found by its words has its word hit from the pass.
    if (whole && !wordHit_[t] && !term.words) {
      // A word starts at the piece's window or a position on.
      const int last = l + 2 - term.length;
      for (int p : line.WordStarts()) {
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
    const auto from = static_cast<std::size_t>(std::max(start - 2, 0));
    for (std::size_t i = text.find(c, from); i != std::string_view::npos; i = text.find(c, i + 1)) {
      const int window = static_cast<int>(i) - offset + 1;
      const int first = std::max(start, window - spread);
      const int last = std::min(l - term.length + 1, window + spread);
      for (int w = first; w <= last; ++w) Mark(static_cast<std::uint32_t>(t), false, w);
    }
  }
}

}  // namespace kolvar::matching
