// A search run's surroundings without a plug-in, for tools and benchmarks: the run
// is never frozen or stopped, its results stay here, and of what it would show
// only its information messages reach onInformation, when there is one.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "search/search_run.h"

namespace kolvar {

class CollectingContext final : public SearchContext {
 public:
  explicit CollectingContext(DateTime now) : now_(now) {}

  bool Continue() override { return true; }
  bool WithResults(const std::function<void(TFindStruct&)>& fn) override {
    fn(results);
    return true;
  }
  bool Publish(TFindStruct& found, std::size_t expected) override {
    MoveResults(results, found, expected);
    return true;
  }
  bool PublishOrder(std::vector<std::size_t> order) override {
    ApplyOrder(results, std::move(order));
    return true;
  }
  void SetDatabaseOutdated(bool value) override { outdated = value; }
  bool TakeSkipNextSort() override { return false; }
  DateTime Now() override { return now_; }
  void ShowInformation(const std::string& text) override {
    if (onInformation) onInformation(text);
  }
  void ShowProgress(const std::string&) override {}
  void ShowChannelProgress(const std::string&) override {}
  void ReportUnreadable(std::vector<std::string> channels) override {
    unreadable = std::move(channels);
  }
  void ListResults() override {}
  void Report(RunEvent) override {}

  TFindStruct results;
  bool outdated = false;                // the guide held no programme after now
  std::vector<std::string> unreadable;  // channels that could not be read in full
  std::function<void(const std::string&)> onInformation;

 private:
  DateTime now_;
};

}  // namespace kolvar
