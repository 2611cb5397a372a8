#include "plugin/keyword_editor.h"

namespace kolvar {

void KeywordEditor::StoreKeywords() {
  TSettings& settings = state_.settings;
  settings.Words = state_.form.ListBoxWords.Items;
  settings.WordCount = static_cast<std::int32_t>(settings.Words.size());
  state_.resultsStale = true;
}

}  // namespace kolvar
