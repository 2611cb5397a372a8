#include "search/similarity.h"

#include <algorithm>
#include <cassert>
#include <string>
#include <utility>

#include "base/cp1251.h"

namespace kolvar {
namespace {

int Length(const std::string& text) { return static_cast<int>(text.size()); }

// Positions are counted from 1 here, as the windows and exchanges are easiest
// to follow that way.
char At(const std::string& text, int pos) {
  assert(pos >= 1 && pos <= Length(text));
  return text[static_cast<std::size_t>(pos - 1)];
}

std::string UpperFolded(const std::string& text) { return FoldIo(UpperCase(text)); }

// Modes 1 to 3; the line is at least as long as the key.
int RateInWindows(std::string line, std::string key, FindMode mode, int start) {
  const int k = Length(key);
  const int d = Length(line) - k;
  if (mode == kFindUpperCase) line = UpperCase(line);
  if (mode == kFindIoFolded || mode == kFindUpperCase) {
    // Characters before the start position never enter a window.
    if (start <= Length(line)) {
      line.replace(start - 1, std::string::npos, FoldIo(line.substr(start - 1)));
    }
    key = FoldIo(key);
  }
  int best = 0;
  for (int p = start; p <= d + 1; ++p) {
    int count = 0;
    for (int j = 1; j <= k; ++j) {
      if (At(line, p + j - 1) == At(key, j)) ++count;
    }
    best = std::max(best, count);
  }
  return RatingPercent(best, k);
}

bool IsWordStart(const std::string& line, int pos) { return pos == 1 || At(line, pos - 1) == ' '; }

bool IsWordEnd(const std::string& line, int pos) {
  return pos > Length(line) || At(line, pos) == ' ';
}

// Mode 4; the line is at most one character shorter than the key.
int RateWholeWords(std::string line, std::string key) {
  line = UpperFolded(line);
  key = UpperFolded(key);
  const int k = Length(key);
  const int l = Length(line);
  const int d = l - k;
  int best = 0;

  // Word pass: the key laid over whole words, mismatches allowed.
  for (int p = 1; p <= d + 1; ++p) {
    if (!IsWordStart(line, p)) continue;
    int count = 0;
    for (int j = 1; j <= k; ++j) {
      if (At(line, p + j - 1) == At(key, j)) ++count;
    }
    if (IsWordEnd(line, p + k)) best = std::max(best, count);
  }

  // Tolerant pass: one superfluous letter in the key is skipped. The blank lets a
  // line one character short still be compared. The shift deliberately survives
  // from one window into the next until a window is left early.
  line += ' ';
  int shift = 0;
  for (int p = 1; p <= l + 2 - k; ++p) {
    if (!IsWordStart(line, p)) continue;
    int count = 0;
    bool ends = false;
    for (int j = 1; j <= k; ++j) {
      if (j == k) ends = IsWordEnd(line, p + j - shift);
      if (At(line, p + j - 1 - shift) == At(key, j)) {
        ++count;
      } else if (j < k && shift == 0 && j != 1 && At(line, p + j - 1) == At(key, j + 1)) {
        shift = 1;
        ++count;
      } else if (j < k) {
        shift = 0;
        break;  // left early: ends stays false, the window does not count
      }
    }
    if (ends) best = std::max(best, count);
  }
  return RatingPercent(best, k);
}

// Raises best with the mode-3 ratings of the copies of the line that have two
// neighbouring characters exchanged.
int BestWithExchanges(const std::string& line, const std::string& upperKey, int best,
                      bool compareFromStart) {
  std::string copy = line;
  for (std::size_t i = 0; i + 1 < copy.size(); ++i) {
    std::swap(copy[i], copy[i + 1]);
    best = std::max(best, RateSimilarity(copy, upperKey, kFindUpperCase, compareFromStart));
    std::swap(copy[i], copy[i + 1]);
  }
  return best;
}

}  // namespace

int RateSimilarity(std::string_view line, std::string_view key, FindMode findMode,
                   bool compareFromStart) {
  const std::string lineCopy(line);
  const std::string keyCopy(key);
  const int d = Length(lineCopy) - Length(keyCopy);
  const int start = compareFromStart ? 1 : kStartAfterDate;
  const int preliminary = d < 0 ? -1 : 0;
  // With nothing to compare no percentage can be taken.
  if (keyCopy.empty()) return preliminary;

  switch (findMode) {
    case kFindExact:
    case kFindIoFolded:
    case kFindUpperCase:
      return d >= 0 ? RateInWindows(lineCopy, keyCopy, findMode, start) : preliminary;
    case kFindWholeWords:
      return d >= -1 ? RateWholeWords(lineCopy, keyCopy) : preliminary;
    case kFindExchanges: {
      if (d < 0) return preliminary;
      // Mode 3 needs an upper-cased key, which a stored mode-5 word is not.
      const std::string upperKey = UpperFolded(keyCopy);
      const int unchanged = RateSimilarity(lineCopy, upperKey, kFindUpperCase, compareFromStart);
      return BestWithExchanges(lineCopy, upperKey, unchanged, compareFromStart);
    }
    case kFindWordsOrExchanges:
      if (d < -1) return preliminary;
      return BestWithExchanges(lineCopy, UpperFolded(keyCopy), RateWholeWords(lineCopy, keyCopy),
                               compareFromStart);
    default:
      return preliminary;
  }
}

int RatingPercent(int best, int keyLength) {
  const int scaled = best * 100;
  int quotient = scaled / keyLength;
  const int twiceRest = 2 * (scaled % keyLength);
  if (twiceRest > keyLength || (twiceRest == keyLength && quotient % 2 == 1)) ++quotient;
  return quotient;
}

}  // namespace kolvar
