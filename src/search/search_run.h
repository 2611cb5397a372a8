// One complete search: the keywords parsed, every checked channel read with its
// time shift, each offered programme matched, the results sorted, listed and
// reported. It runs on the search worker, but knows nothing of it: everything it
// needs from outside comes through a SearchContext, so the plug-in, the benchmark
// and a command-line search can share it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "search/result_list.h"
#include "settings/settings.h"

namespace kolvar {

// The parameters of one search run. The keyword list is a copy, so the run never
// reads a list that the window thread is editing.
struct SearchArgs {
  std::vector<std::string> keywords{};
  bool sorted = false;
  bool visible = false;   // show progress and refill the result list box
  bool announce = false;  // tell the host when the list is ready
  int window = 0;         // minutes; 0 for the now-showing search
  bool selectedOnly = false;
};

// What a run reads of the settings and the channel list, copied when it starts,
// so changes made meanwhile take effect at the next run.
struct SearchSnapshot {
  struct Channel {
    std::string name;
    bool checked = false;
  };
  TSettings settings;
  std::vector<Channel> channels;
  int current = -1;  // the channel list's current item, -1 for none
};

// What the host hears of a run.
enum class RunEvent { kStarted, kListCreated, kCompleted, kOutdatedGuide };

// The run's surroundings. The run calls these from its own thread; the ones that
// reach the window wait until the window thread has done them.
class SearchContext {
 public:
  virtual ~SearchContext() = default;

  // Between steps: waits while the run is frozen; false once it must stop.
  virtual bool Continue() = 0;
  // fn on the shared result list, under its lock; false, fn not run, once the run
  // has been stopped (a stopped run never writes shared state).
  virtual bool WithResults(const std::function<void(TFindStruct&)>& fn) = 0;
  // Moves found's entries to the end of the shared results and empties found;
  // false, nothing added, once the run has been stopped. expected: about how
  // many results the run will have published in all (0: not known yet), for
  // making room at once.
  virtual bool Publish(TFindStruct& found, std::size_t expected) = 0;
  // Puts the shared results, all of them this run's, in the order given: the
  // entry at i becomes the one that was at order[i]. False, nothing changed, once
  // the run has been stopped.
  virtual bool PublishOrder(std::vector<std::size_t> order) = 0;
  // The guide lacks (true) or holds (false) programmes after now.
  virtual void SetDatabaseOutdated(bool outdated) = 0;
  // Whether this run leaves its results unsorted; reading it clears it.
  virtual bool TakeSkipNextSort() = 0;
  virtual DateTime Now() = 0;

  virtual void ShowInformation(const std::string& text) = 0;
  virtual void ShowProgress(const std::string& caption) = 0;
  // The caption naming the channel being read, once per channel: a context may
  // show only some of them (a big guide reads hundreds a second).
  virtual void ShowChannelProgress(const std::string& caption) = 0;
  // The channels this run could not read, or read only in part (missing,
  // unreadable or damaged files), once the channels are done; before ListResults.
  virtual void ReportUnreadable(std::vector<std::string> channels) = 0;
  // Refills the result list box from the shared results, showing the progress
  // of it and then the number found.
  virtual void ListResults() = 0;
  // The old-guide event is sent only while the window is hidden and a channel is
  // checked; the context knows both.
  virtual void Report(RunEvent event) = 0;
};

// One run. True when it ended normally, false when a lack of memory ended it early; it still
// reports its end then. A stopped run returns as soon as it notices, with nothing more reported.
bool RunSearch(const SearchArgs& args, const SearchSnapshot& snapshot, SearchContext& ctx);

// The same with the matcher chosen: the compiled one RunSearch uses, or
// MatchProgramme itself, the slow reference that the benchmark compares with.
enum class MatcherChoice { kCompiled, kLiteral };
bool RunSearch(const SearchArgs& args, const SearchSnapshot& snapshot, SearchContext& ctx,
               MatcherChoice choice);

}  // namespace kolvar
