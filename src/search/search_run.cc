// The run collects a channel's results in a list of its own and moves them to the
// shared list when the channel is done, so the shared lock is held briefly. It
// keeps the start times of what it published and sorts those, so the window thread
// never waits for a sort, and the results are held once: the lock is taken again
// only to move them into the sorted order.
#include "search/search_run.h"

#include <algorithm>
#include <cstdint>
#include <memory>
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

// One run: its steps, and the state they share.
class Run {
 public:
  Run(const SearchArgs& args, const SearchSnapshot& snapshot, SearchContext& ctx,
      MatcherChoice choice)
      : args_(args),
        snapshot_(snapshot),
        settings_(snapshot.settings),
        ctx_(ctx),
        choice_(choice),
        reader_{settings_.Path, settings_.DaysOfWeek, settings_.FullSearch},
        // Short lines have no date to skip: their time and title are compared as
        // the same part of a long line is.
        compareFromStart_(args.window == 0) {}

  // False when the run ended early for want of memory.
  bool Execute() {
    Begin();
    bool normalEnd = true;
    try {
      ReadChannels();
      // A run frozen after its last channel stays there, like one frozen earlier.
      if (!Conclude()) return true;
    } catch (const std::bad_alloc&) {
      normalEnd = false;
    }
    // A run that ended early still reports its end, with what it found so far.
    if (!normalEnd && args_.visible) ctx_.ShowProgress(FoundCaption(published_));
    Announce();
    return normalEnd;
  }

 private:
  // Takes the last run's results over (freed here, outside the lock), reads the
  // keywords and tells the host the search has started.
  void Begin() {
    ctx_.WithResults([this](TFindStruct& shared) { std::swap(found_, shared); });
    ClearResults(found_);
    auto showInformation = [this](const std::string& text) { ctx_.ShowInformation(text); };
    keywords_ = ParseKeywords(
        args_.keywords, {static_cast<FindMode>(settings_.FindMode), settings_.CongenialityRate},
        showInformation);
    ctx_.SetDatabaseOutdated(true);
    ctx_.Report(RunEvent::kStarted);
    // The compiled matcher decides what MatchProgramme would.
    if (choice_ == MatcherChoice::kCompiled) {
      matcher_ =
          std::make_unique<KeywordMatcher>(keywords_, compareFromStart_, settings_.DaysOfWeek);
      // Each line found is taken apart at once: it is never kept whole.
      hooks_.match = [this](const std::string& line, DateTime start) {
        if (line.empty()) return matcher_->Match(found_, line, start);
        const int k = matcher_->FirstMatch(line);
        if (k < 0) return false;
        FoundProgramme& f = found_.emplace_back();
        f.start = start;
        f.keywordIndex = k;
        f.fields = NotedFields(line, start);
        f.line = compactor_->Made(line, f.fields);
        return true;
      };
    } else {
      hooks_.match = [this](const std::string& line, DateTime start) {
        return MatchProgramme(found_, line, start, keywords_, compareFromStart_);
      };
    }
    // Between programmes: a freeze waits here, an abort ends the channel.
    hooks_.aborted = [this] { return !ctx_.Continue(); };
    hooks_.seenFutureProgramme = [this] { ctx_.SetDatabaseOutdated(false); };
  }

  // The checked channels in order up to the result limit, or the selected one.
  void ReadChannels() {
    if (args_.selectedOnly) {
      toRead_ = 1;
      const int current = snapshot_.current;
      if (current >= 0 && current < static_cast<int>(snapshot_.channels.size())) {
        ReadChannel(snapshot_.channels[static_cast<std::size_t>(current)].name);
      }
      return;
    }
    const auto limit = static_cast<std::size_t>(std::max(settings_.MaxResultCount, 0));
    toRead_ = static_cast<std::size_t>(
        std::count_if(snapshot_.channels.begin(), snapshot_.channels.end(),
                      [](const auto& channel) { return channel.checked; }));
    for (const auto& channel : snapshot_.channels) {
      if (!ctx_.Continue()) break;
      if (channel.checked) ReadChannel(channel.name);
      if (published_ > limit) {
        ctx_.ShowInformation(kTooManyResults);
        break;
      }
    }
  }

  void ReadChannel(const std::string& name) {
    if (args_.visible) ctx_.ShowChannelProgress("Find: processing " + name);
    const int shift = ShiftFor(name);
    channel_ = ChannelName(name);
    compactor_.emplace();
    if (!ReadChannelFile(reader_, name, {shift, args_.window, ctx_.Now()}, hooks_)) {
      unreadable_.push_back(name);
    }
    ++read_;
    const std::size_t expected = Expected();
    MakeRoom(starts_, starts_.size() + found_.size(), expected);
    for (FoundProgramme& f : found_) {
      starts_.push_back(f.start);
      f.guideStart = f.start - shift / 1440.0;
      if (const std::optional<std::string_view> line = f.line.Whole()) {
        f.fields = NotedFields(*line, f.start);
      }
    }
    CompactLines(found_);
    compactor_.reset();
    published_ += found_.size();
    ctx_.Publish(found_, expected);
  }

  // The results to expect in all, from those of the channels read so far, this
  // one's too: once an eighth of the channels to read has been read, with an
  // eighth more to spare, and no more than the result limit lets a run keep.
  std::size_t Expected() const {
    if (read_ == 0 || 8 * read_ < toRead_) return 0;
    const std::uint64_t found = published_ + found_.size();
    const std::uint64_t estimate = found * toRead_ / read_;
    const auto limit = static_cast<std::uint64_t>(std::max(settings_.MaxResultCount, 0));
    return static_cast<std::size_t>(std::min(estimate + estimate / 8, std::max(limit, found)));
  }

  // The fields of a line of the channel read, starting at start.
  LineFields NotedFields(std::string_view line, DateTime start) const {
    const auto day = static_cast<std::size_t>(DayOfWeekOf(start));
    if (day >= settings_.DaysOfWeek.size()) return {};
    return NoteFields(line, channel_, settings_.DaysOfWeek[day]);
  }

  // The channel's time shift; 0, after telling the user, when its text is no
  // number or out of range: ending the run there would leave the other channels
  // unread.
  int ShiftFor(const std::string& name) {
    std::optional<std::string> text = ShiftText(settings_, name);
    if (!text) return 0;
    std::optional<std::int32_t> number = ParseInt32(*text);
    if (number && *number >= -kMaxTimeShift && *number <= kMaxTimeShift) return *number;
    ctx_.ShowInformation("Time shift must be -1440..1440, used TimeShift=0 for " + name);
    return 0;
  }

  // Names the channels that could not be read, puts the results in order and
  // lists them; false when the run was stopped on the way.
  bool Conclude() {
    if (!ctx_.Continue()) return false;
    ctx_.ReportUnreadable(std::move(unreadable_));
    if (!ctx_.TakeSkipNextSort() && args_.sorted) ctx_.PublishOrder(SortedOrder(starts_));
    std::vector<DateTime>().swap(starts_);
    if (!ctx_.Continue()) return false;
    if (args_.visible) ctx_.ListResults();
    return true;
  }

  // The host's messages at the end. A stopped run has no word for the host; a
  // frozen one waits before each.
  void Announce() {
    if (!ctx_.Continue()) return;
    if (args_.announce) {
      ctx_.Report(RunEvent::kListCreated);
      if (!ctx_.Continue()) return;
    }
    ctx_.Report(RunEvent::kCompleted);
    if (!ctx_.Continue()) return;
    ctx_.Report(RunEvent::kOutdatedGuide);
  }

  const SearchArgs& args_;
  const SearchSnapshot& snapshot_;
  const TSettings& settings_;
  SearchContext& ctx_;
  const MatcherChoice choice_;
  const ReaderOptions reader_;
  const bool compareFromStart_;
  TWRD keywords_;
  std::unique_ptr<KeywordMatcher> matcher_;
  std::string channel_;                     // the one being read, as results name it
  std::optional<LineCompactor> compactor_;  // its lines
  ReaderHooks hooks_;
  TFindStruct found_;             // the channel being read
  std::vector<DateTime> starts_;  // of the published results, in their order
  std::vector<std::string> unreadable_;
  std::size_t published_ = 0;
  std::size_t toRead_ = 0;  // channels
  std::size_t read_ = 0;
};

}  // namespace

bool RunSearch(const SearchArgs& args, const SearchSnapshot& snapshot, SearchContext& ctx) {
  return RunSearch(args, snapshot, ctx, MatcherChoice::kCompiled);
}

bool RunSearch(const SearchArgs& args, const SearchSnapshot& snapshot, SearchContext& ctx,
               MatcherChoice choice) {
  return Run(args, snapshot, ctx, choice).Execute();
}

}  // namespace kolvar
