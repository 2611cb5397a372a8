// How similar a keyword term is to a programme line, in percent. The comparison
// is positional: it looks for the place in the line where the most characters of
// the key coincide; the higher find modes forgive letter case, Io written as Ie, one
// superfluous letter in the key and two neighbouring letters exchanged in the line.
#pragma once

#include <string_view>

#include "search/find_mode.h"

namespace kolvar {

// The literal rating, kept simple to read: faster versions are checked against it.
// Any thread; no state is kept between calls.
//
// Returns 0..100, or -1 when the line is too short for the key (shorter at all in
// modes 1, 2, 3 and 5; by two or more characters in modes 4 and 6). Modes other
// than 1..6 compare nothing. An empty key finds nothing and rates 0 in every mode.
//
// compareFromStart: windows of modes 1 to 3 may begin at the first character of
// the line (the window's find operations) rather than at the twelfth, which skips
// the date of a long-form line (the search run).
//
// Mode 3 expects a key already upper-cased; modes 5 and 6 upper-case theirs
// before they rate through mode 3.
int RateSimilarity(std::string_view line, std::string_view key, FindMode findMode,
                   bool compareFromStart);

// Where windows begin when not from the start: past "yyyy.mm.dd " of a long line.
inline constexpr int kStartAfterDate = 12;

// best * 100 / keyLength to the nearest integer, a half going to the even
// neighbour: the rating of a best count. Worked in integers, so no floating-point
// rounding mode can change it; the compiled matcher relies on the same rounding.
int RatingPercent(int best, int keyLength);

}  // namespace kolvar
