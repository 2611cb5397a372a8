#include "plugin/plugin.h"

#include "base/numbers.h"
#include "base/paths.h"
#include "base/texts.h"
#include "settings/settings_file.h"

namespace kolvar {

namespace {
constexpr char kModuleName[] = "Kolvar.dll";
constexpr int kSearchUpdateMs = 5000;
constexpr int kNiticerTimer = 1;
constexpr int kSearchUpdateTimer = 2;
constexpr int kGuideWatchTimer = 3;
}  // namespace

Plugin::Plugin(Platform& platform, EnterFn enter)
    : enter_(enter ? std::move(enter) : [](const std::function<void()>& fn) { fn(); }),
      platform_(platform),
      host_(platform, state_.life),
      search_(
          {.platform = platform,
           .host = host_,
           .results = store_,
           .settings = settings_,
           .known = knownMatches_,
           .caption = form_.Label1,
           .channels = form_.CheckListBoxFiles,
           .windowVisible = form_.Visible},
          [this](ResultListing* prepared) { return results_.BuildResultList(prepared); }, enter_),
      results_({.platform = platform,
                .host = host_,
                .search = search_,
                .results = store_,
                .settings = settings_,
                .list = form_.ListBoxFind,
                .keywords = form_.ListBoxWords,
                .sorted = form_.CheckBoxSorted,
                .findText = form_.EditFindStr,
                .channels = form_.CheckListBoxFiles}),
      channels_({.platform = platform,
                 .host = host_,
                 .search = search_,
                 .results = store_,
                 .settings = settings_,
                 .watch = watch_,
                 .channels = form_.CheckListBoxFiles,
                 .counter = form_.LabelNumberOfSelected,
                 .caption = form_.Label1,
                 .folder = form_.EditFolderPath,
                 .timeShift = form_.SpinEditTimeShift}),
      keywords_({.platform = platform,
                 .host = host_,
                 .results = store_,
                 .settings = settings_,
                 .keywords = form_.ListBoxWords,
                 .edit = form_.EditFindStr}),
      until_(platform, host_, search_, store_, settings_),
      reminders_(platform, host_, search_, until_, store_, settings_, state_.initialised,
                 {.remind = form_.CheckBoxRemind,
                  .niticer = form_.TimerNiticer,
                  .searchUpdate = form_.TimerSearchUpdate,
                  .notiseDelay = form_.SpinEditNotiseDelay,
                  .channels = form_.CheckListBoxFiles}),
      watcher_({.host = host_,
                .search = search_,
                .settings = settings_,
                .watch = watch_,
                .known = knownMatches_,
                .pluginFolder = state_.pluginFolder,
                .initialised = state_.initialised,
                .timer = form_.TimerGuideWatch,
                .channels = form_.CheckListBoxFiles}),
      window_({.platform = platform,
               .host = host_,
               .search = search_,
               .channels = channels_,
               .keywords = keywords_,
               .results = store_,
               .settings = settings_,
               .form = form_,
               .watch = watch_,
               .pluginFolder = state_.pluginFolder,
               .settingsLoaded = state_.settingsLoaded,
               .initialised = state_.initialised}),
      commands_(platform, settings_, state_.initialised,
                {.fullSearch = form_.CheckBoxFullSearch, .sorted = form_.CheckBoxSorted},
                {host_, search_, results_, reminders_, until_, window_}) {
  WireHandlers();
}

Plugin::~Plugin() {
  // A host that unloads without Close still must not leave a run behind.
  Close();
}

void Plugin::WireHandlers() {
  host_.PostTask = [this](std::function<void()> fn) {
    platform_.PostToWindowThread([enter = enter_, fn = std::move(fn)] { enter(fn); });
  };
  search_.OnRunStarting = [this] {
    reminders_.ClearForNewRun();
    until_.ClearForNewRun();
  };
  search_.OnRunConcluded = [this](RunConclusion c) {
    results_.KeepCalendarCurrent();
    watcher_.RunConcluded(std::move(c));
  };
  channels_.ToggleWatch = [this] { watcher_.ToggleWatch(); };

  FormPref& form = form_;
  form.CheckBoxFullSearch.OnClick = [this] { window_.CheckBoxFullSearchClick(); };
  form.CheckBoxFullSearch.OnKeyPress = [this] { window_.CheckBoxFullSearchClick(); };
  form.CheckBoxSorted.OnClick = [this] { results_.CheckBoxSortedClick(); };
  form.CheckBoxSorted.OnKeyPress = [this] { results_.CheckBoxSortedClick(); };
  form.CheckBoxRemind.OnClick = [this] { reminders_.CheckBoxRemindClick(); };
  form.CheckBoxRemind.OnKeyPress = [this] { reminders_.CheckBoxRemindClick(); };
  form.TimerNiticer.OnTimer = [this] { reminders_.TimerNiticerTimer(); };
  form.TimerSearchUpdate.OnTimer = [this] { reminders_.TimerSearchUpdateTimer(); };
  form.TimerGuideWatch.OnTimer = [this] { watcher_.TimerGuideWatchTimer(); };
  form.TimerGuideWatch.OnChanged = [this] { ArmTimer(kGuideWatchTimer, form_.TimerGuideWatch); };
  form.TimerNiticer.OnChanged = [this] { ArmTimer(kNiticerTimer, form_.TimerNiticer); };
  form.TimerSearchUpdate.OnChanged = [this] {
    ArmTimer(kSearchUpdateTimer, form_.TimerSearchUpdate);
  };
  form.SpinEditSearchMod.OnChange = [this] { window_.SpinEditSearchModChange(); };
  form.SpinEditIdentital.OnChange = [this] { window_.SpinEditIdentitalChange(); };
  form.SpinEditNotiseDelay.OnChange = [this] { reminders_.SpinEditNotiseDelayChange(); };
  form.SpinEditTimeShift.OnChange = [this] { channels_.SpinEditTimeShiftChange(); };

  form.ListBoxWords.OnClick = [this] { keywords_.ListBoxWordsClick(); };
  form.ListBoxWords.OnKeyPress = [this](char key) { keywords_.ListBoxWordsKeyPress(key); };
  form.ListBoxWords.OnMouseDown = [this](bool right, int item) {
    keywords_.ListBoxWordsMouseDown(right, item);
  };
  form.ListBoxWords.OnContextMenu = [this] { keywords_.ListBoxWordsContextMenu(); };
  form.EditFindStr.OnKeyPress = [this](char key) { keywords_.EditFindStrKeyPress(key); };
  form.EditFolderPath.OnKeyPress = [this](char key) { channels_.EditFolderPathKeyPress(key); };
  form.ListBoxFind.OnClick = [this] { results_.ListBoxFindClick(); };
  form.ListBoxFind.OnDblClick = [this] { results_.ListBoxFindDblClick(); };
  form.ListBoxFind.OnMouseDown = [this](bool right, int item) {
    results_.ListBoxFindMouseDown(right, item);
  };
  form.CheckListBoxFiles.OnClick = [this] { channels_.CheckListBoxFilesClick(); };
  form.CheckListBoxFiles.OnDblClick = [this] { channels_.CheckListBoxFilesDblClick(); };
  form.CheckListBoxFiles.OnClickCheck = [this] { channels_.CheckListBoxFilesClickCheck(); };
  form.CheckListBoxFiles.OnMouseDown = [this](bool right, int item) {
    channels_.CheckListBoxFilesMouseDown(right, item);
  };
  form.CheckListBoxFiles.OnContextMenu = [this] { channels_.CheckListBoxFilesContextMenu(); };

  form.OnPaint = [this] { window_.FormPaint(); };
  form.OnMouseMove = [this](Point p, bool leftAlone) { window_.Face().MouseMove(p, leftAlone); };
  form.OnMouseDown = [this](MouseButton b, Point p) { window_.Face().MouseDown(b, p); };
  form.OnMouseUp = [this](MouseButton b, Point p) { window_.Face().MouseUp(b, p); };
  std::array<std::function<void()>, kSkinButtonCount> actions;
  auto action = [&actions](SkinButtonId id) -> std::function<void()>& {
    return actions[static_cast<std::size_t>(id)];
  };
  action(SkinButtonId::Add) = [this] { keywords_.AddKeyword(); };
  action(SkinButtonId::Acc) = [this] { keywords_.ModifyKeyword(); };
  action(SkinButtonId::Rem) = [this] { keywords_.DeleteKeyword(); };
  action(SkinButtonId::About) = [this] { window_.ShowAboutMenu(); };
  action(SkinButtonId::Open) = [this] { channels_.SelectDatabaseFolder(); };
  action(SkinButtonId::Minimize) = [this] { window_.ClosePreferences(); };
  action(SkinButtonId::Close) = [this] { window_.ClosePreferences(); };
  action(SkinButtonId::Search) = [this] { results_.SearchAllKeywords(); };
  action(SkinButtonId::Find) = [this] { results_.FindKeywordText(); };
  action(SkinButtonId::Test) = [this] { reminders_.Beat(); };
  action(SkinButtonId::Save) = [this] { window_.SavePreferences(); };
  window_.SetSkinActions(actions);
  form.OnShortcut = [this](const Shortcut& s) {
    if (s.command == KeyCommand::kButton) window_.Face().Run(s.button);
    if (s.command == KeyCommand::kHelp) window_.Help1Click();
  };
}

void Plugin::ArmTimer(int id, Timer& timer) {
  if (state_.life != PluginLife::kOpen) return;
  // A tick is plug-in code entered from the window's message loop.
  platform_.SetTimer(id, timer.Enabled() ? timer.Interval() : 0,
                     [enter = enter_, &timer] { enter([&timer] { timer.Tick(); }); });
}

const char* Plugin::Open(WindowHandle hostWindow) {
  if (state_.life != PluginLife::kNew) return kPluginTitle;
  Platform& platform = platform_;
  TSettings& settings = settings_;
  FormPref& form = form_;
  platform.SetHostWindow(hostWindow);
  platform.CreatePreferencesWindow();
  state_.life = PluginLife::kOpen;
  // The timers tick from the start, as created (also when the settings fail).
  ArmTimer(kNiticerTimer, form.TimerNiticer);
  ArmTimer(kSearchUpdateTimer, form.TimerSearchUpdate);
  FindPluginFolder();
  platform.AddToolWindowStyle();
  const std::string settingsFile = state_.pluginFolder + kSettingsFileName;
  LoadFailure failure;
  if (LoadSettings(settingsFile, settings, &failure) != 1) {
    // Half open: the window exists, but no command of kind 1 is taken, no search
    // runs and nothing is saved until the plug-in is loaded again with a good file.
    host_.ShowMessageBox(LoadErrorText(settingsFile, failure), kBoxOk);
    return kPluginTitle;
  }
  state_.settingsLoaded = true;
  // Counting the notices from the start: nothing is listed or announced yet.
  reminders_.ClearForNewRun();
  if (channels_.ScanChannelFolder(settings.Path) != 1) {
    host_.ShowMessageBox(kNoChannels, kBoxOk);
  }
  channels_.ClearTypedPathFlag();
  window_.FillControlsFromSettings();
  form.TimerSearchUpdate.SetInterval(kSearchUpdateMs);
  form.TimerNiticer.SetInterval(TimerIntervalMs(settings.NotiseDelay, 1000));
  form.TimerNiticer.SetEnabled(true);
  form.TimerSearchUpdate.SetEnabled(true);
  form.CheckBoxRemind.SetChecked(settings.Remind);
  form.ListBoxFind.Add(kResultsNotShownNotice);
  for (const auto& word : settings.Words) form.ListBoxWords.Add(word);
  state_.initialised = true;
  // The guide as it stands before the first search reads it.
  watcher_.Open();
  search_.StartSearch(
      {.sorted = settings.Sorted, .visible = settings.ShowInPref, .window = search_.Horizon()});
  return kPluginTitle;
}

void Plugin::FindPluginFolder() {
  Platform& platform = platform_;
  std::optional<std::string> fileName = platform.LoadedModuleFileName(kModuleName);
  if (!fileName) {
    host_.ShowMessageBox("Can not get module handle", kBoxOk);
  } else if (fileName->size() < 2) {
    host_.ShowMessageBox("Can not get module filename", kBoxOk);
  } else {
    state_.pluginFolder = DirectoryPart(*fileName);
  }
  // A plug-in loaded under another name still finds its files where the host
  // installs plug-ins.
  if (state_.pluginFolder.empty()) {
    state_.pluginFolder = DirectoryPart(platform.HostExecutablePath()) + "Plugins\\Kolvar\\";
  }
}

void Plugin::BeginClose() {
  if (state_.life != PluginLife::kOpen) return;
  state_.life = PluginLife::kClosing;
  state_.initialised = false;
  search_.Shutdown();
  platform_.SetTimer(kNiticerTimer, 0, {});
  platform_.SetTimer(kSearchUpdateTimer, 0, {});
  platform_.SetTimer(kGuideWatchTimer, 0, {});
  form_.Visible = false;
  platform_.HidePreferencesWindow();
}

void Plugin::Close() {
  BeginClose();
  if (state_.life != PluginLife::kClosing) return;
  // The worker leaves before the window goes, so none of its hand-overs can reach
  // a destroyed window and no code of ours runs after Close returns.
  search_.Join();
  state_.life = PluginLife::kClosed;
  platform_.DestroyPreferencesWindow();
}

}  // namespace kolvar
