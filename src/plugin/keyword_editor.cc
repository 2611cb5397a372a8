#include "plugin/keyword_editor.h"

#include <numeric>

#include "base/cp1251.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "base/selection_sort.h"
#include "base/text_lines.h"
#include "base/texts.h"
#include "search/similarity.h"
#include "settings/settings_file.h"

namespace kolvar {

namespace {

constexpr char kDuplicate[] = "Duplicate record";
constexpr char kNotStorable[] =
    "A keyword cannot begin with a blank or hold a line break: the settings file could not "
    "keep it";
constexpr char kEmptyListHint[] = "Keywords";
constexpr char kLoadFilter[] = "Text file (*.txt)|*.TXT|All files (*.*)|*.*";
constexpr char kEnter = '\r';
constexpr char kCtrlEnter = '\n';

bool Listed(const std::vector<std::string>& items, const std::string& text) {
  const std::string key = UpperCase(text);
  for (const auto& item : items) {
    if (UpperCase(item) == key) return true;
  }
  return false;
}

}  // namespace

void KeywordEditor::StoreKeywords() {
  TSettings& settings = p_.settings;
  settings.Words = p_.keywords.Items();
  settings.WordCount = static_cast<std::int32_t>(settings.Words.size());
  p_.results.MarkStale();
}

bool KeywordEditor::Acceptable(const std::string& text) {
  // The settings file ends a list at an empty or blank-led line.
  std::optional<std::string> storable = ListLine(text);
  if (storable && *storable == text) return true;
  p_.host.ShowMessageBox(kNotStorable, kBoxInformation);
  return false;
}

void KeywordEditor::Reindex(const std::function<std::int32_t(std::int32_t)>& f) {
  p_.results.Reindex(f, p_.keywords.Items());
}

void KeywordEditor::AddKeyword() {
  const std::string text = p_.edit.Text;
  ListBox& list = p_.keywords;
  if (text.empty()) return;
  if (Listed(list.Items(), text)) {
    p_.host.ShowMessageBox(kDuplicate, kBoxInformation);
    return;
  }
  if (!Acceptable(text)) return;
  searchCursor_ = 1;
  list.Add(text);
  list.SetItemIndex(list.Count() - 1);
  StoreKeywords();
  Reindex([](std::int32_t i) { return i; });
}

void KeywordEditor::ModifyKeyword() {
  const std::string text = p_.edit.Text;
  ListBox& list = p_.keywords;
  const int selected = list.ItemIndex();
  if (text.empty() || selected < 0 || text == list.CurrentText()) return;
  // The selected item is listed too: a change of letter case alone is refused.
  if (Listed(list.Items(), text)) {
    p_.host.ShowMessageBox(kDuplicate, kBoxInformation);
    return;
  }
  if (!Acceptable(text)) return;
  list.SetItem(selected, text);
  StoreKeywords();
  Reindex([selected](std::int32_t i) { return i == selected ? -1 : i; });
}

void KeywordEditor::DeleteKeyword() {
  ListBox& list = p_.keywords;
  const int i = list.ItemIndex();
  if (i < 0) return;
  searchCursor_ = 1;
  list.Erase(i);
  if (list.Count() == 0) list.Hint = kEmptyListHint;
  StoreKeywords();
  list.SetItemIndex(i > 0 ? std::min(i, list.Count() - 1) : -1);
  Reindex([i](std::int32_t k) { return k == i ? -1 : k > i ? k - 1 : k; });
}

void KeywordEditor::ListBoxWordsClick() {
  const ListBox& list = p_.keywords;
  if (list.ItemIndex() < 0) return;
  p_.edit.Text = list.CurrentText();
  p_.keywords.Hint = "Keyword: " + std::to_string(list.ItemIndex() + 1);
}

void KeywordEditor::ListBoxWordsMouseDown(bool rightButton, int item) {
  ListBox& list = p_.keywords;
  if (!rightButton || item < 0 || item >= list.Count()) return;
  list.SetItemIndex(item);
  ListBoxWordsClick();
}

void KeywordEditor::ListBoxWordsContextMenu() {
  enum { kDelete = 1, kSort, kClear, kSave, kLoad };
  switch (p_.platform.PopupMenu({{kDelete, "Delete"},
                                 {kSort, "Sort list"},
                                 {kClear, "Clear"},
                                 {kSave, "Save"},
                                 {kLoad, "Load"}})) {
    case kDelete:
      Delete1Click();
      break;
    case kSort:
      Sortlist1Click();
      break;
    case kClear:
      Clear1Click();
      break;
    case kSave:
      Save1Click();
      break;
    case kLoad:
      Load1Click();
      break;
    default:
      break;
  }
}

void KeywordEditor::ListBoxWordsKeyPress(char key) {
  if (key == kEnter) DeleteKeyword();
}

void KeywordEditor::EditFindStrKeyPress(char key) {
  Edit& edit = p_.edit;
  if (key == kEnter) {
    const auto at =
        static_cast<std::size_t>(std::clamp(edit.SelStart, 0, static_cast<int>(edit.Text.size())));
    edit.Text.insert(at, "&");
    edit.SelStart = static_cast<int>(at) + 1;
    return;
  }
  if (key != kCtrlEnter) return;
  ListBox& list = p_.keywords;
  const int n = list.Count();
  if (edit.Text.empty() || n == 0) return;
  // After a match on the last keyword the next lookup starts from the top again.
  if (searchCursor_ > n) searchCursor_ = 1;
  const std::string wanted = UpperCase(edit.Text);
  for (int at = searchCursor_; at <= n; ++at) {
    if (RateSimilarity(list.Items()[static_cast<std::size_t>(at - 1)], wanted, kFindUpperCase,
                       true) > p_.settings.CongenialityRate) {
      list.SetItemIndex(at - 1);
      searchCursor_ = at + 1;
      return;
    }
  }
  searchCursor_ = 1;
}

void KeywordEditor::Sortlist1Click() {
  ListBox& list = p_.keywords;
  const int n = list.Count();
  if (n == 0) return;
  std::vector<std::string> keys;
  for (const auto& item : list.Items()) keys.push_back(UpperCase(item));
  // where[k]: the position now of the keyword that was at k.
  std::vector<std::int32_t> where(static_cast<std::size_t>(n));
  std::iota(where.begin(), where.end(), 0);
  std::vector<std::int32_t> from = where;  // from[p]: where position p's keyword was
  SortByRepeatedMaximum(
      static_cast<std::size_t>(n), [&](std::size_t a, std::size_t b) { return keys[b] > keys[a]; },
      [] { return false; },
      [&](std::size_t a, std::size_t b) {
        std::swap(keys[a], keys[b]);
        list.SwapItems(static_cast<int>(a), static_cast<int>(b));
        std::swap(from[a], from[b]);
      });
  for (int p = 0; p < n; ++p)
    where[static_cast<std::size_t>(from[static_cast<std::size_t>(p)])] = p;
  const int selected = list.ItemIndex();
  if (selected >= 0) list.SetItemIndex(where[static_cast<std::size_t>(selected)]);
  Reindex([&where](std::int32_t k) {
    return k < static_cast<std::int32_t>(where.size()) ? where[static_cast<std::size_t>(k)] : -1;
  });
  StoreKeywords();
  searchCursor_ = 1;
}

void KeywordEditor::ReplaceList(std::vector<std::string> items) {
  ListBox& list = p_.keywords;
  list.Clear();
  list.SetItems(std::move(items));
  if (list.Count() == 0) list.Hint = kEmptyListHint;
  // The results' keywords are gone from the list, whatever stands there now.
  Reindex([](std::int32_t) { return -1; });
  StoreKeywords();
  searchCursor_ = 1;
}

void KeywordEditor::Clear1Click() { ReplaceList({}); }

void KeywordEditor::Save1Click() {
  const ListBox& list = p_.keywords;
  if (list.Count() == 0) return;
  std::optional<std::string> chosen = p_.platform.SaveFileDialog(kTextFileFilter);
  if (!chosen) return;
  const std::string file = WithTextExtension(*chosen);
  if (const FileStatus saved = WriteFileAtomic(file, JoinLinesCrLf(list.Items())); !saved) {
    p_.host.ShowMessageBox("The keywords could not be saved to " + file + saved.Because(), kBoxOk);
  }
}

void KeywordEditor::Load1Click() {
  std::optional<std::string> chosen = p_.platform.OpenFileDialog(kLoadFilter, "");
  if (!chosen) return;
  SetLastFileFailure({});
  std::optional<std::string> text = ReadWholeFile(*chosen);
  if (!text) {
    p_.host.ShowMessageBox(
        "The keywords could not be read from " + *chosen + Because(LastFileFailure()), kBoxOk);
    return;
  }
  // Lines the settings file could not keep are mended as it would: NUL bytes and
  // leading blanks dropped, lines left empty skipped.
  std::vector<std::string> items;
  for (std::string& line : SplitLines(*text)) {
    std::erase(line, '\0');
    if (std::optional<std::string> keyword = ListLine(line)) items.push_back(std::move(*keyword));
  }
  ReplaceList(std::move(items));
}

}  // namespace kolvar
