// The keywords compiled once per search run: decides for every programme line
// exactly what MatchProgramme decides, at a fraction of its cost. A term needs a
// window with a certain number of equal characters to reach its precision; cut
// into one piece more than the unequal characters it may have, one piece must
// then stand in the line unchanged, so one pass over the line (and one over its
// upper-cased copy) finds the few terms that can pass at all: pieces are filed
// under their first two characters (those of three and more under their first
// three or four, hashed) and compared whole where those stand. Keys too short
// for pieces of two are filed under single characters. Short keys of
// modes 4 to 6 that allow nothing unequal are found whole: in modes 5 and 6 the
// key and the texts one exchange mends into it, in the same pass; in modes 4 and
// 6 the line's words, looked up among the key and the key less one inner letter.
// Keys of modes 5 and 6 that allow one unequal letter are found by the same
// texts of their halves, one of which a passing window leaves equal.
// Only the candidates' windows are counted, and only as far as the decision needs.
//
// The parts: fast_matcher_index (the terms and their pieces, built once),
// line_view (the line and what is worked out from it), candidate_scan (the pass
// that finds the candidates), term_decisions and window_counts (the decisions).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "search/candidate_scan.h"
#include "search/day_frames.h"
#include "search/fast_matcher_index.h"
#include "search/keywords.h"
#include "search/line_memo.h"
#include "search/line_view.h"
#include "search/result_list.h"
#include "search/term_decisions.h"
#include "search/time_frames.h"

namespace kolvar {

namespace matching {

// One compiled keyword list and what deciding a line with it keeps.
struct LineDecider {
  LineDecider(const TWRD& keywords, bool compareFromStart);

  // The index, in this list, of the first keyword whose terms all pass; -1 for none.
  int FirstMatch(std::string_view line);

  // In this order: each refers to those before it.
  CompiledKeywords compiled;
  LineView line;
  CandidateScan scan;
  TermDecider decider;
};

}  // namespace matching

class KeywordMatcher {
 public:
  // compareFromStart as for RateSimilarity. The keywords are copied. dayNames:
  // the names the lines' days are written with, if known; lines of a title on
  // other days are then decided once where the day cannot tip them.
  KeywordMatcher(const TWRD& keywords, bool compareFromStart,
                 std::span<const std::string> dayNames = {});

  // The index of the first keyword, in list order, whose terms all pass; -1 for none.
  int FirstMatch(std::string_view line);

  // MatchProgramme's contract, with the keywords and start position compiled in.
  bool Match(TFindStruct& results, const std::string& line, DateTime start);

  // Not copyable by accident: one instance per thread, it keeps scratch buffers.
  KeywordMatcher(const KeywordMatcher&) = delete;
  KeywordMatcher& operator=(const KeywordMatcher&) = delete;

 private:
  // The first of the keywords in list order (indices into all) that passes.
  static int FirstOf(matching::LineDecider& decider, const std::vector<int>& indices,
                     std::string_view line);
  // Whether lines go through the memo from now on, which is made once a run has
  // read enough lines to pay for it.
  bool MemoReady();
  // The first of the keywords without a digit on line (an index among them),
  // remembered for lines alike but for their digits and day name (at day) where
  // the day tips none of them, or only a few keywords before it (those are then
  // decided on each line); nullopt for such lines where it may tip more.
  std::optional<int> SameEveryDay(std::string_view line, std::size_t day);
  // What the day memo keeps for a title some day may tip: the keywords that may
  // come first (indices among those without a digit) and the first otherwise;
  // kTipped where too many may.
  int PlanOf(int first, const std::vector<std::uint32_t>& mayComeFirst);
  int FirstByPlan(int plan, std::string_view line);
  // The first of the keywords with a digit on line (an index among all),
  // remembered for lines alike but for their date, time and day name where
  // those tip none of them.
  int FirstWithDigit(std::string_view line, std::size_t day);

  const bool compareFromStart_;
  matching::LineDecider all_;
  // Lines met again but for their digits (see LineMemo): the keywords without a
  // digit, decided once such a line, and those with one, decided once a title
  // and channel where the date, time and day cannot tip them.
  TWRD withoutDigitsKeywords_;
  TWRD withDigitsKeywords_;
  std::vector<int> withoutDigitsAt_;  // their indices among all keywords
  std::vector<int> withDigitsAt_;
  std::size_t linesBeforeMemo_ = 0;  // until the memo is made; none without one
  std::unique_ptr<matching::LineDecider> withoutDigits_;
  std::unique_ptr<matching::LineDecider> withDigits_;
  std::unique_ptr<matching::LineMemo> memo_;
  std::vector<std::string> dayNames_;
  std::unique_ptr<matching::DayFrames> frames_;
  // Lines alike but for digits and day name; kTipped where the day may change
  // the decision.
  std::unique_ptr<matching::LineMemo> dayMemo_;
  // The keyword lists titles' plans decide, each compiled once: a plan is kept
  // as kTipped - 1 - (its list * (keywords without a digit + 1) + its first + 1).
  struct Planned {
    std::vector<std::uint32_t> keywords;
    std::unique_ptr<matching::LineDecider> decider;
  };
  std::vector<Planned> planned_;
  // The same for the keywords with a digit, lines alike but for the date, time
  // and day name.
  std::unique_ptr<matching::TimeFrames> times_;
  std::unique_ptr<matching::LineMemo> timeMemo_;
  static constexpr int kTipped = -2;
  static constexpr std::size_t kMostPlanned = 16;  // keywords in a plan
  static constexpr std::size_t kMostPlans = 64;    // keyword lists, ~90 KB each
  static constexpr std::size_t kMostPlanCodes = std::size_t{1} << 30;
};

}  // namespace kolvar
