#include "plugin/plugin.h"

#include <array>

#include "base/paths.h"
#include "plugin/host_channel.h"
#include "settings/settings_file.h"

namespace kolvar {

namespace {

constexpr char kSearchNotStarted[] =
    "The search could not start: the system has no room for another thread. Close some "
    "programs and try again.";
constexpr char kAboutText[] =
    "Kolvar v2.51\r\n"
    "A TV-guide watcher that reminds you when your programmes are on.\r\n"
    "Made by the Kolvar team. Questions and wishes: kolvar@kestrimon.org";

}  // namespace

Plugin::Plugin(Platform& platform, EnterFn enter)
    : platform_(platform), worker_(platform, stateMutex_, std::move(enter)) {
  searchRun_ = [this](const SearchArgs& args, RunContext& ctx) { RunSearch(args, ctx); };
  WireHandlers();
}

Plugin::~Plugin() {
  // A host that unloads without Close still must not leave a run behind.
  Close();
}

void Plugin::WireHandlers() {
  form_.CheckBoxFullSearch.OnClick = [this] { CheckBoxFullSearchClick(); };
  form_.CheckBoxFullSearch.OnKeyPress = [this] { CheckBoxFullSearchClick(); };
  form_.CheckBoxSorted.OnKeyPress = [this] { CheckBoxSortedClick(); };
  form_.CheckBoxSorted.OnClick = [this] { CheckBoxSortedClick(); };
  form_.CheckBoxRemind.OnClick = [this] { CheckBoxRemindClick(); };
  form_.SpinEditSearchMod.OnChange = [this] { SpinEditSearchModChange(); };
  form_.SpinEditIdentital.OnChange = [this] { SpinEditIdentitalChange(); };
  form_.SpinEditNotiseDelay.OnChange = [this] { SpinEditNotiseDelayChange(); };
  form_.SpinEditTimeShift.OnChange = [this] { SpinEditTimeShiftChange(); };
}

const char* Plugin::Open(WindowHandle hostWindow) {
  if (life_ != Life::kNew) return kPluginTitle;
  platform_.SetHostWindow(hostWindow);
  platform_.CreatePreferencesWindow();
  life_ = Life::kOpen;
  FindPluginFolder();
  platform_.AddToolWindowStyle();
  if (LoadSettings(pluginFolder_ + kSettingsFileName, settings_) != 1) {
    // Half open: the window exists, but no command of kind 1 is taken and no
    // search runs until the plug-in is loaded again with a good file.
    ShowMessageBox("Load Error", kBoxOk);
    return kPluginTitle;
  }
  notifyCountdown_ = settings_.RepeatCount;
  if (ScanChannelFolder(settings_.Path) != 1) ShowMessageBox("JTV files not found", kBoxOk);
  typedPathFlag_ = false;
  FillControlsFromSettings();
  form_.TimerSearchUpdate.SetInterval(5000);
  form_.TimerNiticer.SetInterval(TimerIntervalMs(settings_.NotiseDelay, 1000));
  form_.TimerNiticer.SetEnabled(true);
  form_.TimerSearchUpdate.SetEnabled(true);
  form_.CheckBoxRemind.SetChecked(settings_.Remind);
  form_.ListBoxFind.Add(kResultsNotShownNotice);
  for (const auto& word : settings_.Words) form_.ListBoxWords.Add(word);
  initialised_ = true;
  StartSearch(settings_.Sorted, settings_.ShowInPref, false, SearchHorizon());
  return kPluginTitle;
}

void Plugin::FindPluginFolder() {
  std::optional<std::string> fileName = platform_.LoadedModuleFileName(kModuleName);
  if (!fileName) {
    ShowMessageBox("Can not get module handle", kBoxOk);
  } else if (fileName->size() < 2) {
    ShowMessageBox("Can not get module filename", kBoxOk);
  } else {
    pluginFolder_ = DirectoryPart(*fileName);
  }
  // A plug-in loaded under another name still finds its files where the host
  // installs plug-ins.
  if (pluginFolder_.empty()) {
    pluginFolder_ = DirectoryPart(platform_.HostExecutablePath()) + "Plugins\\Kolvar\\";
  }
}

void Plugin::FillControlsFromSettings() {
  form_.EditFolderPath.Text = settings_.Path;
  form_.SpinEditSearchMod.SetValue(settings_.FindMode);
  form_.SpinEditIdentital.SetValue(settings_.CongenialityRate);
  form_.SpinEditNotiseDelay.SetValue(settings_.NotiseDelay);
  form_.CheckBoxFullSearch.SetChecked(settings_.FullSearch);
  form_.CheckBoxSorted.SetChecked(settings_.Sorted);
}

void Plugin::BeginClose() {
  if (life_ != Life::kOpen) return;
  life_ = Life::kClosing;
  initialised_ = false;
  worker_.Shutdown();
  form_.Visible = false;
  platform_.HidePreferencesWindow();
}

void Plugin::Close() {
  BeginClose();
  if (life_ != Life::kClosing) return;
  // The worker leaves before the window goes, so none of its hand-overs can reach
  // a destroyed window and no code of ours runs after Close returns.
  worker_.StopAndJoin();
  life_ = Life::kClosed;
  platform_.DestroyPreferencesWindow();
}

void Plugin::Setup() {
  form_.Visible = true;
  platform_.ShowPreferencesWindow();
}

// ---- Host commands ----

void Plugin::ActionManual(ActionRecord& record, std::uint32_t tag) {
  bool replied = false;
  const std::int32_t kind = record.Kind();
  if (record.Result() == 0 && ((kind == 1 && initialised_) || kind == 2)) {
    // A null command matches no name; the record still gets its reply.
    if (std::optional<std::string> command = record.Command()) {
      if (kind == 1) {
        RunPlainCommand(*command);
        replied = RunStatusCommand(*command, record, tag);
      } else {
        RunParamCommand(*command, record);
      }
    }
  }
  if (!replied) Reply(tag, 1);
}

void Plugin::Reply(std::uint32_t tag, std::intptr_t value) {
  if (!Closing()) platform_.Reply(tag, value);
}

// All of these take the default reply.
void Plugin::RunPlainCommand(const std::string& command) {
  const int window = SearchHorizon();
  if (command == "UNDERSTOOD") {
    AcknowledgeReminder(settings_.NoticeUnderstood);
  } else if (command == "RESETUNTILINDEX") {
    ResetUntilIndex();
  } else if (command == "RESETUNTILPROGR") {
    ResetUntilProgress();
  } else if (command == "FINALUNTILINDEX") {
    FinalUntilIndex();
  } else if (command == "SHOWUNTILBACK") {
    ShowUntilBack();
  } else if (command == "SHOWUNTILCURENT") {
    ShowUntilCurrent();
  } else if (command == "SHOWUNTILNEXT") {
    ShowUntilNext(settings_.UntilMinutes);
  } else if (command == "REFIND") {
    if (SearchRunning()) AbortSearch();
    StartSearch(settings_.Sorted, settings_.ShowInPref, true, window);
  } else if (command == "REFINDVIS") {
    if (SearchRunning()) AbortSearch();
    StartSearch(settings_.Sorted, true, false, window);
  } else if (command == "FREEZESEARCH") {
    FreezeSearch();
  } else if (command == "RESUMESEARCH") {
    ResumeSearch();
  } else if (command == "ABORTSEARCH") {
    if (SearchRunning()) AbortSearch();
  } else if (command == "BEAT") {
    // Beat refuses to build a list during a search and says so itself; acting on
    // every BEAT keeps the host's button useful when no search runs.
    Beat();
  } else if (command == "REMINDON") {
    RemindOn();
  } else if (command == "REMINDOFF") {
    RemindOff();
  } else if (command == "TOGGLEREMIND") {
    settings_.Remind ? RemindOff() : RemindOn();
  } else if (command == "FULLSEARCHON" ||
             (command == "TOGGLEFULLSEARCH" && !settings_.FullSearch)) {
    settings_.FullSearch = true;
    form_.CheckBoxFullSearch.SetChecked(true);
  } else if (command == "FULLSEARCHOFF" || command == "TOGGLEFULLSEARCH") {
    settings_.FullSearch = false;
    form_.CheckBoxFullSearch.SetChecked(false);
  } else if (command == "SORTEDON" || (command == "TOGGLESORTED" && !settings_.Sorted)) {
    settings_.Sorted = true;
    form_.CheckBoxSorted.SetChecked(true);
  } else if (command == "SORTEDOFF" || command == "TOGGLESORTED") {
    settings_.Sorted = false;
    form_.CheckBoxSorted.SetChecked(false);
  } else if (command == "CLOSEPREF") {
    ClosePreferences();
  } else if (command == "JOINFINDLIST") {
    BuildResultList();
  } else if (command == "SETTINGSINI") {
    Settingsini1Click();
  } else if (command == "HELP") {
    Help1Click();
  } else if (command == "ABOUT") {
    ShowAbout();
  }
}

bool Plugin::RunStatusCommand(const std::string& command, ActionRecord& record, std::uint32_t tag) {
  // Each status row tests kind and Result afresh, since an earlier one may have
  // written Result.
  auto applies = [&](const char* name) {
    return record.Kind() == 1 && record.Result() == 0 && command == name;
  };
  bool replied = false;
  if (applies("HANDLE")) {
    WindowHandle handle = platform_.PreferencesWindow();
    record.SetResult(static_cast<std::int32_t>(handle));
    record.SetCommandField(handle);
    Reply(tag, static_cast<std::intptr_t>(handle));
    replied = true;
  }
  const std::array<std::pair<const char*, bool>, 3> switches = {{
      {"SORTEDSTATUS", settings_.Sorted},
      {"FULLSEARCHSTATUS", settings_.FullSearch},
      {"REMINDSTATUS", settings_.Remind},
  }};
  for (const auto& [name, on] : switches) {
    if (!applies(name)) continue;
    if (on) {
      record.SetResult(1);
    } else {
      Reply(tag, 0);
      replied = true;
    }
  }
  if (applies("SEARCHSTATUS")) {
    const std::int32_t status = SearchRunning() ? (SearchFrozen() ? 2 : 1) : 0;
    record.SetResult(status);
    Reply(tag, status);
    replied = true;
  }
  return replied;
}

void Plugin::RunParamCommand(const std::string& command, ActionRecord& record) {
  if (command == "CUSTOMSHOWUNTILNEXT") {
    if (record.Flag() != 0) ShowUntilNext(record.ParamNumber());
  } else if (command == "FINDIT" && record.Flag() == 0) {
    // Only now is Param known to be a text.
    if (std::optional<std::string> text = record.ParamText()) {
      FindText(*text, settings_.Sorted, false, true, SearchHorizon(), false);
    }
  }
}

// ---- Host messages ----

int Plugin::ShowMessageBox(const std::string& text, int style) {
  // A closing plug-in asks nothing: 0 is no button.
  if (Closing()) return 0;
  return platform_.ModalMessageBox(text + "      ", kMessageBoxCaption, style);
}

void Plugin::SendHostMessage(const std::string& text, int kindCode, DateTime /*endTime*/,
                             int /*index*/, int /*count*/) {
  // Result lines are to be shaped by the output template; until it exists they
  // reach the host as they stand.
  if (Closing()) return;
  platform_.SendEvent(MakeHostEvent(text, kindCode));
  if (kindCode == kKindNotif && notifyCountdown_ > 0 && --notifyCountdown_ == 0) {
    notifyCountdown_ = settings_.RepeatCount;
    AcknowledgeReminder(false);
  }
}

// ---- Search control ----

void Plugin::StartSearch(bool sorted, bool visible, bool announce, int window) {
  ReapFrozenSearch();
  if (SearchRunning()) return;
  SearchArgs args;
  args.keywords = settings_.Words;
  args.sorted = sorted;
  args.visible = visible;
  args.announce = announce;
  args.window = window;
  if (!LaunchSearchThread(std::move(args))) return;
  resultsStale_ = false;
  resultsFromKeywordList_ = true;
  searchKeywordList_ = settings_.Words;
}

bool Plugin::FindText(const std::string& text, bool sorted, bool visible, bool announce, int window,
                      bool selectedOnly) {
  ReapFrozenSearch();
  if (text.empty() || SearchRunning()) return false;
  SearchArgs args;
  args.keywords = {text};
  args.sorted = sorted;
  args.visible = visible;
  args.announce = announce;
  args.window = window;
  args.selectedOnly = selectedOnly;
  if (!LaunchSearchThread(std::move(args))) return false;
  resultsFromKeywordList_ = false;
  // Reminders and the periodic re-search wait for the next keyword search.
  resultsStale_ = true;
  return true;
}

bool Plugin::LaunchSearchThread(SearchArgs args) {
  searchArgs_ = args;
  if (worker_.Launch(std::move(args), searchRun_, settings_.Priority)) return true;
  // Nothing changed: the old results stay, and a later start may succeed.
  ShowMessageBox(kSearchNotStarted, kBoxInformation);
  return false;
}

void Plugin::AbortSearch() {
  if (SearchRunning()) DiscardRun();
}

void Plugin::ReapFrozenSearch() {
  if (SearchRunning() && SearchFrozen()) DiscardRun();
}

void Plugin::DiscardRun() {
  worker_.Stop();
  TFindStruct discarded;  // freed after the lock, however many there are
  {
    std::lock_guard lock(stateMutex_);
    std::swap(discarded, results_);
  }
  BuildResultList();
}

void Plugin::FreezeSearch() {
  if (SearchRunning() && !SearchFrozen()) worker_.Freeze();
}

void Plugin::ResumeSearch() {
  if (SearchRunning() && SearchFrozen()) worker_.Resume();
}

TFindStruct Plugin::Results() const {
  std::lock_guard lock(stateMutex_);
  return results_;
}

std::size_t Plugin::ResultCount() const {
  std::lock_guard lock(stateMutex_);
  return results_.Lines.size();
}

// ---- Window operations ----

void Plugin::BuildResultList() {
  EmptyListNotice notice{databaseOutdated_, form_.CheckListBoxFiles.CheckedCount(),
                         settings_.MessOldDataBase};
  const DateTime now = platform_.Now();
  std::lock_guard lock(stateMutex_);
  kolvar::BuildResultList(results_, form_.ListBoxFind, now, notice);
}

void Plugin::FormClose() {
  ReapFrozenSearch();
  if (initialised_ && resultsStale_ && !SearchRunning()) {
    StartSearch(settings_.Sorted, settings_.ShowInPref, false, SearchHorizon());
  }
}

void Plugin::ClosePreferences() {
  form_.Visible = false;
  platform_.HidePreferencesWindow();
  FormClose();
}

void Plugin::ShowAbout() { ShowMessageBox(kAboutText, kBoxInformation); }

void Plugin::Help1Click() { platform_.ShellOpen(pluginFolder_ + "Help\\index.htm", pluginFolder_); }

void Plugin::Settingsini1Click() {
  platform_.ShellOpen(pluginFolder_ + "settings.ini", pluginFolder_);
}

void Plugin::RemindOn() { SwitchReminders(true); }

void Plugin::RemindOff() { SwitchReminders(false); }

void Plugin::SwitchReminders(bool on) {
  settings_.Remind = on;
  form_.CheckBoxRemind.SetChecked(on);
  form_.TimerNiticer.SetEnabled(on);
  notifyCountdown_ = settings_.RepeatCount;
  if (settings_.RemindStatusShowing) {
    SendHostMessage(on ? settings_.MessRemindOn : settings_.MessRemindOff, kKindMess);
  }
}

void Plugin::StoreCheckedChannels() {
  const CheckListBox& files = form_.CheckListBoxFiles;
  settings_.ChannelCount = files.CheckedCount();
  if (settings_.ChannelCount == 0) return;  // the old names stay, uncounted
  settings_.Channels.clear();
  for (int i = 0; i < files.Count(); ++i) {
    if (files.Checked[i]) settings_.Channels.push_back(files.Items[i]);
  }
}

void Plugin::StoreKeywords() {
  settings_.Words = form_.ListBoxWords.Items;
  settings_.WordCount = static_cast<std::int32_t>(settings_.Words.size());
  resultsStale_ = true;
}

// ---- Control handlers ----

void Plugin::CheckBoxFullSearchClick() {
  settings_.FullSearch = form_.CheckBoxFullSearch.Checked();
  resultsStale_ = true;
}

void Plugin::CheckBoxSortedClick() {
  settings_.Sorted = form_.CheckBoxSorted.Checked();
  resultsStale_ = true;
}

void Plugin::CheckBoxRemindClick() {
  settings_.Remind = form_.CheckBoxRemind.Checked();
  form_.TimerNiticer.SetEnabled(settings_.Remind);
}

void Plugin::SpinEditSearchModChange() {
  int value = form_.SpinEditSearchMod.Value();
  if (value < 1 || value > 3) {
    ShowMessageBox("Incorrect find mod value", kBoxInformation);
    return;
  }
  settings_.FindMode = value;
  resultsStale_ = true;
}

void Plugin::SpinEditIdentitalChange() {
  int value = form_.SpinEditIdentital.Value();
  if (value < 1 || value > 100) {
    ShowMessageBox("Incorrect precision value", kBoxInformation);
    return;
  }
  settings_.CongenialityRate = value;
  resultsStale_ = true;
}

void Plugin::SpinEditNotiseDelayChange() {
  settings_.NotiseDelay = form_.SpinEditNotiseDelay.Value();
  form_.TimerNiticer.SetInterval(TimerIntervalMs(settings_.NotiseDelay, 1000));
}

// ---- Not built yet ----

void Plugin::AcknowledgeReminder(bool) {}
void Plugin::Beat() {}
void Plugin::ResetUntilIndex() {}
void Plugin::ResetUntilProgress() {}
void Plugin::FinalUntilIndex() {}
void Plugin::ShowUntilBack() {}
void Plugin::ShowUntilCurrent() {}
void Plugin::ShowUntilNext(int) {}

}  // namespace kolvar
