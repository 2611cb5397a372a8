// The result list: the programmes the last search run found.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/datetime.h"
#include "base/line_source.h"

namespace kolvar {

// Where a result line's title, day name and channel lie, as the reader wrote
// them ("yyyy.mm.dd hh:mm Title[Dw]Channel"): a channel named "Sport [HD]" or a
// title holding "]" cannot be told apart from the line's own brackets afterwards.
// titleAt 0: not known (a result made by hand), and the line is taken apart.
struct LineFields {
  std::uint8_t titleAt = 0;
  std::uint8_t titleLength = 0;
  std::uint8_t dayLength = 0;

  bool operator==(const LineFields&) const = default;
};

// A line's title, day name and channel; nullopt when its fields are not known or
// do not fit it.
struct ProgrammeFields {
  std::string_view title;
  std::string_view dayName;
  std::string_view channel;
};
std::optional<ProgrammeFields> FieldsOf(std::string_view line, LineFields fields);

// The fields of a line read from channel with dayName as its day; not known
// (titleAt 0) when the line is not such a line or a part is too long to note.
LineFields NoteFields(std::string_view line, std::string_view channel, std::string_view dayName);

// A result's line ("yyyy.mm.dd hh:mm Title[Dw]Channel"), kept in pieces once
// CompactLines took it apart: the date and time as numbers, the title and the
// "[Dw]Channel" tail shared with the channel's other results (titles repeat), so
// 200 000 results need no line of their own. A line the pieces would not make
// again byte for byte, or one made by hand, is kept whole. Never changes once
// made: copies on any thread share the pieces.
class ResultLine {
 public:
  ResultLine() = default;
  ResultLine(const std::string& line);  // NOLINT(google-explicit-constructor)
  ResultLine(std::string_view line);    // NOLINT(google-explicit-constructor)
  ResultLine(const char* line);         // NOLINT(google-explicit-constructor)

  std::string Text() const;
  // Text() into line, whose buffer is reused: for many lines in a row.
  void TextInto(std::string& line) const;
  // The line while it is kept whole; nullopt once it is in pieces.
  std::optional<std::string_view> Whole() const;

  bool operator==(const ResultLine& other) const { return Text() == other.Text(); }

 private:
  friend struct LineMaker;

  // While kept whole (form 0 in numbers_) the line's length and bytes in one
  // block, else the channel's pieces.
  std::shared_ptr<const void> texts_;
  // Its form (0 whole, 1 long line, 2 short (time-only) line), the title's and
  // the tail's numbers, the date and the time, in one word written at once
  // (fields written one by one each waited for the last).
  std::uint64_t numbers_ = 0;
};

// One programme a search found.
struct FoundProgramme {
  ResultLine line;  // as the reader formats a programme
  DateTime start = 0;
  // The start of the channel's next programme, or the programme's own start when
  // it was the last one read; 0 until the reader sets it.
  DateTime end = 0;
  // In the keyword list of the run; -1 once that keyword was deleted or modified.
  std::int32_t keywordIndex = 0;
  // Not among the matches known before this run (see remind/known_matches.h).
  bool isNew = false;
  LineFields fields{};  // in the padding after isNew: no byte more a result
  // The start as the guide gives it, before the channel's time shift: with the
  // channel and the title, what a programme is known by whatever the shift.
  DateTime guideStart = 0;

  bool operator==(const FoundProgramme&) const = default;
};

using TFindStruct = std::vector<FoundProgramme>;

// Takes the lines of one channel's results apart (see ResultLine), their fields
// noted already: the channel's titles and tails are then kept once each.
void CompactLines(std::span<FoundProgramme> results);

struct LineMaker;
// The same for one channel's lines one at a time, as a search finds them: a
// line is then never kept whole in between.
class LineCompactor {
 public:
  LineCompactor();
  ~LineCompactor();
  LineCompactor(const LineCompactor&) = delete;
  LineCompactor& operator=(const LineCompactor&) = delete;

  // The line in pieces, or whole where its fields are not known or the pieces
  // would not make it again.
  ResultLine Made(std::string_view line, LineFields fields);

 private:
  std::unique_ptr<LineMaker> maker_;
};

// The result list box's lines: the results' as they stood when listed, each made
// one line (OneLine) when it is drawn.
class ListedLines final : public LineSource {
 public:
  explicit ListedLines(std::vector<ResultLine> lines) : lines_(std::move(lines)) {}
  std::size_t Size() const override { return lines_.size(); }
  std::string Line(std::size_t index) const override;

 private:
  const std::vector<ResultLine> lines_;
};

void ClearResults(TFindStruct& results);

// Moves from's entries to the end of to; from is left empty. expected: about
// how many to will hold in the end, where the caller knows (see MakeRoom).
void MoveResults(TFindStruct& to, TFindStruct& from, std::size_t expected = 0);

// Room in v for needed entries: made once for about expected where that is more
// and can be had, else by doubling. A list grown by doubling is copied whole at
// each step, and touches as much fresh memory again as it holds.
template <typename T>
void MakeRoom(std::vector<T>& v, std::size_t needed, std::size_t expected) {
  if (needed <= v.capacity()) return;
  if (expected > needed && expected > 2 * v.size() && expected <= v.max_size()) {
    try {
      v.reserve(expected);
      return;
    } catch (const std::bad_alloc&) {
      // The estimate was too much to have at once: grow as needed.
    }
  }
  v.reserve(std::max(needed, std::min(2 * v.size(), v.max_size())));
}

// Orders the results by start time in O(n log n), and equal start times exactly
// as a selection sort taking the first greatest time orders them (A, B, C come
// out as B, C, A), the order users' lists have always shown.
void SortResults(TFindStruct& results);

// The order SortResults gives results with these start times: position i gets
// the entry at order[i]. Computed apart from the results, so a search can sort
// without a second copy of them.
std::vector<std::size_t> SortedOrder(const std::vector<DateTime>& starts);

// Puts the results in the order given (a permutation of their positions, as
// SortedOrder gives), in place; an order of another length changes nothing.
void ApplyOrder(TFindStruct& results, std::vector<std::size_t> order);

// A result line as every list shows it: providers fold a description into the
// title with line breaks, so each run of CR and LF, with the blanks around it,
// becomes " / " and one result stays one line wherever a list is written or drawn.
// The result itself keeps its breaks (the calendar writes them as line breaks).
std::string OneLine(std::string_view line);

// The result list box's tooltip for a result: its keyword number and text, then
// its line with the end time after the start, wrapped at 70. keywordList: the
// keyword list the results refer to, when they come from one.
std::string ResultHint(const FoundProgramme& result, const std::vector<std::string>* keywordList);

// Wraps a line longer than 70 characters after whole words (see the cc file).
std::string WrapHintLine(const std::string& line);

// What the result list box shows when there are no results.
struct EmptyListNotice {
  bool databaseOutdated = false;
  int checkedChannels = 0;
  std::string messOldDataBase;
  // Channels the last run could not read: said before anything else, since an
  // unavailable guide would otherwise pass for one without matches.
  std::vector<std::string> unreadable{};
};

// "-2 channels could not be read: a.ndx, b.ndx", naming the first few.
std::string UnreadableNotice(const std::vector<std::string>& channels);
// "Find: 12 found", and how many channels could not be read when some could not.
std::string FoundCaption(std::size_t count, std::size_t unreadable = 0);

// What the result list box shows: the result lines, or one placeholder line, and
// the line to make current (-1 for none).
struct ResultListing {
  std::vector<std::string> lines;  // the placeholder
  std::shared_ptr<const ListedLines> results{};
  int current = -1;
  // The lines of new results; empty when none is.
  std::vector<bool> marked{};
};

// The results' lines, current the first programme on air, else the nearest coming
// one within 45000 minutes, else the last line.
ResultListing BuildResultList(const TFindStruct& results, DateTime now,
                              const EmptyListNotice& notice);

}  // namespace kolvar
