// The keyword structure and the syntax of a keyword line. A line holds one or
// more terms joined by "&" (an "&" at the very end is an ordinary character). A
// term is a word, optionally led by "!" (the term must not match), and optionally
// followed by "@mode" and "^precision" parts, in either order and repeatable.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "search/find_mode.h"

namespace kolvar {

// One term of a keyword ("T" for type, "Param" for a parsed part of the line).
struct TParam {
  std::string Word;  // upper-cased when Mode is 3
  // The find mode, 1 to 6 (see RateSimilarity); "@" names 1 to 3, the
  // settings' default may be any.
  FindMode Mode{};
  std::int32_t Precision = 0;  // the rating in percent the term is held against
  // True: the term passes at a rating at or above Precision; false: at or below.
  bool Include = true;

  bool operator==(const TParam&) const = default;
};

// One keyword: the conjunction of its terms, in text order; at least one.
struct TSearchStrings {
  std::vector<TParam> Params;
  std::int32_t Count = 0;  // Params.size(), kept as the stored record has it

  bool operator==(const TSearchStrings&) const = default;
};

// All keywords, in the order of the keyword list ("WRD": the words). A result's
// keyword index refers to Items.
struct TWRD {
  std::vector<TSearchStrings> Items;
  std::int32_t Count = 0;  // Items.size()

  bool operator==(const TWRD&) const = default;
};

inline constexpr char kBadPrecisionMessage[] = "Bad manual search precision, used default";
inline constexpr char kBadModeMessage[] = "Bad manual search mod, used default";
inline constexpr char kNotDigitMessage[] = "Bad manual search parametrs, value must be digit";

// What a term without manual parameters gets: the settings' Find_Mode and
// Congeniality rate.
struct KeywordDefaults {
  kolvar::FindMode FindMode = kFindUpperCase;
  std::int32_t CongenialityRate = 86;
};

// Shows one information message to the user and returns when it is dismissed.
using ShowInformation = std::function<void(const std::string& text)>;

// Parses the keyword lines into a new structure, one keyword per line. Manual
// parameters out of range, or not integers (an optional sign and decimal digits
// within 32 bits), leave the defaults and are reported through showMessage, which
// may be empty. Any thread.
//
// An empty list gives an empty structure, which matches nothing: the previous
// run's keywords are not kept, as their indices would not refer to the list the
// results are shown against. A term that starts with "@" or "^" has an empty word
// and is including: an empty word rates 0, below any precision the window allows,
// so such a term keeps its keyword from matching.
TWRD ParseKeywords(const std::vector<std::string>& lines, const KeywordDefaults& defaults,
                   const ShowInformation& showMessage);

}  // namespace kolvar
