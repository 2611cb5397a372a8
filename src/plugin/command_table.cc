#include "plugin/command_table.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvar {

namespace {

// The plain commands whose work sends the host a message (a notice, a browsed
// entry, a status text). A host may answer each such message with the same
// command; run at once, they would nest without bound.
bool SendsToTheHost(const std::string& command) {
  static constexpr std::array<std::string_view, 7> kNames = {
      "SHOWUNTILBACK", "SHOWUNTILCURENT", "SHOWUNTILNEXT", "BEAT",
      "REMINDON",      "REMINDOFF",       "TOGGLEREMIND"};
  return std::find(kNames.begin(), kNames.end(), command) != kNames.end();
}

bool IsStatusCommand(const std::string& command) {
  static constexpr std::array<std::string_view, 5> kNames = {
      "HANDLE", "SORTEDSTATUS", "FULLSEARCHSTATUS", "REMINDSTATUS", "SEARCHSTATUS"};
  return std::find(kNames.begin(), kNames.end(), command) != kNames.end();
}

// A switch as the queued commands will leave it.
bool SwitchAfter(const std::vector<std::string>& queued, bool now, std::string_view on,
                 std::string_view off, std::string_view toggle) {
  for (const std::string& command : queued) {
    if (command == on) now = true;
    if (command == off) now = false;
    if (command == toggle) now = !now;
  }
  return now;
}

}  // namespace

void CommandTable::ActionManual(ActionRecord& record, std::uint32_t tag) {
  bool replied = false;
  const std::int32_t kind = record.Kind();
  if (record.Result() == 0 && ((kind == 1 && initialised_) || kind == 2)) {
    // A null command matches no name; the record still gets its reply.
    if (std::optional<std::string> command = record.Command()) {
      if (kind == 2) {
        RunParamCommand(*command, record);
      } else if (IsStatusCommand(*command)) {
        // Answered at once, as the commands queued before it will leave things.
        replied = RunStatusCommand(*command, record, tag);
      } else {
        o_.host.RunInOrder(*command, SendsToTheHost(*command),
                           [this, command = *command] { RunPlainCommand(command); });
      }
    }
  }
  if (!replied) o_.host.Reply(tag, 1);
}

SearchArgs CommandTable::HostSearch(bool visible, bool announce) const {
  return {.sorted = settings_.Sorted,
          .visible = visible,
          .announce = announce,
          .window = o_.search.Horizon()};
}

void CommandTable::RunPlainCommand(const std::string& command) {
  TSettings& settings = settings_;
  if (command == "UNDERSTOOD") {
    o_.reminders.AcknowledgeReminder(settings.NoticeUnderstood);
  } else if (command == "RESETUNTILINDEX") {
    o_.until.ResetUntilIndex();
  } else if (command == "RESETUNTILPROGR") {
    o_.until.ResetUntilProgress();
  } else if (command == "FINALUNTILINDEX") {
    o_.until.FinalUntilIndex();
  } else if (command == "SHOWUNTILBACK") {
    o_.until.ShowUntilBack();
  } else if (command == "SHOWUNTILCURENT") {
    o_.until.ShowUntilCurrent();
  } else if (command == "SHOWUNTILNEXT") {
    o_.until.ShowUntilNext(settings.UntilMinutes);
  } else if (command == "REFIND") {
    o_.search.AbortSearch();
    o_.search.StartSearch(HostSearch(settings.ShowInPref, true));
  } else if (command == "REFINDVIS") {
    o_.search.AbortSearch();
    o_.search.StartSearch(HostSearch(true, false));
  } else if (command == "FREEZESEARCH") {
    o_.search.FreezeSearch();
  } else if (command == "RESUMESEARCH") {
    o_.search.ResumeSearch();
  } else if (command == "ABORTSEARCH") {
    o_.search.AbortSearch();
  } else if (command == "BEAT") {
    // Beat refuses to build a list during a search and says so itself; acting on
    // every BEAT keeps the host's button useful when no search runs.
    o_.reminders.Beat();
  } else if (command == "REMINDON") {
    o_.reminders.RemindOn();
  } else if (command == "REMINDOFF") {
    o_.reminders.RemindOff();
  } else if (command == "TOGGLEREMIND") {
    settings.Remind ? o_.reminders.RemindOff() : o_.reminders.RemindOn();
  } else if (command == "FULLSEARCHON" || (command == "TOGGLEFULLSEARCH" && !settings.FullSearch)) {
    settings.FullSearch = true;
    controls_.fullSearch.SetChecked(true);
  } else if (command == "FULLSEARCHOFF" || command == "TOGGLEFULLSEARCH") {
    settings.FullSearch = false;
    controls_.fullSearch.SetChecked(false);
  } else if (command == "SORTEDON" || (command == "TOGGLESORTED" && !settings.Sorted)) {
    settings.Sorted = true;
    controls_.sorted.SetChecked(true);
  } else if (command == "SORTEDOFF" || command == "TOGGLESORTED") {
    settings.Sorted = false;
    controls_.sorted.SetChecked(false);
  } else if (command == "CLOSEPREF") {
    o_.window.ClosePreferences();
  } else if (command == "JOINFINDLIST") {
    o_.results.BuildResultList();
  } else if (command == "SETTINGSINI") {
    o_.window.Settingsini1Click();
  } else if (command == "HELP") {
    o_.window.Help1Click();
  } else if (command == "ABOUT") {
    o_.window.ShowAbout();
  }
}

bool CommandTable::RunStatusCommand(const std::string& command, ActionRecord& record,
                                    std::uint32_t tag) {
  // Each status command tests kind and Result afresh, since an earlier one may
  // have written Result.
  auto applies = [&](const char* name) {
    return record.Kind() == 1 && record.Result() == 0 && command == name;
  };
  bool replied = false;
  if (applies("HANDLE")) {
    WindowHandle handle = platform_.PreferencesWindow();
    record.SetResult(static_cast<std::int32_t>(handle));
    record.SetCommandField(handle);
    o_.host.Reply(tag, static_cast<std::intptr_t>(handle));
    replied = true;
  }
  const TSettings& settings = settings_;
  const std::vector<std::string> queued = o_.host.Queued();
  const std::array<std::pair<const char*, bool>, 3> switches = {{
      {"SORTEDSTATUS",
       SwitchAfter(queued, settings.Sorted, "SORTEDON", "SORTEDOFF", "TOGGLESORTED")},
      {"FULLSEARCHSTATUS", SwitchAfter(queued, settings.FullSearch, "FULLSEARCHON", "FULLSEARCHOFF",
                                       "TOGGLEFULLSEARCH")},
      {"REMINDSTATUS",
       SwitchAfter(queued, settings.Remind, "REMINDON", "REMINDOFF", "TOGGLEREMIND")},
  }};
  for (const auto& [name, on] : switches) {
    if (!applies(name)) continue;
    if (on) {
      record.SetResult(1);
    } else {
      o_.host.Reply(tag, 0);
      replied = true;
    }
  }
  if (applies("SEARCHSTATUS")) {
    const SearchControl& search = o_.search;
    std::int32_t status = search.Running() ? (search.Frozen() ? 2 : 1) : 0;
    // As the queued search commands will leave it, should they succeed.
    for (const std::string& command : queued) {
      if (command == "REFIND" || command == "REFINDVIS" || command == "FINDIT") status = 1;
      if (command == "ABORTSEARCH") status = 0;
      if (command == "FREEZESEARCH" && status == 1) status = 2;
      if (command == "RESUMESEARCH" && status == 2) status = 1;
    }
    record.SetResult(status);
    o_.host.Reply(tag, status);
    replied = true;
  }
  return replied;
}

void CommandTable::RunParamCommand(const std::string& command, ActionRecord& record) {
  if (command == "CUSTOMSHOWUNTILNEXT") {
    if (record.Flag() == 0) return;
    // The record is the host's for this call only: the minutes are taken now.
    const std::int32_t minutes = record.ParamNumber();
    o_.host.RunInOrder(command, true, [this, minutes] { o_.until.ShowUntilNext(minutes); });
  } else if (command == "FINDIT" && record.Flag() == 0) {
    // Only now is Param known to be a text.
    if (std::optional<std::string> text = record.ParamText()) {
      o_.host.RunInOrder(command, false, [this, text = *text] {
        o_.search.FindText(text, HostSearch(false, true));
      });
    }
  }
}

}  // namespace kolvar
