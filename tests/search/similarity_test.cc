#include "search/similarity.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/cp1251.h"

namespace kolvar {
namespace {

constexpr bool kFromDate = false;  // the search run: windows from character 12
constexpr bool kFromStart = true;  // the window's find operations

// Positions 1-11 hold the date; "Terminator" runs from 18 to 27, then a blank,
// "2" at 29 and "[" at 30.
constexpr char kTerminator[] = "2007.03.05 21:30 Terminator 2[Mo]ch1";

struct Case {
  const char* line;
  const char* key;
  int mode;
  bool compareFromStart;
  int expected;
};

void ExpectRatings(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(RateSimilarity(c.line, c.key, static_cast<FindMode>(c.mode), c.compareFromStart),
              c.expected)
        << "line \"" << c.line << "\" key \"" << c.key << "\" mode " << c.mode
        << (c.compareFromStart ? " from 1" : " from 12");
  }
}

TEST(RateSimilarityTest, TerminatorLineInEveryMode) {
  ExpectRatings({
      {kTerminator, "Terminator", 1, kFromDate, 100},
      {kTerminator, "terminator", 1, kFromDate, 90},  // case counts: only "T" differs
      {kTerminator, "Terminator", 2, kFromDate, 100},
      {kTerminator, "terminator", 2, kFromDate, 90},
      {kTerminator, "TERMINATOR", 3, kFromDate, 100},
      {kTerminator, "TERMINATR", 3, kFromDate, 89},   // 8 of 9
      {kTerminator, "TREMINATOR", 3, kFromDate, 80},  // 8 of 10
      {kTerminator, "terminator", 4, kFromDate, 100},
      {kTerminator, "TERMIXNATOR", 4, kFromDate, 100},  // one superfluous letter
      {kTerminator, "TERMINATOR 2", 4, kFromDate, 0},   // "[" after the "2" ends no word
      {kTerminator, "TREMINATOR", 5, kFromDate, 100},
      {kTerminator, "terminator", 6, kFromDate, 100},
      {kTerminator, "Terminator", 0, kFromDate, 0},
      {kTerminator, "Terminator", 7, kFromDate, 0},
      {kTerminator, "2007", 1, kFromDate, 25},  // only the hour's "2" lies in the windows
      {kTerminator, "2007", 1, kFromStart, 100},
  });
}

TEST(RateSimilarityTest, LineShorterThanTheKey) {
  ExpectRatings({
      {"abc", "abcd", 1, kFromStart, -1},
      {"abc", "abcd", 2, kFromStart, -1},
      {"abc", "abcd", 3, kFromStart, -1},
      {"abc", "abcd", 5, kFromStart, -1},
      // The blank appended for the tolerant pass lets three letters be compared.
      {"abc", "abcd", 4, kFromStart, 75},
      {"abc", "abcd", 6, kFromStart, 75},
      {"abc", "abcd", 0, kFromStart, -1},
      {"abc", "abcd", 7, kFromStart, -1},
  });
  for (int mode : {-1, 0, 1, 2, 3, 4, 5, 6, 7, 1000}) {
    EXPECT_EQ(RateSimilarity("abc", "abcde", static_cast<FindMode>(mode), kFromStart), -1)
        << "mode " << mode;
  }
}

TEST(RateSimilarityTest, EmptyKeyFindsNothing) {
  for (int mode : {-1, 0, 1, 2, 3, 4, 5, 6, 7, 1000}) {
    EXPECT_EQ(RateSimilarity(kTerminator, "", static_cast<FindMode>(mode), kFromDate), 0)
        << "mode " << mode;
    EXPECT_EQ(RateSimilarity("", "", static_cast<FindMode>(mode), kFromStart), 0)
        << "mode " << mode;
  }
}

TEST(RateSimilarityTest, ShortFormLineStillSkipsElevenCharacters) {
  ExpectRatings({
      {"21:30 Title[Mo]ch1", "[", 1, kFromDate, 100},  // "[" at 12
      {"21:30 Tale[Mo]ch1", "[", 1, kFromDate, 0},     // "[" at 11, before the windows
      {"21:30 Tale[Mo]ch1", "[", 1, kFromStart, 100},
  });
}

TEST(RateSimilarityTest, HalvesRoundToTheEvenNeighbour) {
  ExpectRatings({
      {"AXXXXXXX", "ABCDEFGH", 1, kFromStart, 12},  // 12.5
      {"ABCXXXXX", "ABCDEFGH", 1, kFromStart, 38},  // 37.5
      {"ABCDEXXX", "ABCDEFGH", 1, kFromStart, 62},  // 62.5
      {"ABCDEFGX", "ABCDEFGH", 1, kFromStart, 88},  // 87.5
      {"ABX", "ABC", 1, kFromStart, 67},            // 66.67
  });
}

TEST(RateSimilarityTest, CaseAndIoPerMode) {
  // 0xA8 capital Io, 0xB8 small Io, 0xC5 capital Ie, 0xE5 small Ie.
  ExpectRatings({
      {"\xA8", "\xC5", 1, kFromStart, 0},
      {"\xA8", "\xC5", 2, kFromStart, 100},
      {"\xB8", "\xC5", 2, kFromStart, 0},  // small Io folds only once upper-cased
      {"\xB8", "\xC5", 3, kFromStart, 100},
      {"\xE5", "\xA8", 3, kFromStart, 100},  // the key is folded too
      {"abc", "ABC", 2, kFromStart, 0},
      {"abc", "ABC", 3, kFromStart, 100},
      {"abc", "abc", 3, kFromStart, 0},  // mode 3 takes the key as given: upper-cased
  });
}

// Expected values worked out by hand from the rules of modes 4, 5 and 6.
TEST(RateSimilarityTest, HandCheckedWholeWordRatings) {
  ExpectRatings({
      // Word start: "CAT" inside "XCAT" is never looked at; p=1 fails at once.
      {"XCAT", "CAT", 4, kFromStart, 0},
      // Word end: the window on "CATS" meets "S" where the key ends.
      {"CATS", "CAT", 4, kFromStart, 0},
      {"THE CAT SAT", "CAT", 4, kFromStart, 100},
      {"A CAT", "CAT", 4, kFromStart, 100},  // the line's end is a word end
      // Word pass counts through a mismatch: "COT" gives C and T, 2 of 3. The
      // tolerant pass leaves at "O", as "O" is not the key's "T" either.
      {"THE COT", "CAT", 4, kFromStart, 67},
      // Superfluous "X": at p=5 C, A, then X is skipped (line "T" = key "T"),
      // the line is read one behind, and the final T ends at the line's end: 4 of 4.
      {"THE CAT", "CAXT", 4, kFromStart, 100},
      // The last letter cannot be the superfluous one: C, A, T of 4.
      {"THE CAT", "CATX", 4, kFromStart, 75},
      // Nor the first: the window is left at j=1.
      {"THE CAT", "XCAT", 4, kFromStart, 0},
      // Carry-over: p=1 walks to its end with shift 1 (A, B, skip X, C) but "D"
      // stands where the word should end, so it does not count. The shift
      // reaches p=6, which compares the blank at 5 with "A" and is left. Only the
      // word pass's "ABCD" remains: A and B, 2 of 4.
      {"ABCD ABC", "ABXC", 4, kFromStart, 50},
      // The same second word when the first window is left early: 4 of 4.
      {"XYZW ABC", "ABXC", 4, kFromStart, 100},
      // One short: "CA " with the blank, C and A of 3.
      {"CA", "CAT", 4, kFromStart, 67},
  });
}

TEST(RateSimilarityTest, HandCheckedExchangeRatings) {
  ExpectRatings({
      // Two transpositions: the line as it stands gives 6 of 10; exchanging
      // characters 1 and 2 (or 9 and 10) mends one of them: 8 of 10.
      {"TERMINATOR", "ETRMINATRO", 3, kFromStart, 60},
      {"TERMINATOR", "ETRMINATRO", 5, kFromStart, 80},
      // Exchanging 11 and 12 pulls "K" into the only window (p=12): "KM", 1 of 2.
      {"ABCDEFGHIJKLM", "KL", 3, kFromDate, 0},
      {"ABCDEFGHIJKLM", "KL", 5, kFromDate, 50},
      // Mode 6: mode 4 gives "THE" 1 of 3 (E); the copy "HTE CAT" in mode 3, 3 of 3.
      {"THE CAT", "HTE", 4, kFromStart, 33},
      {"THE CAT", "HTE", 6, kFromStart, 100},
      // The copies are rated in mode 3, which needs no word end: "HTE" holds "HT".
      {"THE", "HT", 4, kFromStart, 0},
      {"THE", "HT", 6, kFromStart, 100},
      // ... and with mode 3's start position: from 12 a three-letter line has none.
      {"THE", "HT", 6, kFromDate, 0},
  });
}

// Stored words of modes 5 and 6 keep their case; their mode-3 ratings must still
// see an upper-cased, folded key.
TEST(RateSimilarityTest, ExchangeModesUpperCaseAndFoldTheirKey) {
  ExpectRatings({
      {kTerminator, "terminator", 5, kFromDate, 100},
      {kTerminator, "treminator", 5, kFromDate, 100},
      {"\xEB\xE5\xE4", "\xEB\xB8\xE4", 5, kFromStart, 100},  // small Io in the key
      {"THE CAT", "hte", 6, kFromStart, 100},                // decided by an exchanged copy
  });
}

bool TooShort(int lineLength, int keyLength, int mode) {
  const int d = lineLength - keyLength;
  return (mode == 4 || mode == 6) ? d < -1 : d < 0;
}

TEST(RateSimilarityTest, AnyBytesAnyLengthsAnyMode) {
  std::mt19937 random(6);
  const std::string narrow("\x00 Aa\xA8\xB8\xC5\xE5", 8);
  auto text = [&](int length, bool fromNarrow) {
    std::string s;
    for (int i = 0; i < length; ++i) {
      s += fromNarrow ? narrow[random() % narrow.size()] : static_cast<char>(random() % 256);
    }
    return s;
  };
  const int modes[] = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 1000};
  for (int round = 0; round < 400; ++round) {
    // Mostly short texts; now and then the longest.
    const int lineLength = round % 40 == 0 ? 300 : static_cast<int>(random() % 40);
    const int keyLength = round % 50 == 0 ? 300 : static_cast<int>(random() % 20);
    const std::string line = text(lineLength, round % 2 == 0);
    const std::string key = text(keyLength, round % 3 == 0);
    const int mode = modes[round % 10];
    const int rating = RateSimilarity(line, key, static_cast<FindMode>(mode), round % 4 == 0);
    if (key.empty()) {
      EXPECT_EQ(rating, 0);
    } else if (TooShort(lineLength, keyLength, mode)) {
      EXPECT_EQ(rating, -1) << "mode " << mode;
    } else {
      EXPECT_GE(rating, 0) << "mode " << mode;
      EXPECT_LE(rating, 100) << "mode " << mode;
    }
  }
  // A line compared with itself from its start is found whole, whatever its bytes.
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (int mode = 1; mode <= 6; ++mode) {
    const std::string key = mode == 3 ? UpperCase(all) : all;
    EXPECT_EQ(RateSimilarity(all, key, static_cast<FindMode>(mode), kFromStart), 100)
        << "mode " << mode;
  }
}

}  // namespace
}  // namespace kolvar
