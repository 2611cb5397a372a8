#include "plugin/search_control.h"

#include <chrono>
#include <memory>
#include <optional>

#include "base/numbers.h"

namespace kolvar {

namespace {

constexpr char kSearchNotStarted[] =
    "The search could not start: the system has no room for another thread. Close some "
    "programs and try again.";
constexpr char kBuildingList[] = "Find: Building list...   wait.";

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
    ResultStore& s = control_.store_;
    return run_.WithSharedState([&s, &fn] {
      s.AssertHeld();
      s.RunEdit(fn);
    });
  }
  bool Publish(TFindStruct& found, std::size_t expected) override {
    ResultStore& s = control_.store_;
    if (tracking_) Learn(found);
    const bool published = run_.WithSharedState([&] {
      s.AssertHeld();
      s.RunPublish(found, expected);
    });
    ClearResults(found);
    return published;
  }
  bool PublishOrder(std::vector<std::size_t> order) override {
    ResultStore& s = control_.store_;
    return run_.WithSharedState([&] {
      s.AssertHeld();
      s.RunPublishOrder(std::move(order));
    });
  }
  void SetDatabaseOutdated(bool outdated) override {
    ResultStore& s = control_.store_;
    run_.WithSharedState([&s, outdated] {
      s.AssertHeld();
      s.RunSetOutdated(outdated);
    });
  }
  bool TakeSkipNextSort() override {
    ResultStore& s = control_.store_;
    bool skip = false;
    run_.WithSharedState([&s, &skip] {
      s.AssertHeld();
      skip = s.RunTakeSkipNextSort();
    });
    return skip;
  }
  DateTime Now() override { return control_.platform_.Now(); }

  void ShowInformation(const std::string& text) override {
    HostChannel* host = &control_.host_;
    run_.OnWindowThread([host, text] { host->ShowMessageBox(text, kBoxInformation); });
  }
  void ShowProgress(const std::string& caption) override {
    Label* label = &control_.caption_;
    run_.OnWindowThread([label, caption] { label->Caption = caption; });
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
    ResultStore& s = control_.store_;
    run_.WithSharedState([&s, &channels] {
      s.AssertHeld();
      s.RunSetUnreadable(std::move(channels));
    });
  }
  void ListResults() override {
    // The lines are made here, and the old ones freed here: with 200 000 results
    // either would hold the window thread for tens of milliseconds. Nothing
    // changes the results on the window thread while a run is current (a sort
    // waits for its end), so the lines still fit when they are handed over; they
    // travel in a shared box, which the hand-over may outlive the run with.
    ResultStore& s = control_.store_;
    const DateTime now = Now();
    auto prepared = std::make_shared<std::optional<ResultListing>>();
    auto old = std::make_shared<std::shared_ptr<const LineSource>>();
    run_.WithSharedState([&] {
      s.AssertHeld();
      // No results: the placeholder line says what the window thread knows.
      *prepared = s.RunListing(now);
    });
    SearchControl* control = &control_;
    const bool done = run_.OnWindowThread([control, prepared, old] {
      control->caption_.Caption = kBuildingList;
      *old = control->listResults_(*prepared ? &**prepared : nullptr);
      const ResultStore::Tally tally = control->store_.Counts();
      control->caption_.Caption = FoundCaption(tally.results, tally.unreadable);
    });
    // Done: the window thread is through with the box, and the old lines go here.
    if (done) old->reset();
  }
  void Report(RunEvent event) override {
    SearchControl* control = &control_;
    const std::uint64_t generation = run_.Generation();
    auto conclusion = std::make_shared<std::optional<RunConclusion>>();
    if (event == RunEvent::kCompleted) *conclusion = Conclude();
    run_.OnWindowThread([control, event, generation, conclusion] {
      const TSettings& settings = control->settings_;
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
          host.SendHostMessage(settings.MessSearchStarting, kKindSearchRunning);
          break;
        case RunEvent::kListCreated:
          host.SendHostMessage(settings.MessListCreate, kKindMess);
          break;
        case RunEvent::kCompleted:
          host.SendHostMessage(settings.MessSearchComplete, kKindSearchComplete);
          break;
        case RunEvent::kOutdatedGuide:
          if (control->store_.Outdated() && !control->windowVisible_ &&
              control->channels_.CheckedCount() > 0) {
            host.SendHostMessage(settings.MessOldDataBase, kKindMess);
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
    ResultStore& s = control_.store_;
    const bool current = run_.WithSharedState([&] {
      s.AssertHeld();
      c.newCount = s.RunNewMatches(kNewMatchesNamed, c.firstNew);
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

SearchControl::SearchControl(Parts parts, ListResultsFn listResults, EnterFn enter)
    : platform_(parts.platform),
      host_(parts.host),
      store_(parts.results),
      settings_(parts.settings),
      known_(parts.known),
      caption_(parts.caption),
      channels_(parts.channels),
      windowVisible_(parts.windowVisible),
      listResults_(std::move(listResults)),
      run_(RealRun()),
      worker_(parts.platform, parts.results.Lock(), std::move(enter)) {}

SearchRunFn SearchControl::RealRun() {
  return [this](const SearchArgs& args, RunContext& ctx) { Run(args, ctx); };
}

void SearchControl::Run(const SearchArgs& args, RunContext& ctx) {
  SearchSnapshot snapshot;
  bool tracking = false;
  std::shared_ptr<const KnownMatches> known;
  const bool current = ctx.OnWindowThread([this, &snapshot, &tracking, &known, &args] {
    // Only the keywords' matches are the user's: a one-text search learns nothing.
    tracking = store_.KeywordList() && !args.keywords.empty();
    known = known_;
    snapshot.settings = settings_;
    const CheckListBox& list = channels_;
    for (int i = 0; i < list.Count(); ++i) {
      snapshot.channels.push_back({list.Items()[static_cast<std::size_t>(i)], list.IsChecked(i)});
    }
    snapshot.current = list.ItemIndex();
  });
  if (!current) return;
  WorkerContext context(*this, ctx, tracking, std::move(known));
  RunSearch(args, snapshot, context);
}

int SearchControl::Horizon() const { return SaturatedProduct(settings_.HourToEnd, 60); }

void SearchControl::StartSearch(const SearchArgs& request) {
  ReapFrozenSearch();
  if (Running()) return;
  SearchArgs args = request;
  args.keywords = settings_.Words;
  args.selectedOnly = false;
  runFromKeywordList_ = true;
  if (!LaunchSearchThread(std::move(args))) return;
  store_.MarkFresh();
}

bool SearchControl::FindText(const std::string& text, SearchArgs args) {
  ReapFrozenSearch();
  if (text.empty() || Running()) return false;
  args.keywords = {text};
  runFromKeywordList_ = false;
  if (!LaunchSearchThread(std::move(args))) return false;
  // Reminders and the periodic re-search wait for the next keyword search.
  store_.MarkStale();
  return true;
}

bool SearchControl::LaunchSearchThread(SearchArgs args) {
  lastArgs_ = args;
  store_.RunLaunched(runFromKeywordList_ ? args.keywords.size() : 0);
  // Whatever the run, it begins on the window thread: the last run's results go,
  // and what the new ones refer to comes, at one moment; a keyword edit between
  // the two would read one through the other.
  auto begin = [this, run = run_](const SearchArgs& a, RunContext& ctx) {
    TFindStruct old;
    const bool current = ctx.OnWindowThread([this, &old] {
      if (OnRunStarting) OnRunStarting();
      old = store_.RunBegins(runFromKeywordList_, settings_.Words);
    });
    ClearResults(old);  // freed here, not on the window thread
    if (current && run) run(a, ctx);
  };
  if (worker_.Launch(std::move(args), begin, settings_.Priority)) return true;
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
  // Freed after the lock, however many there are.
  TFindStruct discarded = store_.Discard();
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
