#include "plugin/search_control.h"

#include <chrono>
#include <memory>
#include <numeric>
#include <optional>

#include "base/numbers.h"

namespace kolvar {

namespace {

constexpr char kSearchNotStarted[] =
    "The search could not start: the system has no room for another thread. Close some "
    "programs and try again.";
constexpr char kBuildingList[] = "Find: Building list...   wait.";

// The keyword indices of the results from first on, which a run gave by its own
// copy of the keywords, refer to the list as edited since: positions[k] is where
// the run's keyword k stands now.
void ToListAsEdited(TFindStruct& results, const std::vector<std::int32_t>& positions,
                    std::size_t first) {
  for (std::size_t i = first; i < results.size(); ++i) {
    std::int32_t& k = results[i].keywordIndex;
    if (k >= 0 && static_cast<std::size_t>(k) < positions.size()) {
      k = positions[static_cast<std::size_t>(k)];
    }
  }
}

}  // namespace

// What a run of the worker sees of the plug-in. Its hand-overs capture the
// plug-in's objects, never this context: a stopped run may leave, destroying it,
// while a hand-over of it is still inside a message box or a host message.
class SearchControl::WorkerContext final : public SearchContext {
 public:
  // known: the matches known when the run began, for a run that tracks them (a
  // keyword run), null when nothing is known yet.
  WorkerContext(SearchControl& control, RunContext& run, bool tracking,
                std::shared_ptr<const KnownMatches> known)
      : control_(control), run_(run), tracking_(tracking), known_(std::move(known)) {}

  bool Continue() override { return run_.Continue(); }
  bool WithResults(const std::function<void(TFindStruct&)>& fn) override {
    PluginState& s = control_.state_;
    return run_.WithSharedState([&s, &fn] {
      s.mutex.AssertHeld();
      fn(s.results);
    });
  }
  bool Publish(TFindStruct& found) override {
    PluginState& s = control_.state_;
    if (tracking_) Learn(found);
    const bool published = run_.WithSharedState([&] {
      s.mutex.AssertHeld();
      const std::size_t before = s.results.size();
      MoveResults(s.results, found);
      ToListAsEdited(s.results, s.runKeywordPositions, before);
    });
    ClearResults(found);
    return published;
  }
  bool PublishOrder(std::vector<std::size_t> order) override {
    PluginState& s = control_.state_;
    // The entries were brought up to the keyword edits when published: moving
    // them keeps that.
    return run_.WithSharedState([&] {
      s.mutex.AssertHeld();
      ApplyOrder(s.results, std::move(order));
    });
  }
  void SetDatabaseOutdated(bool outdated) override {
    PluginState& s = control_.state_;
    run_.WithSharedState([&s, outdated] { s.databaseOutdated = outdated; });
  }
  bool TakeSkipNextSort() override {
    PluginState& s = control_.state_;
    bool skip = false;
    run_.WithSharedState([&s, &skip] { skip = s.skipNextSort.exchange(false); });
    return skip;
  }
  DateTime Now() override { return control_.state_.platform.Now(); }

  void ShowInformation(const std::string& text) override {
    HostChannel* host = &control_.host_;
    run_.OnWindowThread([host, text] { host->ShowMessageBox(text, kBoxInformation); });
  }
  void ShowProgress(const std::string& caption) override {
    PluginState* s = &control_.state_;
    run_.OnWindowThread([s, caption] { s->form.Label1.Caption = caption; });
  }
  void ShowChannelProgress(const std::string& caption) override {
    // Each caption is a wait for the window thread: a few a second say as much
    // to the user, and leave the host's own messages their turn.
    const auto now = std::chrono::steady_clock::now();
    if (progressShown_ && now - lastProgress_ < kProgressInterval) return;
    progressShown_ = true;
    lastProgress_ = now;
    ShowProgress(caption);
  }
  void ReportUnreadable(std::vector<std::string> channels) override {
    unreadable_ = channels.size();
    PluginState& s = control_.state_;
    run_.WithSharedState([&s, &channels] {
      s.mutex.AssertHeld();
      s.unreadableChannels = std::move(channels);
    });
  }
  void ListResults() override {
    // The lines are made here, and the old ones freed here: with 200 000 results
    // either would hold the window thread for tens of milliseconds. Nothing
    // changes the results on the window thread while a run is current (a sort
    // waits for its end), so the lines still fit when they are handed over; they
    // travel in a shared box, which the hand-over may outlive the run with.
    PluginState& s = control_.state_;
    const DateTime now = Now();
    auto prepared = std::make_shared<std::optional<ResultListing>>();
    auto old = std::make_shared<std::vector<std::string>>();
    run_.WithSharedState([&] {
      s.mutex.AssertHeld();
      // No results: the placeholder line says what the window thread knows.
      if (!s.results.empty()) *prepared = BuildResultList(s.results, now, {});
    });
    SearchControl* control = &control_;
    const bool done = run_.OnWindowThread([control, prepared, old] {
      PluginState& s = control->state_;
      s.form.Label1.Caption = kBuildingList;
      *old = control->listResults_(*prepared ? &**prepared : nullptr);
      std::size_t count = 0;
      std::size_t unreadable = 0;
      {
        MutexLock lock(s.mutex);
        count = s.results.size();
        unreadable = s.unreadableChannels.size();
      }
      s.form.Label1.Caption = FoundCaption(count, unreadable);
    });
    // Done: the window thread is through with the box, and the old lines go here.
    if (done) std::vector<std::string>().swap(*old);
  }
  void Report(RunEvent event) override {
    SearchControl* control = &control_;
    const std::uint64_t generation = run_.Generation();
    auto conclusion = std::make_shared<std::optional<RunConclusion>>();
    if (event == RunEvent::kCompleted) *conclusion = Conclude();
    run_.OnWindowThread([control, event, generation, conclusion] {
      PluginState& s = control->state_;
      HostChannel& host = control->host_;
      // Once the host hears that the list is made or the search complete, the
      // search is over for every command it sends, from inside the message too.
      if (event == RunEvent::kListCreated || event == RunEvent::kCompleted) {
        control->worker_.Finished(generation);
      }
      // Known before the host hears anything: a run it starts from inside the
      // messages begins with these.
      if (*conclusion && control->OnRunConcluded) {
        control->OnRunConcluded(std::move(**conclusion));
      }
      switch (event) {
        case RunEvent::kStarted:
          host.SendHostMessage(s.settings.MessSearchStarting, kKindSearchRunning);
          break;
        case RunEvent::kListCreated:
          host.SendHostMessage(s.settings.MessListCreate, kKindMess);
          break;
        case RunEvent::kCompleted:
          host.SendHostMessage(s.settings.MessSearchComplete, kKindSearchComplete);
          break;
        case RunEvent::kOutdatedGuide:
          if (s.databaseOutdated && !s.form.Visible &&
              s.form.CheckListBoxFiles.CheckedCount() > 0) {
            host.SendHostMessage(s.settings.MessOldDataBase, kKindMess);
          }
          break;
      }
    });
  }

 private:
  static constexpr std::chrono::milliseconds kProgressInterval{250};

  // Marks the channel's new matches and notes every match's identity, here on
  // the worker, before they are shared.
  void Learn(TFindStruct& found) {
    ++channelsRead_;
    const DateTime now = Now();
    for (FoundProgramme& f : found) {
      const KnownMatch match = KnowMatch(f);
      // A programme over already is no news, known or not.
      const bool over = f.end > f.start ? f.end <= now : f.start < now;
      f.isNew = known_ && !over && !IsKnown(*known_, match.id);
      seen_.push_back(match);
    }
  }

  // What the run learnt, once its results are final; nothing for a run that read
  // no channel (none checked, or the guide away), which knows nothing new.
  std::optional<RunConclusion> Conclude() {
    if (!tracking_ || channelsRead_ <= unreadable_) return std::nullopt;
    RunConclusion c;
    const std::int32_t firstKept = DayOf(Now()) - kKnownMatchDays;
    auto merged = std::make_shared<KnownMatches>(
        MergeKnown(known_ ? *known_ : KnownMatches{}, std::move(seen_), firstKept));
    c.changed = !known_ || *merged != *known_;
    if (c.changed) c.fileText = KnownMatchesText(*merged);
    c.known = std::move(merged);
    c.couldTell = known_ != nullptr;
    PluginState& s = control_.state_;
    const bool current = run_.WithSharedState([&] {
      s.mutex.AssertHeld();
      for (const FoundProgramme& f : s.results) {
        if (!f.isNew) continue;
        if (c.firstNew.size() < kNewMatchesNamed) c.firstNew.push_back(f.line);
        ++c.newCount;
      }
    });
    if (!current) return std::nullopt;
    return c;
  }

  SearchControl& control_;
  RunContext& run_;
  bool progressShown_ = false;
  std::chrono::steady_clock::time_point lastProgress_;
  const bool tracking_;
  const std::shared_ptr<const KnownMatches> known_;
  std::vector<KnownMatch> seen_;
  std::size_t channelsRead_ = 0;
  std::size_t unreadable_ = 0;
};

SearchControl::SearchControl(PluginState& state, HostChannel& host, ListResultsFn listResults,
                             EnterFn enter)
    : state_(state),
      host_(host),
      listResults_(std::move(listResults)),
      run_(RealRun()),
      worker_(state.platform, state.mutex, std::move(enter)) {}

SearchRunFn SearchControl::RealRun() {
  return [this](const SearchArgs& args, RunContext& ctx) { Run(args, ctx); };
}

void SearchControl::Run(const SearchArgs& args, RunContext& ctx) {
  SearchSnapshot snapshot;
  PluginState& s = state_;
  bool tracking = false;
  std::shared_ptr<const KnownMatches> known;
  const bool current = ctx.OnWindowThread([&s, &snapshot, &tracking, &known, &args] {
    // Only the keywords' matches are the user's: a one-text search learns nothing.
    tracking = s.resultsFromKeywordList && !args.keywords.empty();
    known = s.knownMatches;
    snapshot.settings = s.settings;
    const CheckListBox& list = s.form.CheckListBoxFiles;
    for (int i = 0; i < list.Count(); ++i) {
      snapshot.channels.push_back({list.Items()[static_cast<std::size_t>(i)], list.IsChecked(i)});
    }
    snapshot.current = list.ItemIndex();
  });
  if (!current) return;
  WorkerContext context(*this, ctx, tracking, std::move(known));
  RunSearch(args, snapshot, context);
}

int SearchControl::Horizon() const { return SaturatedProduct(state_.settings.HourToEnd, 60); }

void SearchControl::StartSearch(const SearchArgs& request) {
  ReapFrozenSearch();
  if (Running()) return;
  SearchArgs args = request;
  args.keywords = state_.settings.Words;
  args.selectedOnly = false;
  runFromKeywordList_ = true;
  if (!LaunchSearchThread(std::move(args))) return;
  state_.resultsStale = false;
}

bool SearchControl::FindText(const std::string& text, SearchArgs args) {
  ReapFrozenSearch();
  if (text.empty() || Running()) return false;
  args.keywords = {text};
  runFromKeywordList_ = false;
  if (!LaunchSearchThread(std::move(args))) return false;
  // Reminders and the periodic re-search wait for the next keyword search.
  state_.resultsStale = true;
  return true;
}

bool SearchControl::LaunchSearchThread(SearchArgs args) {
  lastArgs_ = args;
  {
    // A keyword search's indices follow the list's edits from now on; a one-text
    // search's refer to its text alone.
    MutexLock lock(state_.mutex);
    state_.runKeywordPositions.resize(runFromKeywordList_ ? args.keywords.size() : 0);
    std::iota(state_.runKeywordPositions.begin(), state_.runKeywordPositions.end(), 0);
  }
  // Whatever the run, it begins on the window thread: the last run's results go,
  // and what the new ones refer to comes, at one moment; a keyword edit between
  // the two would read one through the other.
  auto begin = [this, run = run_](const SearchArgs& a, RunContext& ctx) {
    TFindStruct old;
    const bool current = ctx.OnWindowThread([this, &old] {
      PluginState& s = state_;
      if (OnRunStarting) OnRunStarting();
      {
        MutexLock lock(s.mutex);
        std::swap(old, s.results);
        s.unreadableChannels.clear();
      }
      s.resultsFromKeywordList = runFromKeywordList_;
      // The list as edited since the launch: the run's indices are carried to it.
      if (runFromKeywordList_) s.searchKeywordList = s.settings.Words;
    });
    ClearResults(old);  // freed here, not on the window thread
    if (current && run) run(a, ctx);
  };
  if (worker_.Launch(std::move(args), begin, state_.settings.Priority)) return true;
  // Nothing changed: the old results stay, and a later start may succeed.
  host_.ShowMessageBox(kSearchNotStarted, kBoxInformation);
  return false;
}

void SearchControl::AbortSearch() {
  if (Running()) DiscardRun();
}

void SearchControl::ReapFrozenSearch() {
  if (Running() && Frozen()) DiscardRun();
}

void SearchControl::DiscardRun() {
  worker_.Stop();
  TFindStruct discarded;  // freed after the lock, however many there are
  {
    MutexLock lock(state_.mutex);
    std::swap(discarded, state_.results);
    state_.unreadableChannels.clear();
  }
  listResults_(nullptr);
}

void SearchControl::FreezeSearch() {
  if (Running() && !Frozen()) worker_.Freeze();
}

void SearchControl::ResumeSearch() {
  if (Running() && Frozen()) worker_.Resume();
}

bool SearchControl::MayStartSearch(const std::string& question) {
  ReapFrozenSearch();
  if (!Running()) return true;
  if (host_.ShowMessageBox(question, kBoxQuestionYesNo) != kAnswerYes) return false;
  AbortSearch();
  return true;
}

}  // namespace kolvar
