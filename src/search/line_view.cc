#include "search/line_view.h"

#include <algorithm>
#include <array>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kolvar::matching {
namespace {

// What the table does outside 0x80..0xBF, checked once against it: Latin and
// Cyrillic small letters lose 0x20, everything else stays.
bool VectorRuleHolds() {
  const auto& table = UpperFold().to;
  for (int c = 0; c < 256; ++c) {
    if (c >= 0x80 && c < 0xC0) continue;
    const bool small = (c >= 'a' && c <= 'z') || c >= 0xE0;
    if (Byte(table[static_cast<std::size_t>(c)]) != (small ? c - 0x20 : c)) return false;
  }
  return true;
}

// Upper-cased and folded, 16 bytes at a time where none of them lies in
// 0x80..0xBF (Io, the other irregular letters, signs): those take the table.
void UpperFoldInto(std::string_view in, char* out) {
  const auto& table = UpperFold().to;
  std::size_t i = 0;
#if defined(__SSE2__)
  static const bool vector = VectorRuleHolds();
  if (vector) {
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    // Signed compares after flipping the top bit compare the bytes unsigned.
    const __m128i smallA = _mm_set1_epi8(static_cast<char>(('a' - 1) ^ 0x80));
    const __m128i smallZ = _mm_set1_epi8(static_cast<char>(('z' + 1) ^ 0x80));
    const __m128i odd80 = _mm_set1_epi8(static_cast<char>((0x80 - 1) ^ 0x80));
    const __m128i oddBF = _mm_set1_epi8(static_cast<char>(0xC0 ^ 0x80));
    const __m128i cyrE0 = _mm_set1_epi8(static_cast<char>((0xE0 - 1) ^ 0x80));
    const __m128i bit20 = _mm_set1_epi8(0x20);
    // 16 bytes from at into out, false when one of them needs the table.
    auto chunk = [&](std::size_t at) {
      const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in.data() + at));
      const __m128i x = _mm_xor_si128(raw, flip);
      const __m128i odd = _mm_and_si128(_mm_cmpgt_epi8(x, odd80), _mm_cmplt_epi8(x, oddBF));
      if (_mm_movemask_epi8(odd) != 0) return false;
      const __m128i latin = _mm_and_si128(_mm_cmpgt_epi8(x, smallA), _mm_cmplt_epi8(x, smallZ));
      const __m128i small = _mm_or_si128(latin, _mm_cmpgt_epi8(x, cyrE0));
      const __m128i upper = _mm_sub_epi8(raw, _mm_and_si128(small, bit20));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), upper);
      return true;
    };
    for (; i + 16 <= in.size(); i += 16) {
      if (!chunk(i)) {
        for (std::size_t j = i; j < i + 16; ++j) out[j] = table[Byte(in[j])];
      }
    }
    // The last bytes as the end of a chunk that overlaps the one before: each
    // byte's result depends on that byte alone.
    if (i < in.size() && in.size() >= 16 && chunk(in.size() - 16)) i = in.size();
  }
#endif
  for (; i < in.size(); ++i) out[i] = table[Byte(in[i])];
}

// The characters of text, kept in registers: setting bits in memory one by one
// makes each wait for the last. With SSE2 each character's set comes from a
// table and is joined into two registers: a third of the instructions.
CharSet SetOf(std::string_view text) {
#if defined(__SSE2__)
  static const std::array<CharSet, 256> kSets = [] {
    std::array<CharSet, 256> sets{};
    for (unsigned b = 0; b < 256; ++b) sets[b][b >> 6] = std::uint64_t{1} << (b & 63);
    return sets;
  }();
  __m128i low = _mm_setzero_si128();
  __m128i high = _mm_setzero_si128();
  for (char c : text) {
    const auto* words = reinterpret_cast<const __m128i*>(kSets[Byte(c)].data());
    low = _mm_or_si128(low, _mm_loadu_si128(words));
    high = _mm_or_si128(high, _mm_loadu_si128(words + 1));
  }
  CharSet set;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(set.data()), low);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(set.data() + 2), high);
  return set;
#else
  std::uint64_t w0 = 0, w1 = 0, w2 = 0, w3 = 0;
  for (char c : text) {
    const unsigned b = Byte(c);
    const std::uint64_t bit = std::uint64_t{1} << (b & 63);
    w0 |= b >> 6 == 0 ? bit : 0;
    w1 |= b >> 6 == 1 ? bit : 0;
    w2 |= b >> 6 == 2 ? bit : 0;
    w3 |= b >> 6 == 3 ? bit : 0;
  }
  return {w0, w1, w2, w3};
#endif
}

void AddFrom(CharSet& set, std::size_t from, std::string_view text) {
  set = from < text.size() ? SetOf(text.substr(from)) : CharSet{};
}

CharSet Union(const CharSet& a, const CharSet& b) {
  return {a[0] | b[0], a[1] | b[1], a[2] | b[2], a[3] | b[3]};
}

}  // namespace

void LineView::Reset(std::string_view line) {
  raw_ = line;
  made_ = {};
  if (upperNeeded_) {
    upper_.resize(line.size() + 1);
    UpperFoldInto(line, upper_.data());
    upper_[line.size()] = ' ';
  }
}

void LineView::MakeFolded() {
  folded_.assign(raw_);
  for (char& c : folded_) c = Fold(c);
  made_.folded = true;
}

void LineView::MakeWordStarts() {
  // 1, and the position after each blank of the line.
  wordStarts_.assign(1, 1);
  const std::string_view line(upper_.data(), raw_.size());
  ForEachBlank(line, [this](std::size_t b) { wordStarts_.push_back(static_cast<int>(b) + 2); });
  made_.wordStarts = true;
}

void LineView::MakeRawSet() {
  AddFrom(rawFromStart_, static_cast<std::size_t>(start_ - 1), raw_);
  made_.rawSet = true;
}

void LineView::MakeFoldedSet() {
  AddFrom(foldedFromStart_, static_cast<std::size_t>(start_ - 1), Folded());
  made_.foldedSet = true;
}

void LineView::MakeUpperSets() {
  made_.upperSets = true;
  const std::size_t s = static_cast<std::size_t>(start_ - 1);
  const std::size_t l = raw_.size();
  const std::string_view line(upper_.data(), l);
  upperFromStart_ = s < l ? SetOf(line.substr(s)) : CharSet{};
  upperBeforeStart_ = upperFromStart_;
  if (s >= 1 && s <= l) Add(upperBeforeStart_, upper_[s - 1]);
  upperAll_ = s >= 2 ? Union(upperBeforeStart_, SetOf(line.substr(0, std::min(s - 1, l))))
                     : upperBeforeStart_;
  Add(upperAll_, ' ');
}

void LineView::MakePairSets() {
  made_.pairSets = true;
  nextTo_ = {};
  oneApart_ = {};
  const std::size_t l = raw_.size();
  for (std::size_t i = static_cast<std::size_t>(std::max(start_ - 2, 0)); i + 1 < l; ++i) {
    AddPair(nextTo_, Pair(upper_[i], upper_[i + 1]));
    if (i + 2 < l) AddPair(oneApart_, Pair(upper_[i], upper_[i + 2]));
  }
}

}  // namespace kolvar::matching
