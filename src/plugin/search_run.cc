// The search run, on the worker thread. It reaches the window and the host only
// through its RunContext, so a stopped run changes nothing; what it needs of the
// settings and the channel list it copies on the window thread at its start.
//
// The run collects its results in a list of its own and adds each channel's to the
// shared list when the channel is done, so the shared lock is held briefly; it
// sorts its own list and publishes it with a swap, so the window thread never
// waits for a sort.
#include <string>

#include "base/numbers.h"
#include "plugin/host_channel.h"
#include "plugin/plugin.h"
#include "search/keywords.h"
#include "search/matcher.h"
#include "tvguide/channel_catalogue.h"
#include "tvguide/jtv_reader.h"

namespace kolvar {

namespace {

constexpr char kTooManyResults[] =
    "Too many results, change search parametrs and try again!!!\n"
    "                       operation terminated";

// A time-shift text that is not a number ends the run early.
struct BadTimeShift {};

struct Channel {
  std::string name;
  bool checked = false;
};

// What the run reads of the window and the settings, copied at its start.
struct RunSnapshot {
  TSettings settings;
  std::vector<Channel> channels;
  int current = -1;  // the channel list's current item
};

// The text after the last "#" of the channel's time-shift entry; none without an
// entry or a "#" (the channel is then read unshifted).
std::optional<std::string> ShiftText(const TSettings& settings, const std::string& name) {
  std::optional<std::size_t> at = FindTimeShiftEntry(settings, name);
  if (!at) return std::nullopt;
  const std::string& entry = settings.TimeShifts[*at];
  std::size_t hash = entry.rfind('#');
  if (hash == std::string::npos) return std::nullopt;
  return entry.substr(hash + 1);
}

}  // namespace

void Plugin::RunSearch(const SearchArgs& args, RunContext& ctx) {
  RunSnapshot run;
  bool current = ctx.OnWindowThread([this, &run] {
    notifyCountdown_ = settings_.RepeatCount;
    run.settings = settings_;
    const CheckListBox& list = form_.CheckListBoxFiles;
    for (int i = 0; i < list.Count(); ++i) run.channels.push_back({list.Items[i], list.Checked[i]});
    run.current = list.ItemIndex();
  });
  if (!current) return;
  const TSettings& settings = run.settings;
  ReaderOptions reader{settings.Path, settings.DaysOfWeek, settings.FullSearch};
  TFindStruct found;
  std::size_t published = 0;
  ctx.WithSharedState([this, &found] { std::swap(found, results_); });
  ClearResults(found);  // the last run's results, freed outside the lock

  auto showInformation = [this, &ctx](const std::string& text) {
    ctx.OnWindowThread([this, text] { ShowMessageBox(text, kBoxInformation); });
  };
  const TWRD keywords =
      ParseKeywords(args.keywords, {settings.FindMode, settings.CongenialityRate}, showInformation);
  ctx.WithSharedState([this] { databaseOutdated_ = true; });
  ctx.OnWindowThread([this] { SendHostMessage(settings_.MessSearchStarting, kKindSearchRunning); });

  auto publish = [this, &ctx, &found, &published] {
    ctx.WithSharedState([&] { AppendResults(results_, found, published); });
    published = found.Lines.size();
  };
  // Short lines have no date to skip: their time and title are compared as the
  // same part of a long line is.
  const bool compareFromStart = args.window == 0;
  ReaderHooks hooks;
  hooks.match = [&found, &keywords, compareFromStart](const std::string& line, DateTime start) {
    return MatchProgramme(found, line, start, keywords, compareFromStart);
  };
  // Between programmes: a freeze waits here, an abort ends the channel.
  hooks.aborted = [&ctx] { return !ctx.Continue(); };
  hooks.seenFutureProgramme = [this, &ctx] {
    ctx.WithSharedState([this] { databaseOutdated_ = false; });
  };
  auto readChannel = [&](const std::string& name) {
    int shift = 0;
    std::optional<std::string> shiftText = ShiftText(settings, name);
    if (args.visible) {
      ctx.OnWindowThread([this, name] { form_.Label1.Caption = "Find: processing " + name; });
    }
    if (shiftText) {
      std::optional<std::int32_t> number = ParseInt32(*shiftText);
      if (!number) throw BadTimeShift{};
      shift = *number;
      if (shift < -1440 || shift > 1440) {
        showInformation("Time shift must be -1440..1440, used TimeShift=0 for " + name);
        shift = 0;
      }
    }
    ReadChannelFile(reader, name, shift, args.window, platform_.Now(), hooks);
    publish();
  };

  bool normalEnd = true;
  try {
    if (!args.selectedOnly) {
      for (const auto& channel : run.channels) {
        if (!ctx.Continue()) break;
        if (channel.checked) readChannel(channel.name);
        if (found.Lines.size() > static_cast<std::size_t>(std::max(settings.MaxResultCount, 0))) {
          showInformation(kTooManyResults);
          break;
        }
      }
    } else if (run.current >= 0 && run.current < static_cast<int>(run.channels.size())) {
      readChannel(run.channels[static_cast<std::size_t>(run.current)].name);
    }
    // A run frozen after its last channel stays there, like one frozen earlier.
    if (!ctx.Continue()) return;
    bool skipSort = false;
    ctx.WithSharedState([this, &skipSort] { skipSort = skipNextSort_.exchange(false); });
    if (!skipSort && args.sorted) {
      SortResults(found);
      ctx.WithSharedState([this, &found] { std::swap(found, results_); });
    }
    if (!ctx.Continue()) return;
    if (args.visible) {
      ctx.OnWindowThread([this] {
        form_.Label1.Caption = "Find: Building list...   wait.";
        BuildResultList();
        form_.Label1.Caption = "Find: " + std::to_string(ResultCount()) + " found";
      });
    }
  } catch (...) {
    // A time shift that is not a number, or a failure of the run itself: the run
    // still reports its end, with what it found so far.
    normalEnd = false;
  }
  if (!normalEnd && args.visible) {
    ctx.OnWindowThread(
        [this] { form_.Label1.Caption = "Find: " + std::to_string(ResultCount()) + " found"; });
  }
  // An aborted run has no word for the host; a frozen one waits before each.
  if (!ctx.Continue()) return;
  if (args.announce) {
    ctx.OnWindowThread([this] { SendHostMessage(settings_.MessListCreate, kKindMess); });
    if (!ctx.Continue()) return;
  }
  ctx.OnWindowThread(
      [this] { SendHostMessage(settings_.MessSearchComplete, kKindSearchComplete); });
  if (!ctx.Continue()) return;
  ctx.OnWindowThread([this] {
    if (databaseOutdated_ && !form_.Visible && form_.CheckListBoxFiles.CheckedCount() > 0) {
      SendHostMessage(settings_.MessOldDataBase, kKindMess);
    }
  });
}

}  // namespace kolvar
