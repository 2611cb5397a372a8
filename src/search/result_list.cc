#include "search/result_list.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/selection_sort.h"
#include "base/texts.h"

namespace kolvar {

namespace {

// A channel's pieces of its results' lines. The titles share one buffer: a
// channel whose titles never repeat then costs no allocation a title.
struct LineTexts {
  std::string titleChars;
  std::vector<std::uint32_t> titleEnds;
  std::vector<std::string> tails;  // "[Dw]Channel", one a day name

  std::string_view Title(std::size_t index) const {
    const std::uint32_t begin = index == 0 ? 0 : titleEnds[index - 1];
    return std::string_view(titleChars).substr(begin, titleEnds[index] - begin);
  }
};

constexpr std::size_t kMostTitles = std::size_t{1} << 24;
constexpr std::size_t kMostTails = 8;

char* PutDigits(char* out, unsigned value, int count) {
  for (int i = count - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return out + count;
}

// The digits at text[at, at + count), as a number; nullopt when one is no digit.
std::optional<unsigned> Digits(std::string_view text, std::size_t at, std::size_t count) {
  unsigned value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  return value;
}

// The places of a result line's numbers in its word: the lowest bit and how many.
struct NumberField {
  int at;
  int bits;
};
constexpr NumberField kForm{0, 2};
constexpr NumberField kTitle{2, 24};
constexpr NumberField kTail{26, 3};
constexpr NumberField kYear{29, 14};
constexpr NumberField kMonth{43, 4};
constexpr NumberField kDay{47, 5};
constexpr NumberField kHour{52, 5};
constexpr NumberField kMinute{57, 6};

std::uint64_t Put(NumberField field, std::uint64_t value) { return value << field.at; }
unsigned Get(NumberField field, std::uint64_t numbers) {
  return static_cast<unsigned>((numbers >> field.at) & ((std::uint64_t{1} << field.bits) - 1));
}

}  // namespace

// The date, time and piece numbers fill one 64-bit word beside the shared pieces.
static_assert(sizeof(ResultLine) == sizeof(std::shared_ptr<const void>) + sizeof(std::uint64_t));

namespace {

// A whole line in one allocation with its count: every match makes one, and
// most are taken apart a moment later.
std::shared_ptr<const void> WholeLine(std::string_view line) {
  const std::size_t size = line.size();
  std::shared_ptr<char[]> block = std::make_shared_for_overwrite<char[]>(sizeof size + size);
  std::memcpy(block.get(), &size, sizeof size);
  if (size != 0) std::memcpy(block.get() + sizeof size, line.data(), size);
  return block;
}

}  // namespace

ResultLine::ResultLine(const std::string& line) : texts_(WholeLine(line)) {}
ResultLine::ResultLine(std::string_view line) : texts_(WholeLine(line)) {}
ResultLine::ResultLine(const char* line) : texts_(WholeLine(line)) {}

std::optional<std::string_view> ResultLine::Whole() const {
  if (Get(kForm, numbers_) != 0) return std::nullopt;
  if (!texts_) return std::string_view();
  const auto* block = static_cast<const char*>(texts_.get());
  std::size_t size = 0;
  std::memcpy(&size, block, sizeof size);
  return std::string_view(block + sizeof size, size);
}

std::string ResultLine::Text() const {
  std::string line;
  TextInto(line);
  return line;
}

void ResultLine::TextInto(std::string& line) const {
  if (const std::optional<std::string_view> whole = Whole()) {
    line.assign(*whole);
    return;
  }
  const auto& texts = *static_cast<const LineTexts*>(texts_.get());
  const std::string_view title = texts.Title(Get(kTitle, numbers_));
  const std::string& tail = texts.tails[Get(kTail, numbers_)];
  // As the reader writes a programme: "yyyy.mm.dd " on a long line, "hh:mm " on both.
  char head[17];
  char* p = head;
  if (Get(kForm, numbers_) == 1) {
    p = PutDigits(p, Get(kYear, numbers_), 4);
    *p++ = '.';
    p = PutDigits(p, Get(kMonth, numbers_), 2);
    *p++ = '.';
    p = PutDigits(p, Get(kDay, numbers_), 2);
    *p++ = ' ';
  }
  p = PutDigits(p, Get(kHour, numbers_), 2);
  *p++ = ':';
  p = PutDigits(p, Get(kMinute, numbers_), 2);
  *p++ = ' ';
  const auto headLength = static_cast<std::size_t>(p - head);
  line.reserve(headLength + title.size() + tail.size());
  line.assign(head, headLength);
  line += title;
  line += tail;
}

// Takes lines apart into one channel's pieces.
struct LineMaker {
  std::shared_ptr<LineTexts> texts = std::make_shared<LineTexts>();
  // Title numbers, open addressing on the title's hash; kNoTitle marks a free slot.
  std::vector<std::uint32_t> slots;
  std::size_t lastTail = 0;
  static constexpr std::uint32_t kNoTitle = ~std::uint32_t{0};

  explicit LineMaker(std::size_t lines) {
    std::size_t size = 16;
    while (size < 2 * lines) size *= 2;
    slots.assign(size, kNoTitle);
  }

  // Twice the slots, once titles fill half of them: for lines not counted ahead.
  void Grow() {
    std::vector<std::uint32_t> grown(2 * slots.size(), kNoTitle);
    const std::size_t mask = grown.size() - 1;
    for (std::uint32_t number = 0; number < texts->titleEnds.size(); ++number) {
      std::size_t at = std::hash<std::string_view>{}(texts->Title(number)) & mask;
      while (grown[at] != kNoTitle) at = (at + 1) & mask;
      grown[at] = number;
    }
    slots = std::move(grown);
  }

  // The line in pieces, or nullopt when they would not make it again.
  std::optional<ResultLine> Pieces(std::string_view line, LineFields fields) {
    const std::optional<ProgrammeFields> parts = FieldsOf(line, fields);
    if (!parts) return std::nullopt;
    const std::optional<std::uint64_t> head = Head(line.substr(0, fields.titleAt));
    if (!head) return std::nullopt;
    const std::string_view tail = line.substr(std::size_t{fields.titleAt} + fields.titleLength);
    // Results come in time order: mostly the day of the one before.
    std::size_t t = lastTail;
    if (t >= texts->tails.size() || texts->tails[t] != tail) {
      t = 0;
      while (t < texts->tails.size() && texts->tails[t] != tail) ++t;
    }
    if (t == kMostTails) return std::nullopt;
    const std::optional<std::uint32_t> title = TitleNumber(parts->title);
    if (!title) return std::nullopt;
    if (t == texts->tails.size()) texts->tails.emplace_back(tail);
    lastTail = t;
    ResultLine made;
    made.numbers_ = *head | Put(kTail, t) | Put(kTitle, *title);
    made.texts_ = texts;
    return made;
  }

  std::optional<std::uint32_t> TitleNumber(std::string_view title) {
    if (2 * (texts->titleEnds.size() + 1) > slots.size()) Grow();
    const std::size_t mask = slots.size() - 1;
    for (std::size_t at = std::hash<std::string_view>{}(title)&mask;; at = (at + 1) & mask) {
      const std::uint32_t number = slots[at];
      if (number == kNoTitle) {
        const std::size_t count = texts->titleEnds.size();
        if (count == kMostTitles || texts->titleChars.size() + title.size() > kNoTitle) {
          return std::nullopt;
        }
        texts->titleChars += title;
        texts->titleEnds.push_back(static_cast<std::uint32_t>(texts->titleChars.size()));
        slots[at] = static_cast<std::uint32_t>(count);
        return slots[at];
      }
      if (texts->Title(number) == title) return number;
    }
  }

  // "yyyy.mm.dd hh:mm " or "hh:mm ", exactly as TextInto writes it, so the pieces
  // make the line again byte for byte.
  // Its numbers, or nullopt when it is no such head.
  static std::optional<std::uint64_t> Head(std::string_view head) {
    const bool isLong = head.size() == 17;
    if (!isLong && head.size() != 6) return std::nullopt;
    const std::size_t time = isLong ? 11 : 0;
    const std::optional<unsigned> hour = Digits(head, time, 2);
    const std::optional<unsigned> minute = Digits(head, time + 3, 2);
    if (!hour || !minute || *hour > 31 || *minute > 63) return std::nullopt;
    if (head[time + 2] != ':' || head[time + 5] != ' ') return std::nullopt;
    const std::uint64_t numbers =
        Put(kForm, isLong ? 1 : 2) | Put(kHour, *hour) | Put(kMinute, *minute);
    if (!isLong) return numbers;
    const std::optional<unsigned> year = Digits(head, 0, 4);
    const std::optional<unsigned> month = Digits(head, 5, 2);
    const std::optional<unsigned> day = Digits(head, 8, 2);
    if (!year || !month || !day || *month > 15 || *day > 31) return std::nullopt;
    if (head[4] != '.' || head[7] != '.' || head[10] != ' ') return std::nullopt;
    return numbers | Put(kYear, *year) | Put(kMonth, *month) | Put(kDay, *day);
  }
};

void CompactLines(std::span<FoundProgramme> results) {
  LineMaker maker(results.size());
  // Made first, while every line taken apart is still there.
  std::vector<std::optional<ResultLine>> made;
  made.reserve(results.size());
  for (const FoundProgramme& f : results) {
    const std::optional<std::string_view> whole = f.line.Whole();
    made.push_back(whole && f.fields.titleAt != 0 ? maker.Pieces(*whole, f.fields) : std::nullopt);
  }
  for (std::size_t i = 0; i < results.size(); ++i) {
    if (made[i]) results[i].line = std::move(*made[i]);
  }
}

LineCompactor::LineCompactor() : maker_(std::make_unique<LineMaker>(0)) {}
LineCompactor::~LineCompactor() = default;

ResultLine LineCompactor::Made(std::string_view line, LineFields fields) {
  if (fields.titleAt != 0) {
    if (std::optional<ResultLine> made = maker_->Pieces(line, fields)) return std::move(*made);
  }
  return ResultLine(line);
}

std::string ListedLines::Line(std::size_t index) const { return OneLine(lines_[index].Text()); }

void ClearResults(TFindStruct& results) { TFindStruct().swap(results); }

void MoveResults(TFindStruct& to, TFindStruct& from, std::size_t expected) {
  MakeRoom(to, to.size() + from.size(), expected);
  to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
  from.clear();
}

namespace {

// A time as an integer of the same order: a double's bits order like it when
// positive and reversed when negative; -0 is +0, as the comparison takes it.
std::uint64_t OrderedBits(DateTime t) {
  const auto bits = std::bit_cast<std::uint64_t>(t == 0 ? 0.0 : t);
  return bits >> 63 ? ~bits : bits | (std::uint64_t{1} << 63);
}

// The positions of each time, times in ascending order and positions ascending
// within a time: the time's bits above the position, sorted 11 bits a pass (a
// stable pass keeps the positions' order). Empty when they do not fit together.
std::vector<std::uint64_t> PositionsByTime(const std::vector<DateTime>& starts, int positionBits) {
  std::uint64_t low = ~std::uint64_t{0};
  std::uint64_t high = 0;
  for (DateTime t : starts) {
    low = std::min(low, OrderedBits(t));
    high = std::max(high, OrderedBits(t));
  }
  const auto timeBits = static_cast<int>(std::bit_width(high - low));
  if (timeBits + positionBits > 64) return {};
  std::vector<std::uint64_t> packed(starts.size());
  for (std::size_t i = 0; i < starts.size(); ++i) {
    packed[i] = ((OrderedBits(starts[i]) - low) << positionBits) | i;
  }
  constexpr int kDigit = 11;
  std::vector<std::uint64_t> other(packed.size());
  for (int shift = positionBits; shift < positionBits + timeBits; shift += kDigit) {
    std::vector<std::uint32_t> first((std::size_t{1} << kDigit) + 1, 0);
    for (std::uint64_t v : packed) ++first[((v >> shift) & ((1u << kDigit) - 1)) + 1];
    for (std::size_t d = 1; d < first.size(); ++d) first[d] += first[d - 1];
    for (std::uint64_t v : packed) other[first[(v >> shift) & ((1u << kDigit) - 1)]++] = v;
    packed.swap(other);
  }
  return packed;
}

// The repeated-maximum sort run a time at a time, latest first, in O(n) after
// the grouping. The positions holding the greatest time left form a row: the
// first of them goes to the last position not yet placed, whose entry takes its
// place; when that entry holds the same time, the row loses its last position,
// otherwise its first (and the entry, of an earlier time, has moved). Empty when
// the times span too much to pack with positions.
std::vector<std::size_t> SortedByTimes(const std::vector<DateTime>& starts) {
  const std::size_t n = starts.size();
  const auto positionBits = static_cast<int>(std::bit_width(n));
  // Positions kept in 32 bits; longer lists than any search makes take the other way.
  if (n > (std::size_t{1} << 26)) return {};
  const std::vector<std::uint64_t> byTime = PositionsByTime(starts, positionBits);
  if (byTime.empty()) return {};
  const std::uint64_t positionMask = (std::uint64_t{1} << positionBits) - 1;
  std::vector<std::size_t> order(n);
  std::vector<std::uint32_t> at(n);  // each entry's position
  for (std::size_t i = 0; i < n; ++i) order[i] = at[i] = static_cast<std::uint32_t>(i);
  std::vector<std::size_t> row;
  std::vector<std::size_t> movedRow;
  std::size_t left = n;  // positions not yet placed: the last of them is left - 1
  for (std::size_t end = n; end > 0;) {
    std::size_t begin = end - 1;
    while (begin > 0 && (byTime[begin - 1] >> positionBits) == (byTime[end - 1] >> positionBits)) {
      --begin;
    }
    // Entries never moved keep their positions' order; those moved are sorted in.
    row.clear();
    movedRow.clear();
    for (std::size_t k = begin; k < end; ++k) {
      const std::size_t entry = byTime[k] & positionMask;
      (at[entry] == entry ? row : movedRow).push_back(at[entry]);
    }
    std::sort(movedRow.begin(), movedRow.end());
    const auto kept = static_cast<std::ptrdiff_t>(row.size());
    row.insert(row.end(), movedRow.begin(), movedRow.end());
    std::inplace_merge(row.begin(), row.begin() + kept, row.end());
    for (std::size_t front = 0, back = row.size(); front < back; --left) {
      const std::size_t m = row[front];
      const std::size_t last = left - 1;
      if (row[back - 1] == last) {
        --back;
      } else {
        ++front;  // the entry of an earlier time takes m
      }
      std::swap(order[m], order[last]);
      at[order[m]] = static_cast<std::uint32_t>(m);
    }
    end = begin;
  }
  return order;
}

}  // namespace

std::vector<std::size_t> SortedOrder(const std::vector<DateTime>& starts) {
  const bool nan =
      std::any_of(starts.begin(), starts.end(), [](DateTime t) { return std::isnan(t); });
  if (!nan) {
    std::vector<std::size_t> byTimes = SortedByTimes(starts);
    if (!byTimes.empty()) return byTimes;
  }
  // The tournament: for NaNs, and for times too far apart to pack.
  std::vector<std::size_t> order(starts.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  // The start times travel with the entries, so a comparison reads one array.
  std::vector<DateTime> start(starts);
  auto exchange = [&](std::size_t a, std::size_t b) {
    std::swap(order[a], order[b]);
    std::swap(start[a], start[b]);
  };
  if (!nan) {
    SortByRepeatedMaximum(
        order.size(), [&](std::size_t a, std::size_t b) { return start[b] > start[a]; },
        [] { return false; }, exchange);
    return order;
  }
  // A NaN compares greater than nothing and nothing compares greater than it, so
  // the scan never takes one, and one at position 0 keeps it there.
  SortByRepeatedMaximum(
      order.size(),
      [&](std::size_t a, std::size_t b) { return std::isnan(start[a]) || start[b] > start[a]; },
      [&] { return std::isnan(start[0]); }, exchange);
  return order;
}

void ApplyOrder(TFindStruct& r, std::vector<std::size_t> order) {
  if (order.size() != r.size()) return;
  // Follows each cycle of the permutation, marking a placed position as its own.
  for (std::size_t i = 0; i < r.size(); ++i) {
    if (order[i] == i) continue;
    FoundProgramme first = std::move(r[i]);
    std::size_t at = i;
    // The entries a cycle visits lie anywhere: asked for some steps ahead, they
    // are in the cache when moved.
    std::size_t ahead = order[i];
    for (int step = 0; step < 8 && ahead != i; ++step, ahead = order[ahead]) {
      __builtin_prefetch(&r[ahead]);
    }
    while (order[at] != i) {
      const std::size_t from = order[at];
      if (ahead != i) {
        __builtin_prefetch(&r[ahead]);
        ahead = order[ahead];
      }
      r[at] = std::move(r[from]);
      order[at] = at;
      at = from;
    }
    r[at] = std::move(first);
    order[at] = at;
  }
}

void SortResults(TFindStruct& r) {
  std::vector<DateTime> starts;
  starts.reserve(r.size());
  for (const FoundProgramme& f : r) starts.push_back(f.start);
  ApplyOrder(r, SortedOrder(starts));
}

std::string WrapHintLine(const std::string& line) {
  if (line.size() <= 70) return line;
  // Every 70th counted character finishes its word instead, and the blank after
  // the word becomes a line feed; the finished word's characters are not counted.
  std::string out;
  std::size_t i = 0;
  std::size_t count = 0;
  while (i < line.size()) {
    if (++count % 70 != 0) {
      out += line[i++];
      continue;
    }
    if (line[i] == ' ') {
      out += '\n';
      ++i;
      continue;
    }
    while (i < line.size() && line[i] != ' ') out += line[i++];
    if (i >= line.size()) break;
    out += '\n';
    ++i;
  }
  return out;
}

std::optional<ProgrammeFields> FieldsOf(std::string_view line, LineFields f) {
  const std::size_t titleEnd = std::size_t{f.titleAt} + f.titleLength;
  const std::size_t channelAt = titleEnd + f.dayLength + 2;
  if (f.titleAt == 0 || channelAt > line.size() || line[titleEnd] != '[' ||
      line[channelAt - 1] != ']') {
    return std::nullopt;
  }
  return ProgrammeFields{line.substr(f.titleAt, f.titleLength),
                         line.substr(titleEnd + 1, f.dayLength), line.substr(channelAt)};
}

LineFields NoteFields(std::string_view line, std::string_view channel, std::string_view dayName) {
  // "hh:mm " ends the head; a long line's date and a blank come before it.
  const bool isShort = line.size() >= 3 && line[2] == ':';
  const std::size_t firstBlank = line.find(' ');
  if (firstBlank == std::string_view::npos) return {};
  const std::size_t titleAt = isShort ? firstBlank + 1 : firstBlank + 7;
  const std::size_t tail = dayName.size() + channel.size() + 2;
  if (!line.ends_with(channel) || line.size() < titleAt + tail) return {};
  const std::size_t titleLength = line.size() - tail - titleAt;
  if (titleAt > 255 || titleLength > 255 || dayName.size() > 255) return {};
  const LineFields fields{static_cast<std::uint8_t>(titleAt),
                          static_cast<std::uint8_t>(titleLength),
                          static_cast<std::uint8_t>(dayName.size())};
  const std::optional<ProgrammeFields> back = FieldsOf(line, fields);
  if (!back || back->dayName != dayName) return {};
  return fields;
}

std::string OneLine(std::string_view line) {
  constexpr std::string_view kBreaks = "\r\n";
  // Two searches for one character each: find_first_of tests the line's every
  // character on its own, the cost of a whole search listing many results.
  if (line.find('\r') == std::string_view::npos && line.find('\n') == std::string_view::npos) {
    return std::string(line);
  }
  std::string out;
  out.reserve(line.size() + 8);
  for (std::size_t i = 0; i < line.size();) {
    if (kBreaks.find(line[i]) == std::string_view::npos) {
      out += line[i++];
      continue;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    while (i < line.size() && (line[i] == ' ' || kBreaks.find(line[i]) != std::string_view::npos)) {
      ++i;
    }
    out += " / ";
  }
  return out;
}

std::string ResultHint(const FoundProgramme& result, const std::vector<std::string>* keywordList) {
  const std::string line = OneLine(result.line.Text());
  if (line.empty() || line[0] == '-') return kResultListHint;
  CalendarFields f = DecodeDateTime(result.end);
  char endText[16];
  std::snprintf(endText, sizeof endText, "-%.2d:%.2d", f.hour, f.minute);
  std::size_t colon = line.find(':');
  std::size_t insertAt = std::min(line.size(), colon == std::string::npos ? 16 : colon + 3);
  std::string shown = line;
  shown.insert(insertAt, endText);

  const std::int32_t word = result.keywordIndex;
  std::string keyword = "-";
  if (keywordList && !keywordList->empty()) {
    if (word >= 0 && static_cast<std::size_t>(word) < keywordList->size()) {
      keyword = (*keywordList)[static_cast<std::size_t>(word)];
    } else {
      keyword = "keyword deleted or modified";
    }
  }
  return std::to_string(word + 1) + " [" + keyword + "]:\r" + WrapHintLine(shown);
}

std::string UnreadableNotice(const std::vector<std::string>& channels) {
  constexpr std::size_t kNamed = 3;
  std::string text = "-" + std::to_string(channels.size()) +
                     (channels.size() == 1 ? " channel" : " channels") + " could not be read: ";
  for (std::size_t i = 0; i < channels.size() && i < kNamed; ++i) {
    text += (i ? ", " : "") + channels[i];
  }
  if (channels.size() > kNamed)
    text += " and " + std::to_string(channels.size() - kNamed) + " more";
  return text;
}

std::string FoundCaption(std::size_t count, std::size_t unreadable) {
  std::string caption = "Find: " + std::to_string(count) + " found";
  if (unreadable > 0) caption += ", " + std::to_string(unreadable) + " unreadable";
  return caption;
}

ResultListing BuildResultList(const TFindStruct& results, DateTime now,
                              const EmptyListNotice& notice) {
  ResultListing listing;
  if (results.empty()) {
    if (!notice.unreadable.empty()) {
      listing.lines = {UnreadableNotice(notice.unreadable)};
    } else if (notice.databaseOutdated && notice.checkedChannels > 0) {
      listing.lines = {"-" + notice.messOldDataBase};
    } else {
      listing.lines = {"-no results found"};
    }
    return listing;
  }
  std::vector<ResultLine> lines;
  lines.reserve(results.size());
  for (const FoundProgramme& r : results) {
    lines.push_back(r.line);
    if (r.isNew && listing.marked.empty()) listing.marked.resize(results.size());
    if (r.isNew) listing.marked[lines.size() - 1] = true;
  }
  listing.results = std::make_shared<const ListedLines>(std::move(lines));

  const int n = static_cast<int>(results.size());
  double best = 45000;
  int bestIndex = n - 1;
  for (int i = 0; i < n; ++i) {
    const DateTime start = results[static_cast<std::size_t>(i)].start;
    const DateTime end = results[static_cast<std::size_t>(i)].end;
    if (end > now && start <= now) {
      listing.current = i;
      return listing;
    }
    auto minutes = static_cast<double>(WholeMinutesBetween(start, now));
    if (minutes < best && start >= now) {
      best = minutes;
      bestIndex = i;
    }
  }
  listing.current = bestIndex;
  return listing;
}

}  // namespace kolvar
