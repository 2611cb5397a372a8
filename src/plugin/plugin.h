// The one object that owns everything the loaded plug-in knows: the settings, the
// window's control models, the results, the flags and the search worker. The
// exports create it in Open and destroy it after Close. Unless a method says
// otherwise it runs on the window thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "base/numbers.h"
#include "base/platform.h"
#include "plugin/action_record.h"
#include "plugin/search_worker.h"
#include "search/result_list.h"
#include "settings/settings.h"
#include "ui/form_pref.h"

namespace kolvar {

inline constexpr char kPluginTitle[] = "Kestrimon Kolvar";
inline constexpr char kModuleName[] = "Kolvar.dll";
inline constexpr char kMessageBoxCaption[] = "Kolvar programm";
inline constexpr char kResultsNotShownNotice[] =
    "-results not shown, because ShowInPref value is false. See file \"settings.ini\". "
    "Click this message or popup menu";

class Plugin {
 public:
  // The platform must outlive the plug-in. enter wraps the tasks the plug-in runs
  // on the window thread (see PluginSlot); without it they simply run.
  explicit Plugin(Platform& platform, EnterFn enter = {});
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;
  ~Plugin();

  // Builds the plug-in's state for the host window; returns the title, always.
  const char* Open(WindowHandle hostWindow);
  // Stops the worker and tears down the window and everything it owns. Nothing is
  // written to disk.
  void Close();
  // The part of Close that is safe while plug-in code is still on the stack: the
  // worker is stopped, the window hidden, and nothing more reaches the host. Close
  // finishes it.
  void BeginClose();
  // Open and not closing.
  bool IsOpen() const { return life_ == Life::kOpen; }
  // Closing or closed: nothing more reaches the host or the user.
  bool Closing() const { return life_ == Life::kClosing || life_ == Life::kClosed; }
  // Shows the preferences window and brings it to the front.
  void Setup();
  // Runs one host command and answers it with exactly one reply carrying tag.
  void ActionManual(ActionRecord& record, std::uint32_t tag);

  // The one way the plug-in shows a message box; returns the button pressed.
  int ShowMessageBox(const std::string& text, int style);
  // Everything the plug-in tells the host: a text (or, with an end time, a result
  // line to shape by the output template) as one event of a kind.
  void SendHostMessage(const std::string& text, int kindCode, DateTime endTime = 0, int index = 0,
                       int count = 0);

  // Search control.
  void StartSearch(bool sorted, bool visible, bool announce, int window);
  // True when a run was started.
  bool FindText(const std::string& text, bool sorted, bool visible, bool announce, int window,
                bool selectedOnly);
  // False, after telling the user, when no run could be started.
  bool LaunchSearchThread(SearchArgs args);
  void AbortSearch();
  void ReapFrozenSearch();
  void FreezeSearch();
  void ResumeSearch();
  bool SearchRunning() const { return worker_.Running(); }
  bool SearchFrozen() const { return worker_.Frozen(); }
  // One search run, on the worker thread.
  void RunSearch(const SearchArgs& args, RunContext& ctx);
  // The run the worker executes, RunSearch unless replaced: tests drive the
  // worker with runs of their own.
  void SetSearchRun(SearchRunFn run) { searchRun_ = std::move(run); }
  void SetThreadFactoryForTest(ThreadFactory factory) {
    worker_.SetThreadFactoryForTest(std::move(factory));
  }

  // Window operations.
  void FormClose();
  void ClosePreferences();
  void ShowAbout();
  void Help1Click();
  void Settingsini1Click();
  void BuildResultList();
  void RemindOn();
  void RemindOff();
  // The channel catalogue.
  int ScanChannelFolder(const std::string& folder);
  void UpdateChannelCounter();
  void SelectDatabaseFolder();
  void EditFolderPathKeyPress(char key);
  void SelectFolder1Click();
  void CheckAll1Click();
  void UncheckAll1Click();
  void CheckedOnlyClick();
  void ShowCheckedList1Click();
  void ShowSelectedChannelClick();
  void CheckListBoxFilesClick();
  void CheckListBoxFilesClickCheck();
  void CheckListBoxFilesDblClick() { CheckedOnlyClick(); }
  // A mouse press on the channel list; item is the line under the pointer, -1 for none.
  void CheckListBoxFilesMouseDown(bool rightButton, int item);
  bool CheckedOnlyMenuChecked() const { return checkedOnly_; }

  // The result list box and the search buttons.
  void ListBoxFindClick();
  void ListBoxFindDblClick();
  // The find dialog's "find next" with its text.
  void FindDialog1Find(const std::string& text);
  void SearchAllKeywords();
  void FindKeywordText();
  // The result-list menu's "Now Showing".
  void NowShowing();
  // The window's Save button: the window's values into the settings and the file.
  void SavePreferences();
  const std::vector<std::string>& SearchKeywordList() const { return searchKeywordList_; }
  int FindPosition() const { return findPosition_; }

  // Copy the channel list's check marks and the keyword list into the settings.
  void StoreCheckedChannels();
  void StoreKeywords();

  // State, for the window view and the tests.
  const std::string& PluginFolder() const { return pluginFolder_; }
  TSettings& Settings() { return settings_; }
  FormPref& Form() { return form_; }
  // A copy taken under the lock, as the worker may be writing.
  TFindStruct Results() const;
  std::size_t ResultCount() const;
  // Writes results under the lock; for runs and tests.
  template <typename Fn>
  void WithResults(Fn&& fn) {
    std::lock_guard lock(stateMutex_);
    fn(results_);
  }
  // The results themselves, for a run inside RunContext::WithSharedState (which
  // holds the state mutex).
  TFindStruct& ResultsLocked() { return results_; }
  bool Initialised() const { return initialised_; }
  bool ResultsStale() const { return resultsStale_; }
  bool ResultsFromKeywordList() const { return resultsFromKeywordList_; }
  bool DatabaseOutdated() const { return databaseOutdated_; }
  int NotifyCountdown() const { return notifyCountdown_; }
  const SearchArgs& LastSearchArgs() const { return searchArgs_; }

 private:
  void FindPluginFolder();
  void WireHandlers();
  void FillControlsFromSettings();
  // The host command table, rows 1-32 and 33-34; each returns true when it sent
  // its own reply.
  void RunPlainCommand(const std::string& command);
  bool RunStatusCommand(const std::string& command, ActionRecord& record, std::uint32_t tag);
  void RunParamCommand(const std::string& command, ActionRecord& record);
  // The host hears nothing from a plug-in that is closing.
  void Reply(std::uint32_t tag, std::intptr_t value);
  // The default search window in minutes.
  int SearchHorizon() const { return SaturatedProduct(settings_.HourToEnd, 60); }
  // Asks before a button's search replaces a running one; false when the user
  // keeps the running search.
  bool MayStartSearch();
  // Stops the run for good and empties the results it left.
  void DiscardRun();
  void SwitchReminders(bool on);

  // Handlers of the window's controls.
  void CheckBoxFullSearchClick();
  void CheckBoxSortedClick();
  void CheckBoxRemindClick();
  void SpinEditSearchModChange();
  void SpinEditIdentitalChange();
  void SpinEditNotiseDelayChange();
  void SpinEditTimeShiftChange();

  // Reminders and now-showing browsing are not built yet; the commands that reach
  // them are answered and do nothing else.
  void AcknowledgeReminder(bool confirm);
  void Beat();
  void ResetUntilIndex();
  void ResetUntilProgress();
  void FinalUntilIndex();
  void ShowUntilBack();
  void ShowUntilCurrent();
  void ShowUntilNext(int minutes);

  Platform& platform_;
  std::string pluginFolder_;
  TSettings settings_;
  FormPref form_;
  // The keyword list the results' keyword indices refer to.
  std::vector<std::string> searchKeywordList_;
  int findPosition_ = 1;  // where the next find in the result list starts, 1-based
  SearchArgs searchArgs_;
  SearchRunFn searchRun_;
  enum class Life { kNew, kOpen, kClosing, kClosed };
  Life life_ = Life::kNew;
  bool typedPathFlag_ = false;  // the folder edit was typed in since the last selection
  bool checkedOnly_ = false;    // the "Checked Only" menu item's check mark

  // Guards the results (and the reminder lists) that the worker writes.
  mutable std::mutex stateMutex_;
  TFindStruct results_;

  std::atomic<bool> initialised_{false};
  std::atomic<bool> resultsStale_{false};
  std::atomic<bool> databaseOutdated_{true};
  std::atomic<bool> resultsFromKeywordList_{false};
  std::atomic<bool> skipNextSort_{false};
  int notifyCountdown_ = 0;  // window thread only

  // Declared last: destroyed first, so no run outlives the state it refers to.
  SearchWorker worker_;
};

}  // namespace kolvar
