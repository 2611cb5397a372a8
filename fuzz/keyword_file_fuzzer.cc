// A keyword-list file of any bytes, loaded as the keyword editor's Load does,
// then parsed as a search would. The kept lines must be ones the settings file
// can store, or a save would silently drop or split a keyword.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/text_lines.h"
#include "keyword_checks.h"
#include "search/keywords.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

namespace {

using namespace kolvar;
using fuzzing::Check;
using fuzzing::CheckKeywords;

// Kept in step with KeywordEditor::Load1Click.
std::vector<std::string> LoadKeywordFile(std::string_view text) {
  std::vector<std::string> items;
  for (std::string& line : SplitLines(text)) {
    std::erase(line, '\0');
    if (std::optional<std::string> keyword = ListLine(line)) items.push_back(std::move(*keyword));
  }
  return items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::vector<std::string> items =
      LoadKeywordFile(std::string_view(reinterpret_cast<const char*>(bytes), size));
  for (const std::string& item : items) {
    Check(!item.empty() && item.front() != ' ');
    Check(item.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    Check(ListLine(item) == item);
  }

  TSettings settings;
  settings.Words = items;
  settings.WordCount = static_cast<std::int32_t>(items.size());
  TSettings reloaded;
  Check(LoadSettingsText(SettingsText(settings), reloaded) == 1);
  Check(reloaded.Words == items);
  Check(reloaded.WordCount == settings.WordCount);

  const KeywordDefaults defaults;
  const TWRD keywords = ParseKeywords(items, defaults, [](const std::string& text) {
    Check(text == kBadPrecisionMessage || text == kBadModeMessage || text == kNotDigitMessage);
  });
  CheckKeywords(keywords, items.size(), defaults);
  return 0;
}
