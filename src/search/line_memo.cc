#include "search/line_memo.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kolvar::matching {
namespace {

// The key's bytes, eight at a time: keys are short, and most differ early.
std::uint64_t HashOf(std::string_view text) {
  std::uint64_t hash = 0x9E3779B97F4A7C15u ^ text.size();
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    hash = (hash ^ word) * 0xFF51AFD7ED558CCDu;
    hash ^= hash >> 32;
  }
  // The last eight bytes, overlapping the words before: a load of fixed length.
  std::uint64_t last = 0;
  if (text.size() >= 8) {
    std::memcpy(&last, text.data() + text.size() - 8, 8);
  } else {
    std::memcpy(&last, text.data() + i, text.size() - i);
  }
  hash = (hash ^ last) * 0xC4CEB9FE1A85EC53u;
  return hash ^ (hash >> 29);
}

// The text with each digit a zero, 16 bytes at a time where the build has SSE2:
// every line is asked, and a byte's branch on its digits mispredicts.
void ZeroDigitsInto(std::string_view in, char* out) {
  std::size_t i = 0;
#if defined(__SSE2__)
  // Bytes from 0x80 compare below '0' as signed: none is taken for a digit.
  const __m128i belowZero = _mm_set1_epi8('0' - 1);
  const __m128i aboveNine = _mm_set1_epi8('9' + 1);
  const __m128i zero = _mm_set1_epi8('0');
  auto sixteen = [&](std::size_t at) {
    const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in.data() + at));
    const __m128i digit =
        _mm_and_si128(_mm_cmpgt_epi8(raw, belowZero), _mm_cmplt_epi8(raw, aboveNine));
    const __m128i made = _mm_or_si128(_mm_andnot_si128(digit, raw), _mm_and_si128(digit, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), made);
  };
  for (; i + 16 <= in.size(); i += 16) sixteen(i);
  // The rest as the last 16, over some done already: they come out the same.
  if (i < in.size() && in.size() >= 16) {
    sixteen(in.size() - 16);
    return;
  }
#endif
  for (; i < in.size(); ++i) {
    const auto c = static_cast<unsigned char>(in[i]);
    out[i] = static_cast<char>(static_cast<unsigned>(c - '0') < 10u ? '0' : c);
  }
}

}  // namespace

bool LineMemo::Active() {
  using Clock = std::chrono::steady_clock;
  if (!timing_) {
    timing_ = true;
    began_ = Clock::now();
  }
  if (left_ == 0) {
    const Clock::time_point now = Clock::now();
    switch (phase_) {
      case Phase::kWith:
        with_ = now - began_;
        if (known_ < kTrial / 8) {
          Choose(false, false);
        } else {
          phase_ = Phase::kWithout;
          left_ = kTrial;
        }
        break;
      case Phase::kWithout:
        Choose(with_ < now - began_, true);
        break;
      case Phase::kChosen:
        phase_ = Phase::kWith;
        left_ = kTrial;
        known_ = 0;
        break;
    }
    began_ = now;
  }
  --left_;
  return phase_ == Phase::kWith || (phase_ == Phase::kChosen && chosen_);
}

void LineMemo::Choose(bool with, bool timed) {
  // A trial's lines without the memo cost a twentieth of a run at one trial a
  // kRest: while it keeps winning it is tried ever less often. A timed trial
  // lost after won ones may be the clock's noise (the thread was put aside for
  // a moment): the next trial comes soon.
  if (with) {
    rest_ = chosen_ ? std::min(2 * rest_, kMostRest) : kRest;
  } else if (timed && chosen_) {
    rest_ = kSoon;
  } else {
    rest_ = std::min(2 * rest_, kMostRest);
  }
  chosen_ = with;
  phase_ = Phase::kChosen;
  left_ = rest_;
}

const int* LineMemo::Find(std::string_view line, std::size_t day, std::size_t digitsEnd) {
  key_.resize(line.size());
  const std::size_t zeroed = std::min(digitsEnd, line.size());
  ZeroDigitsInto(line.substr(0, zeroed), key_.data());
  std::copy(line.begin() + static_cast<std::ptrdiff_t>(zeroed), line.end(),
            key_.begin() + static_cast<std::ptrdiff_t>(zeroed));
  if (day != std::string_view::npos && day + 1 < key_.size()) key_[day] = key_[day + 1] = '0';
  hash_ = HashOf(key_);
  const auto tag = static_cast<std::uint32_t>(hash_ >> 32);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t s = hash_ & mask;; s = (s + 1) & mask) {
    const Slot slot = slots_[s];
    if (slot.entry == 0) {
      free_ = s;
      return nullptr;
    }
    const Entry& entry = entries_[slot.entry - 1];
    if (slot.tag == tag && std::string_view(texts_).substr(entry.at, entry.length) == key_) {
      ++known_;
      return &entry.decision;
    }
  }
}

void LineMemo::Store(int decision) {
  // A channel's lines name the channel: the memo fills with one channel's lines,
  // and is emptied when full. Hand-edited day names can make lines long: their
  // texts are held to a size the plug-in's memory affords.
  if (entries_.size() == kMostStored || texts_.size() + key_.size() > kMostText) {
    Clear();
    const std::size_t mask = slots_.size() - 1;
    free_ = hash_ & mask;
  }
  entries_.push_back({static_cast<std::uint32_t>(texts_.size()),
                      static_cast<std::uint32_t>(key_.size()), decision});
  slots_[free_] = {static_cast<std::uint32_t>(hash_ >> 32),
                   static_cast<std::uint32_t>(entries_.size())};
  texts_ += key_;
}

void LineMemo::Clear() {
  std::fill(slots_.begin(), slots_.end(), Slot{});
  entries_.clear();
  texts_.clear();
}

}  // namespace kolvar::matching
