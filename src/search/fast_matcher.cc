#include "search/fast_matcher.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace kolvar {

namespace matching {

LineDecider::LineDecider(const TWRD& keywords, bool compareFromStart)
    : compiled(CompileKeywords(keywords, compareFromStart)),
      line(compiled.start, compiled.upperNeeded),
      scan(compiled),
      decider(compiled, line, scan) {}

int LineDecider::FirstMatch(std::string_view text) {
  if (compiled.keywords.empty()) return -1;
  line.Reset(text);
  scan.Scan(line);
  return decider.FirstPassing();
}

}  // namespace matching

namespace {

bool HoldsDigit(const TSearchStrings& keyword) {
  return std::any_of(keyword.Params.begin(), keyword.Params.end(), [](const TParam& term) {
    return std::any_of(term.Word.begin(), term.Word.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
  });
}

}  // namespace

KeywordMatcher::KeywordMatcher(const TWRD& keywords, bool compareFromStart,
                               std::span<const std::string> dayNames)
    : compareFromStart_(compareFromStart), all_(keywords, compareFromStart) {
  if (matching::DayFrames::NamesFit(dayNames)) dayNames_.assign(dayNames.begin(), dayNames.end());
  TWRD& without = withoutDigitsKeywords_;
  TWRD& with = withDigitsKeywords_;
  for (std::size_t k = 0; k < keywords.Items.size(); ++k) {
    const bool digit = HoldsDigit(keywords.Items[k]);
    (digit ? with : without).Items.push_back(keywords.Items[k]);
    (digit ? withDigitsAt_ : withoutDigitsAt_).push_back(static_cast<int>(k));
  }
  without.Count = static_cast<std::int32_t>(without.Items.size());
  with.Count = static_cast<std::int32_t>(with.Items.size());
  // The keywords with a digit are decided apart, on every line the time memo
  // cannot serve: worth it while they are few.
  if (without.Items.empty() ||
      (with.Items.size() > 4 && 8 * with.Items.size() > keywords.Items.size())) {
    return;
  }
  // Made after the first lines: a search of a line or two (a window's find)
  // would pay for compiling the keywords twice more and gain nothing.
  linesBeforeMemo_ = 4;
}

bool KeywordMatcher::MemoReady() {
  if (memo_) return true;
  if (linesBeforeMemo_ == 0 || --linesBeforeMemo_ > 0) return false;
  withoutDigits_ =
      std::make_unique<matching::LineDecider>(withoutDigitsKeywords_, compareFromStart_);
  if (!withDigitsKeywords_.Items.empty()) {
    withDigits_ = std::make_unique<matching::LineDecider>(withDigitsKeywords_, compareFromStart_);
  }
  memo_ = std::make_unique<matching::LineMemo>();
  if (!dayNames_.empty()) {
    frames_ = std::make_unique<matching::DayFrames>(withoutDigits_->compiled, dayNames_);
    dayMemo_ = std::make_unique<matching::LineMemo>();
    if (withDigits_ && !compareFromStart_) {
      times_ = std::make_unique<matching::TimeFrames>(withDigits_->compiled, dayNames_);
      timeMemo_ = std::make_unique<matching::LineMemo>();
    }
  }
  return true;
}

std::optional<int> KeywordMatcher::SameEveryDay(std::string_view line, std::size_t day) {
  if (day == std::string_view::npos) return std::nullopt;
  if (const int* known = dayMemo_->Find(line, day)) {
    if (*known == kTipped) return std::nullopt;
    if (*known < kTipped) return FirstByPlan(*known, line);
    return *known;
  }
  const int first = withoutDigits_->FirstMatch(line);
  const std::vector<std::uint32_t>* mayComeFirst =
      frames_->MayComeFirst(line, day, first, withoutDigits_->decider);
  dayMemo_->Store(!mayComeFirst           ? kTipped
                  : mayComeFirst->empty() ? first
                                          : PlanOf(first, *mayComeFirst));
  return first;
}

int KeywordMatcher::PlanOf(int first, const std::vector<std::uint32_t>& mayComeFirst) {
  // A plan of many keywords saves little over deciding them all.
  const std::size_t keywords = withoutDigitsKeywords_.Items.size();
  if (mayComeFirst.size() > kMostPlanned || 4 * mayComeFirst.size() > keywords ||
      keywords >= kMostPlanCodes / kMostPlans) {
    return kTipped;
  }
  // Few lists, each made once: a look along them costs nothing beside the title's decision.
  const auto list = static_cast<int>(
      std::find_if(planned_.begin(), planned_.end(),
                   [&](const Planned& planned) { return planned.keywords == mayComeFirst; }) -
      planned_.begin());
  if (list == static_cast<int>(planned_.size())) {
    if (planned_.size() == kMostPlans) return kTipped;
    TWRD keywordList;
    for (const std::uint32_t k : mayComeFirst)
      keywordList.Items.push_back(withoutDigitsKeywords_.Items[k]);
    keywordList.Count = static_cast<std::int32_t>(keywordList.Items.size());
    planned_.push_back(
        {mayComeFirst, std::make_unique<matching::LineDecider>(keywordList, compareFromStart_)});
  }
  const int width = static_cast<int>(keywords) + 1;
  return kTipped - 1 - (list * width + first + 1);
}

int KeywordMatcher::FirstByPlan(int plan, std::string_view line) {
  const int width = static_cast<int>(withoutDigitsKeywords_.Items.size()) + 1;
  const int code = kTipped - 1 - plan;
  Planned& planned = planned_[static_cast<std::size_t>(code / width)];
  const int k = planned.decider->FirstMatch(line);
  return k >= 0 ? static_cast<int>(planned.keywords[static_cast<std::size_t>(k)])
                : code % width - 1;
}

int KeywordMatcher::FirstWithDigit(std::string_view line, std::size_t day) {
  if (!timeMemo_ || !timeMemo_->Active() || day == std::string_view::npos ||
      !matching::TimeFrames::Dated(line)) {
    return FirstOf(*withDigits_, withDigitsAt_, line);
  }
  int first;
  if (const int* known = timeMemo_->Find(line, day, matching::kClockEnd)) {
    first = *known == kTipped ? withDigits_->FirstMatch(line) : *known;
  } else {
    first = withDigits_->FirstMatch(line);
    timeMemo_->Store(times_->SameEveryTime(line, day, first) ? first : kTipped);
  }
  return first < 0 ? -1 : withDigitsAt_[static_cast<std::size_t>(first)];
}

int KeywordMatcher::FirstOf(matching::LineDecider& decider, const std::vector<int>& indices,
                            std::string_view line) {
  const int k = decider.FirstMatch(line);
  return k < 0 ? -1 : indices[static_cast<std::size_t>(k)];
}

int KeywordMatcher::FirstMatch(std::string_view line) {
  if (!MemoReady()) return all_.FirstMatch(line);
  const std::size_t day = frames_ ? frames_->DayAt(line) : std::string_view::npos;
  std::optional<int> byDay;
  if (dayMemo_ && dayMemo_->Active()) byDay = SameEveryDay(line, day);
  int first;
  if (byDay) {
    first = *byDay;
  } else if (!memo_->Active()) {
    return all_.FirstMatch(line);
  } else if (const int* known = memo_->Find(line)) {
    first = *known;
  } else {
    first = withoutDigits_->FirstMatch(line);
    memo_->Store(first);
  }
  if (first >= 0) first = withoutDigitsAt_[static_cast<std::size_t>(first)];
  // A keyword with a digit comes first only from before the one found.
  if (withDigits_ && (first < 0 || withDigitsAt_.front() < first)) {
    const int digit = FirstWithDigit(line, day);
    if (digit >= 0 && (first < 0 || digit < first)) first = digit;
  }
  return first;
}

bool KeywordMatcher::Match(TFindStruct& results, const std::string& line, DateTime start) {
  if (line.empty()) {
    if (!results.empty()) results.back().end = start;
    return false;
  }
  const int k = FirstMatch(line);
  if (k < 0) return false;
  results.push_back({line, start, 0, static_cast<std::int32_t>(k)});
  return true;
}

}  // namespace kolvar
