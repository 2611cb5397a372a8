// Whether a term's best count against a line reaches need, window by window as
// RateSimilarity counts it, each given up as soon as it cannot reach need. Positions
// are 1-based; line and key are already in the form the term's mode compares.
// Inline: they are called once per window found, and most windows fail at once.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

namespace kolvar::matching {

// Whether the window at p (inside the line) has at least need equal characters.
inline bool WindowAt(std::string_view line, std::string_view key, int p, int need) {
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
inline bool WindowReaches(std::string_view line, std::string_view key, int start, int need) {
  const int last = static_cast<int>(line.size() - key.size()) + 1;
  for (int p = start; p <= last; ++p) {
    if (WindowAt(line, key, p, need)) return true;
  }
  return false;
}

// Whether the window at p, in the line or in one of the copies with two
// neighbouring characters exchanged (only the copies unless withLine), reaches need
// in mode 3. An exchange changes at most two positions of a window, so the best
// copy follows from the window's own count in O(K), rather than by rating every copy.
inline bool ExchangeWindowAt(std::string_view line, std::string_view key, int p, int need,
                             bool withLine) {
  const int k = static_cast<int>(key.size());
  const int l = static_cast<int>(line.size());
  if (!withLine && l < 2) return false;  // no copies at all
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

// The same for every window from start on.
inline bool ExchangeReaches(std::string_view line, std::string_view key, int start, int need,
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
inline bool WholeWordReaches(std::string_view line, int l, const std::vector<int>& wordStarts,
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

}  // namespace kolvar::matching
