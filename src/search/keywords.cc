#include "search/keywords.h"

#include "base/numbers.h"

#include <cstdint>
#include <optional>
#include <utility>

#include "base/cp1251.h"
#include "search/similarity.h"

namespace kolvar {
namespace {

void Show(const ShowInformation& showMessage, const char* text) {
  if (showMessage) showMessage(text);
}

std::vector<std::string> SplitTerms(const std::string& line) {
  std::vector<std::string> terms(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    const bool last = i + 1 == line.size();
    if (line[i] == '&' && !last) {
      terms.emplace_back();
    } else {
      terms.back() += line[i];
    }
  }
  return terms;
}

// The "@" and "^" parts, precision first. A part that is not an integer undoes
// both, even one already taken.
void ApplyManualParameters(TParam& term, const std::string& modeText,
                           const std::string& precisionText, const KeywordDefaults& defaults,
                           const ShowInformation& showMessage) {
  bool converted = true;
  if (!precisionText.empty()) {
    std::optional<std::int32_t> precision = ParseInt32(precisionText);
    if (!precision) {
      converted = false;
    } else if (*precision >= 1 && *precision <= 100) {
      term.Precision = *precision;
    } else {
      Show(showMessage, kBadPrecisionMessage);
    }
  }
  if (converted && !modeText.empty()) {
    std::optional<std::int32_t> mode = ParseInt32(modeText);
    if (!mode) {
      converted = false;
    } else if (*mode >= kFindExact && *mode <= kFindUpperCase) {
      term.Mode = static_cast<FindMode>(*mode);
    } else {
      Show(showMessage, kBadModeMessage);
    }
  }
  if (!converted) {
    term.Mode = defaults.FindMode;
    term.Precision = defaults.CongenialityRate;
    Show(showMessage, kNotDigitMessage);
  }
}

TParam ParseTerm(const std::string& text, const KeywordDefaults& defaults,
                 const ShowInformation& showMessage) {
  enum class Part { kWord, kMode, kPrecision };
  TParam term;
  term.Mode = defaults.FindMode;
  term.Precision = defaults.CongenialityRate;
  std::string word;
  std::string modeText;
  std::string precisionText;
  Part part = Part::kWord;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '@') {
      part = Part::kMode;
    } else if (c == '^') {
      part = Part::kPrecision;
    } else if (part == Part::kMode) {
      modeText += c;
    } else if (part == Part::kPrecision) {
      precisionText += c;
    } else if (i == 0 && c == '!') {
      term.Include = false;
    } else {
      word += c;
    }
  }
  if (part != Part::kWord) {
    ApplyManualParameters(term, modeText, precisionText, defaults, showMessage);
  }
  // Mode 3 compares with an upper-cased key and does not upper-case it itself.
  term.Word = term.Mode == kFindUpperCase ? UpperCase(word) : word;
  return term;
}

}  // namespace

TWRD ParseKeywords(const std::vector<std::string>& lines, const KeywordDefaults& defaults,
                   const ShowInformation& showMessage) {
  TWRD keywords;
  for (const std::string& line : lines) {
    TSearchStrings keyword;
    for (const std::string& text : SplitTerms(line)) {
      keyword.Params.push_back(ParseTerm(text, defaults, showMessage));
    }
    keyword.Count = static_cast<std::int32_t>(keyword.Params.size());
    keywords.Items.push_back(std::move(keyword));
  }
  keywords.Count = static_cast<std::int32_t>(keywords.Items.size());
  return keywords;
}

}  // namespace kolvar
