// Search control: starting, freezing, resuming, aborting and abandoning the one
// search run, the worker that carries it, and what the run sees of the plug-in.
// Window thread, except the run itself.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "plugin/host_channel.h"
#include "plugin/result_store.h"
#include "plugin/search_worker.h"
#include "remind/known_matches.h"
#include "search/search_run.h"
#include "settings/settings.h"
#include "ui/controls.h"

namespace kolvar {

namespace testing {
class PluginProbe;
}  // namespace testing

// What a keyword run that looked at the guide learnt of its matches, made on the
// worker (a long list costs the window thread nothing) and handed over with its
// completion.
struct RunConclusion {
  std::shared_ptr<const KnownMatches> known;  // the known matches from now on
  bool changed = false;                       // differ from those before: save them
  std::string fileText;                       // when changed
  bool couldTell = false;                     // matches were known before the run
  std::size_t newCount = 0;
  std::vector<std::string> firstNew;  // lines of the first few, in result order
};

class SearchControl {
 public:
  // What a search uses. It changes the results (the runs' lifecycle, and stale
  // when one is launched) and the result list's caption; the rest it reads.
  struct Parts {
    Platform& platform;
    HostChannel& host;
    ResultStore& results;
    const TSettings& settings;
    // The matches known before, which a keyword run starts from.
    const std::shared_ptr<const KnownMatches>& known;
    Label& caption;  // the result list's: progress and counts
    const CheckListBox& channels;
    const bool& windowVisible;
  };
  // listResults refills the result list box from the results, or with the listing
  // given, returning the old lines (the result panel's BuildResultList); enter
  // wraps the worker's hand-overs (see PluginSlot).
  using ListResultsFn = std::function<std::shared_ptr<const LineSource>(ResultListing* prepared)>;
  SearchControl(Parts parts, ListResultsFn listResults, EnterFn enter);

  // A keyword search of the settings' keywords. args.keywords and
  // args.selectedOnly are ignored.
  void StartSearch(const SearchArgs& args);
  // A search for one text instead of the keywords; true when a run was started.
  bool FindText(const std::string& text, SearchArgs args);
  // False, after telling the user, when no run could be started.
  bool LaunchSearchThread(SearchArgs args);
  void AbortSearch();
  void ReapFrozenSearch();
  void FreezeSearch();
  void ResumeSearch();
  // Asks before a button's search replaces a running one; false when the user
  // keeps the running search.
  bool MayStartSearch(const std::string& question);
  // Stops for good, refusing later starts; Join waits for the worker to leave.
  void Shutdown() { worker_.Shutdown(); }
  void Join() { worker_.StopAndJoin(); }

  bool Running() const { return worker_.Running(); }
  bool Frozen() const { return worker_.Frozen(); }
  // The default search window in minutes.
  int Horizon() const;

  // Run on the window thread when a run starts, before it replaces the results.
  std::function<void()> OnRunStarting;
  // Run on the window thread when a keyword run that read the guide completes,
  // before the host hears of the completion.
  std::function<void(RunConclusion)> OnRunConcluded;

 private:
  friend class testing::PluginProbe;
  // The run the worker executes: the search run unless a test replaced it.
  SearchRunFn RealRun();

  class WorkerContext;
  // Stops the run for good and empties the results it left.
  void DiscardRun();
  void Run(const SearchArgs& args, RunContext& ctx);

  Platform& platform_;
  HostChannel& host_;
  ResultStore& store_;
  const TSettings& settings_;
  const std::shared_ptr<const KnownMatches>& known_;
  Label& caption_;
  const CheckListBox& channels_;
  const bool& windowVisible_;
  ListResultsFn listResults_;
  SearchArgs lastArgs_;
  // What the results of the run launched last will refer to, taken over when it
  // starts.
  bool runFromKeywordList_ = false;
  SearchRunFn run_;
  // Declared last: destroyed first, so no run outlives what it refers to.
  SearchWorker worker_;
};

}  // namespace kolvar
