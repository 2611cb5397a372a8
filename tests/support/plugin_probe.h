// What tests look at and replace inside the plug-in, beyond its interface to the
// host and the window layer. The product's classes name this class as a friend
// and offer tests nothing else, so their public members are the real interface.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "plugin/plugin.h"

namespace kolvar::testing {

// The plug-in's state under the names the tests know it by, wherever each part
// lives: the results and their flags in the result store, the rest in the plug-in
// or the owner that keeps it.
struct StateView {
  ResultStore& store;
  Mutex& mutex;
  TFindStruct& results;  // under mutex
  std::atomic<bool>& resultsStale;
  std::atomic<bool>& databaseOutdated;
  std::atomic<bool>& resultsFromKeywordList;
  const std::vector<std::string>& searchKeywordList;
  bool& initialised;
  int& notifyCountdown;
  std::string& pluginFolder;
  TSettings& settings;

  std::size_t ResultCount() const { return store.Counts().results; }
};

class PluginProbe {
 public:
  explicit PluginProbe(Plugin& plugin) : plugin_(plugin) {}

  // The plug-in's parts.
  StateView State() const {
    ResultStore& store = plugin_.store_;
    return {.store = store,
            .mutex = store.mutex_,
            .results = store.results_,
            .resultsStale = store.stale_,
            .databaseOutdated = store.outdated_,
            .resultsFromKeywordList = store.fromKeywordList_,
            .searchKeywordList = store.keywordList_,
            .initialised = plugin_.state_.initialised,
            .notifyCountdown = plugin_.reminders_.notifyCountdown_,
            .pluginFolder = plugin_.state_.pluginFolder,
            .settings = plugin_.settings_};
  }
  TSettings& Settings() const { return plugin_.settings_; }
  HostChannel& Host() const { return plugin_.host_; }
  SearchControl& Search() const { return plugin_.search_; }
  ResultPanel& ResultList() const { return plugin_.results_; }
  ChannelPanel& Channels() const { return plugin_.channels_; }
  KeywordEditor& Keywords() const { return plugin_.keywords_; }
  Reminders& Reminder() const { return plugin_.reminders_; }
  PreferencesWindow& Window() const { return plugin_.window_; }
  GuideWatcher& Watcher() const { return plugin_.watcher_; }

  // A copy of the results, taken under the lock.
  TFindStruct Results() const {
    MutexLock lock(plugin_.store_.mutex_);
    return plugin_.store_.results_;
  }
  TShow& ReminderList() const { return plugin_.reminders_.list_; }
  // The arguments of the search launched last.
  const SearchArgs& LastSearchArgs() const { return plugin_.search_.lastArgs_; }
  bool CheckedOnlyMenuChecked() const { return plugin_.channels_.checkedOnly_; }

  // The run the worker executes in place of the search run, and the search run again.
  void SetRun(SearchRunFn run) const { plugin_.search_.run_ = std::move(run); }
  void UseRealRun() const { plugin_.search_.run_ = plugin_.search_.RealRun(); }
  // The search is over and no finished run has messages still to hand over.
  bool SearchSettled() const {
    return !plugin_.search_.Running() && plugin_.search_.worker_.ThreadsEnded();
  }
  void SetThreadFactory(ThreadFactory factory) const {
    plugin_.search_.worker_.threadFactory_ = std::move(factory);
  }
  // A run that ends with an exception it did not expect is a fault of ours; the
  // host must not go down with it, but a test wants to hear of it.
  void SetFailureHandler(std::function<void()> handler) const {
    plugin_.search_.worker_.failureHandler_ = std::move(handler);
  }

 private:
  Plugin& plugin_;
};

inline PluginProbe Probe(Plugin& plugin) { return PluginProbe(plugin); }

}  // namespace kolvar::testing
