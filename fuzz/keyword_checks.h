// What every fuzzer that parses keywords checks of the parse: one keyword per
// line, at least one term each, and modes and precisions the syntax allows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "search/keywords.h"

namespace kolvar::fuzzing {

inline void Check(bool ok) {
  if (!ok) std::abort();
}

inline void CheckKeywords(const TWRD& keywords, std::size_t lineCount,
                          const KeywordDefaults& defaults) {
  Check(keywords.Count == static_cast<std::int32_t>(lineCount));
  Check(keywords.Items.size() == lineCount);
  for (const TSearchStrings& keyword : keywords.Items) {
    Check(keyword.Count >= 1 && keyword.Count == static_cast<std::int32_t>(keyword.Params.size()));
    for (const TParam& term : keyword.Params) {
      Check(term.Mode == defaults.FindMode || (term.Mode >= 1 && term.Mode <= 3));
      Check(term.Precision == defaults.CongenialityRate ||
            (term.Precision >= 1 && term.Precision <= 100));
    }
  }
}

}  // namespace kolvar::fuzzing
