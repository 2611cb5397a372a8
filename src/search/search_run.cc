// The run collects a channel's results in a list of its own and moves them to the
// shared list when the channel is done, so the shared lock is held briefly. It
// keeps the start times of what it published and sorts those, so the window thread
// never waits for a sort, and the results are held once: the lock is taken again
// only to move them into the sorted order.
#include "search/search_run.h"

#include <algorithm>
#include <new>
#include <optional>

#include "base/numbers.h"
#include "base/texts.h"
#include "search/fast_matcher.h"
#include "search/keywords.h"
#include "search/matcher.h"
#include "tvguide/channel_catalogue.h"
#include "tvguide/jtv_reader.h"

namespace kolvar {

namespace {

constexpr int kMaxTimeShift = 1440;

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

bool RunSearch(const SearchArgs& args, const SearchSnapshot& snapshot, SearchContext& ctx) {
  return RunSearch(args, snapshot, ctx, MatcherChoice::kCompiled);
}

bool RunSearch(const SearchArgs& args, const SearchSnapshot& snapshot, SearchContext& ctx,
               MatcherChoice choice) {
  const TSettings& settings = snapshot.settings;
  const ReaderOptions reader{settings.Path, settings.DaysOfWeek, settings.FullSearch};
  TFindStruct found;             // the channel being read
  std::vector<DateTime> starts;  // of the published results, in their order
  std::vector<std::string> unreadable;
  std::size_t published = 0;
  ctx.WithResults([&found](TFindStruct& shared) { std::swap(found, shared); });
  ClearResults(found);  // the last run's results, freed outside the lock

  auto showInformation = [&ctx](const std::string& text) { ctx.ShowInformation(text); };
  const TWRD keywords =
      ParseKeywords(args.keywords, {settings.FindMode, settings.CongenialityRate}, showInformation);
  ctx.SetDatabaseOutdated(true);
  ctx.Report(RunEvent::kStarted);

  // Short lines have no date to skip: their time and title are compared as the
  // same part of a long line is.
  const bool compareFromStart = args.window == 0;
  // The compiled matcher decides what MatchProgramme would.
  KeywordMatcher matcher(keywords, compareFromStart);
  ReaderHooks hooks;
  if (choice == MatcherChoice::kCompiled) {
    hooks.match = [&found, &matcher](const std::string& line, DateTime start) {
      return matcher.Match(found, line, start);
    };
  } else {
    hooks.match = [&found, &keywords, compareFromStart](const std::string& line, DateTime start) {
      return MatchProgramme(found, line, start, keywords, compareFromStart);
    };
  }
  // Between programmes: a freeze waits here, an abort ends the channel.
  hooks.aborted = [&ctx] { return !ctx.Continue(); };
  hooks.seenFutureProgramme = [&ctx] { ctx.SetDatabaseOutdated(false); };
  auto readChannel = [&](const std::string& name) {
    int shift = 0;
    std::optional<std::string> shiftText = ShiftText(settings, name);
    if (args.visible) ctx.ShowChannelProgress("Find: processing " + name);
    if (shiftText) {
      // A text that is no number is as unusable as one out of range, and is told
      // the same way: ending the run there would leave the other channels unread.
      std::optional<std::int32_t> number = ParseInt32(*shiftText);
      if (number && *number >= -kMaxTimeShift && *number <= kMaxTimeShift) {
        shift = *number;
      } else {
        ctx.ShowInformation("Time shift must be -1440..1440, used TimeShift=0 for " + name);
      }
    }
    if (!ReadChannelFile(reader, name, {shift, args.window, ctx.Now()}, hooks)) {
      unreadable.push_back(name);
    }
    for (const FoundProgramme& f : found) starts.push_back(f.start);
    published += found.size();
    ctx.Publish(found);
  };

  bool normalEnd = true;
  try {
    if (!args.selectedOnly) {
      const auto limit = static_cast<std::size_t>(std::max(settings.MaxResultCount, 0));
      for (const auto& channel : snapshot.channels) {
        if (!ctx.Continue()) break;
        if (channel.checked) readChannel(channel.name);
        if (published > limit) {
          ctx.ShowInformation(kTooManyResults);
          break;
        }
      }
    } else if (snapshot.current >= 0 &&
               snapshot.current < static_cast<int>(snapshot.channels.size())) {
      readChannel(snapshot.channels[static_cast<std::size_t>(snapshot.current)].name);
    }
    // A run frozen after its last channel stays there, like one frozen earlier.
    if (!ctx.Continue()) return true;
    ctx.ReportUnreadable(std::move(unreadable));
    if (!ctx.TakeSkipNextSort() && args.sorted) ctx.PublishOrder(SortedOrder(starts));
    std::vector<DateTime>().swap(starts);
    if (!ctx.Continue()) return true;
    if (args.visible) ctx.ListResults();
  } catch (const std::bad_alloc&) {
    normalEnd = false;
  }
  // A run that ended early still reports its end, with what it found so far.
  if (!normalEnd && args.visible) ctx.ShowProgress(FoundCaption(published));
  // A stopped run has no word for the host; a frozen one waits before each.
  if (!ctx.Continue()) return normalEnd;
  if (args.announce) {
    ctx.Report(RunEvent::kListCreated);
    if (!ctx.Continue()) return normalEnd;
  }
  ctx.Report(RunEvent::kCompleted);
  if (!ctx.Continue()) return normalEnd;
  ctx.Report(RunEvent::kOutdatedGuide);
  return normalEnd;
}

}  // namespace kolvar
