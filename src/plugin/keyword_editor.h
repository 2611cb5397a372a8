// The keyword list box and its editing: the Add, Acc and Rem buttons, the edit
// box's keys, and the list's menu (Delete, Sort list, Clear, Save, Load). Every
// change is copied into the settings' keywords, and the keyword index of every
// result, including those a running search has still to publish, keeps pointing
// at the keyword that found it, or becomes -1 once that keyword is gone. Window
// thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "plugin/host_channel.h"
#include "plugin/result_store.h"
#include "settings/settings.h"
#include "ui/controls.h"

namespace kolvar {

class KeywordEditor {
 public:
  // What the editor uses. It changes the keyword list box, the edit, the
  // settings' keywords, and of the results their keyword indices, keyword list
  // and stale.
  struct Parts {
    Platform& platform;
    HostChannel& host;
    ResultStore& results;
    TSettings& settings;
    ListBox& keywords;
    Edit& edit;  // the keyword being typed or edited
  };
  explicit KeywordEditor(Parts parts) : p_(parts) {}

  // The Add, Acc and Rem buttons.
  void AddKeyword();
  void ModifyKeyword();
  void DeleteKeyword();

  void ListBoxWordsClick();
  void ListBoxWordsKeyPress(char key);
  // A right press selects the keyword under the pointer and shows it in the edit;
  // the list's menu opens when the button is released.
  void ListBoxWordsMouseDown(bool rightButton, int item);
  void ListBoxWordsContextMenu();
  // Enter puts "&" at the caret; Ctrl+Enter (a line feed) looks for the next
  // keyword like the edit's text.
  void EditFindStrKeyPress(char key);

  // The list's menu.
  void Delete1Click() { DeleteKeyword(); }
  void Sortlist1Click();
  void Clear1Click();
  void Save1Click();
  void Load1Click();

  // The keyword list box into the settings' keywords; the results are then stale.
  void StoreKeywords();

 private:
  // Whether text may become a keyword; tells the user why not.
  bool Acceptable(const std::string& text);
  // Moves the results' keyword indices (and the running search's) through f, an
  // index of the list before the change to one after it or -1; then the results
  // refer to the list as it is now.
  void Reindex(const std::function<std::int32_t(std::int32_t)>& f);
  void ReplaceList(std::vector<std::string> items);

  Parts p_;
  int searchCursor_ = 1;  // where the next lookup starts, 1-based
};

}  // namespace kolvar
