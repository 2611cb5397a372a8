#include "settings/settings_file.h"

#include <algorithm>
#include <optional>

#include "base/cp1251.h"
#include "base/file_io.h"
#include "base/numbers.h"

namespace kolvar {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Reads the text as the files users already have were written to be read:
// character by character, where skipping crosses line ends, and whole lines end
// at LF.
class PositionalReader {
 public:
  explicit PositionalReader(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }

  // Where the item being read begins, for the report of a failure.
  void Mark() { mark_ = pos_; }
  // The 1-based number and the text (CRs dropped) of the line the mark is on.
  int MarkedLineNumber() const {
    return 1 + static_cast<int>(std::count(text_.begin(), text_.begin() + mark_, '\n'));
  }
  std::string MarkedLine() const {
    const std::size_t begin = text_.rfind('\n', mark_ == 0 ? 0 : mark_ - 1);
    const std::size_t from = mark_ == 0 || begin == std::string_view::npos ? 0 : begin + 1;
    std::string line;
    for (std::size_t i = from; i < text_.size() && text_[i] != '\n'; ++i) {
      if (text_[i] != '\r') line += text_[i];
    }
    return line;
  }

  // Consumes n characters, whatever they are (line ends included).
  void Skip(std::size_t n) { pos_ = std::min(text_.size(), pos_ + n); }

  // The next character, consumed; nullopt at the end.
  std::optional<char> Char() {
    if (AtEnd()) return std::nullopt;
    return text_[pos_++];
  }

  // The rest of the line up to LF, which is consumed; CRs are dropped.
  std::string Line() {
    std::string out;
    while (!AtEnd()) {
      char c = text_[pos_++];
      if (c == '\n') break;
      if (c != '\r') out += c;
    }
    return out;
  }

  // Blanks (and line ends) skipped, then up to 32 non-blank characters that must
  // be a decimal integer; the rest of the line is dropped.
  std::optional<std::int32_t> Integer() {
    while (!AtEnd() && static_cast<unsigned char>(text_[pos_]) <= ' ') ++pos_;
    std::size_t start = pos_;
    while (!AtEnd() && pos_ - start < 32 && static_cast<unsigned char>(text_[pos_]) > ' ') ++pos_;
    std::string_view word = text_.substr(start, pos_ - start);
    Line();
    return ParseInt32(word);
  }

  // A list: lines up to (not including) an empty one or one that begins with a
  // blank, which is consumed, or the end of the text.
  std::vector<std::string> List() {
    std::vector<std::string> items;
    while (!AtEnd()) {
      std::string line = Line();
      if (line.empty() || line[0] == ' ') break;
      items.push_back(std::move(line));
    }
    return items;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t mark_ = 0;
};

// The first failed check; it ends the load.
struct Failure {
  const char* reason;
  std::string expected;
};

// The loader skips exactly as many characters as the writer puts in front of a
// value, so one label serves both.
struct IntegerLine {
  std::string_view label;
  std::int32_t TSettings::*field;
  bool (*valid)(std::int32_t);
  const char* reason;     // the failure when the value is not valid
  std::int32_t fallback;  // what the writer puts for a value the loader would refuse
  const char* range;      // the valid values, in words
};

bool Any(std::int32_t) { return true; }

struct BoolLine {
  const char* written;  // the label as written, before " = TRUE" or " = FALSE"
  const char* upper;    // the whole line, upper-cased, that means true
  bool TSettings::*field;
};

struct TextLine {
  std::string_view label;
  std::string TSettings::*field;
};

const BoolLine kBoolLines[] = {
    {"FullSearch", "FULLSEARCH = TRUE", &TSettings::FullSearch},
    {"Sorted", "SORTED = TRUE", &TSettings::Sorted},
    {"Remind", "REMIND = TRUE", &TSettings::Remind},
    {"RemindStatusShowing", "REMINDSTATUSSHOWING = TRUE", &TSettings::RemindStatusShowing},
    {"ShowInPref", "SHOWINPREF = TRUE", &TSettings::ShowInPref},
    {"Notice Understood", "NOTICE UNDERSTOOD = TRUE", &TSettings::NoticeUnderstood},
};

const IntegerLine kIntegerLines[] = {
    {"BeatDelay = ", &TSettings::BeatDelay, [](std::int32_t v) { return v >= 1; },
     "Load Error: Beat delay", 1, " of 1 or more"},
    {"NotiseDelay = ", &TSettings::NotiseDelay, Any, "", 0, ""},
    {"PreviewTime = ", &TSettings::PreviewTime, Any, "", 0, ""},
    {"Hour To End = ", &TSettings::HourToEnd, Any, "", 0, ""},
    {"Priority = ", &TSettings::Priority, [](std::int32_t v) { return v >= -3 && v <= 3; },
     "Load Error: Bad priority", 0, " from -3 to 3"},
    {"Repeat Count = ", &TSettings::RepeatCount, [](std::int32_t v) { return v >= -1 && v != 0; },
     "Load Error: Bad repeat count", -1, ", -1 or 1 or more"},
    {"MAX_RESULT_COUNT = ", &TSettings::MaxResultCount, [](std::int32_t v) { return v >= 0; },
     "Load Error: Bad MAX_RESULT_COUNT value", 0, " of 0 or more"},
    {"Until Minutes = ", &TSettings::UntilMinutes, [](std::int32_t v) { return v >= 5; },
     "Load Error: Bad until minutes value", 5, " of 5 or more"},
};

const TextLine kMessageLines[] = {
    {"MessConfirmUnd = ", &TSettings::MessConfirmUnd},
    {"MessEndOfList = ", &TSettings::MessEndOfList},
    {"MessListDNTCreate = ", &TSettings::MessListDNTCreate},
    {"MessListCreate = ", &TSettings::MessListCreate},
    {"MessRemindWasOff = ", &TSettings::MessRemindWasOff},
    {"MessRemindOn = ", &TSettings::MessRemindOn},
    {"MessRemindOff = ", &TSettings::MessRemindOff},
    {"MessNothingForShow = ", &TSettings::MessNothingForShow},
    {"MessSearchStarting = ", &TSettings::MessSearchStarting},
    {"MessSearchComplete = ", &TSettings::MessSearchComplete},
    {"MessUntilNoResults = ", &TSettings::MessUntilNoResults},
    {"MessOldDataBase = ", &TSettings::MessOldDataBase},
};

constexpr std::string_view kPathLabel = "PATH = ";
constexpr std::string_view kFindModeLabel = "Find_Mode = ";
constexpr std::string_view kRateLabel = "Congeniality rate = ";
constexpr std::string_view kDaysLabel = "[Days Of Week] = [ ";
constexpr std::string_view kCalendarHeader = "[Calendar file]";

std::string IntegerExpected(std::string_view label, std::string_view range) {
  return "\"" + std::string(label) + "\" and a whole number" + std::string(range);
}

void ReadInteger(PositionalReader& in, std::string_view label, std::int32_t& field) {
  in.Mark();
  in.Skip(label.size());
  auto value = in.Integer();
  if (!value) throw Failure{"Load Error: not a number", IntegerExpected(label, "")};
  field = *value;
}

// afterList: the header follows a list, which ends at its first empty line or
// line beginning with a blank, so such a line inside it puts the rest here.
void ExpectHeader(PositionalReader& in, std::string_view header, const char* reason,
                  bool afterList = false) {
  in.Mark();
  if (in.Line() == header) return;
  std::string expected = "the line \"" + std::string(header) + "\", letter case as here";
  if (afterList) {
    expected += " (the list above it ends at an empty line or a line beginning with a blank)";
  }
  throw Failure{reason, std::move(expected)};
}

void Load(PositionalReader& in, TSettings& s) {
  ExpectHeader(in, "[Kolvar Settings]", "Load Error: [Kolvar Settings]");
  in.Skip(1);
  in.Line();
  in.Skip(kPathLabel.size());
  s.Path = in.Line();
  ReadInteger(in, kFindModeLabel, s.FindMode);
  ReadInteger(in, kRateLabel, s.CongenialityRate);
  for (const auto& b : kBoolLines) s.*b.field = UpperCase(in.Line()) == b.upper;
  for (const auto& i : kIntegerLines) {
    ReadInteger(in, i.label, s.*i.field);
    if (!i.valid(s.*i.field)) throw Failure{i.reason, IntegerExpected(i.label, i.range)};
  }
  for (const auto& m : kMessageLines) {
    in.Skip(m.label.size());
    s.*m.field = in.Line();
  }
  in.Skip(1);
  in.Line();
  ExpectHeader(in, "[Out str format]", "Load Error: [Out format str]");
  s.OutStrFormat = in.Line();
  in.Skip(1);
  in.Line();
  in.Skip(kDaysLabel.size());
  for (auto& day : s.DaysOfWeek) {
    day.clear();
    for (int k = 0; k < 2; ++k) {
      if (auto c = in.Char()) day += *c;
    }
    in.Skip(1);
  }
  in.Skip(1);
  in.Line();
  in.Skip(1);
  in.Line();
  ExpectHeader(in, "[Months List]", "Load Error: [MonthList]");
  for (auto& month : s.MonthsList) month = in.Line();
  in.Skip(1);
  in.Line();
  ExpectHeader(in, "[Channels]", "Load Error: [Channals]");
  s.Channels = in.List();
  s.ChannelCount = static_cast<std::int32_t>(s.Channels.size());
  ExpectHeader(in, "[Words]", "Load Error: [Words]", true);
  for (auto& word : in.List()) s.Words.push_back(std::move(word));
  s.WordCount = static_cast<std::int32_t>(s.Words.size());
  ExpectHeader(in, "[Time Shifts]", "Load Error: [Time Shifts]", true);
  s.TimeShifts = in.List();
  s.TimeShiftCount = static_cast<std::int32_t>(s.TimeShifts.size());
  // Added after the lists, behind the line that ends them: a file without it
  // reads as before, and an older plug-in reading this one stops at that line.
  s.CalendarFile.clear();
  if (!in.AtEnd() && in.Line() == kCalendarHeader) s.CalendarFile = in.Line();
}

// ---- Writing ----

void AppendList(std::string& out, const std::vector<std::string>& items, std::int32_t count) {
  std::size_t n = std::min<std::size_t>(items.size(), static_cast<std::size_t>(std::max(count, 0)));
  for (std::size_t i = 0; i < n; ++i) {
    if (auto entry = ListLine(items[i])) out += *entry + "\r\n";
  }
}

}  // namespace

std::string SingleLine(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c != '\r' && c != '\n') out += c;
  }
  return out;
}

std::optional<std::string> ListLine(std::string_view text) {
  std::string line = SingleLine(text);
  std::size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  return line.substr(first);
}

int LoadSettingsText(std::string_view text, TSettings& settings, LoadFailure* failure) {
  PositionalReader in(text);
  try {
    Load(in, settings);
  } catch (const Failure& f) {
    if (failure) {
      *failure = LoadFailure{f.reason, in.MarkedLineNumber(), in.MarkedLine(), f.expected,
                             text.starts_with(kUtf8ByteOrderMark)};
    }
    return -1;
  }
  return 1;
}

int LoadSettings(const std::string& path, TSettings& settings, LoadFailure* failure) {
  std::optional<std::string> text = ReadWholeFile(path);
  if (!text) {
    if (failure) *failure = LoadFailure{.reason = "Load Error: cannot read " + path};
    return -1;
  }
  return LoadSettingsText(*text, settings, failure);
}

std::string LoadErrorText(const std::string& path, const LoadFailure& failure) {
  std::string text = "Load Error\r\n\r\n";
  if (failure.line == 0) return text + "The file " + path + " could not be read.";
  // A long line is cut: the box is for finding the place, not for reading it all.
  constexpr std::size_t kShown = 80;
  std::string found = failure.found.substr(0, kShown);
  if (failure.found.size() > kShown) found += "...";
  text += path + ", line " + std::to_string(failure.line) + ":\r\nexpected " + failure.expected +
          ",\r\nfound \"" + found + "\".";
  if (failure.byteOrderMark) {
    text +=
        "\r\n\r\nThe file begins with a UTF-8 byte order mark: save it as ANSI "
        "(Windows-1251) text.";
  }
  return text;
}

std::string SettingsText(const TSettings& s) {
  std::string out;
  auto line = [&out](std::string_view text) {
    out += text;
    out += "\r\n";
  };
  line("[Kolvar Settings]");
  line(" ");
  line(std::string(kPathLabel) + SingleLine(s.Path));
  line(std::string(kFindModeLabel) + std::to_string(s.FindMode));
  line(std::string(kRateLabel) + std::to_string(s.CongenialityRate));
  for (const auto& b : kBoolLines) {
    line(std::string(b.written) + (s.*b.field ? " = TRUE" : " = FALSE"));
  }
  for (const auto& i : kIntegerLines) {
    std::int32_t value = s.*i.field;
    line(std::string(i.label) + std::to_string(i.valid(value) ? value : i.fallback));
  }
  for (const auto& m : kMessageLines) line(std::string(m.label) + SingleLine(s.*m.field));
  line(" ");
  line("[Out str format]");
  line(SingleLine(s.OutStrFormat));
  line(" ");
  std::string days(kDaysLabel);
  for (const auto& day : s.DaysOfWeek) {
    std::string name = SingleLine(day).substr(0, 2);
    name.resize(2, ' ');
    days += name + " ";
  }
  line(days + "]");
  line(" ");
  line("[Months List]");
  for (const auto& month : s.MonthsList) line(SingleLine(month));
  line(" ");
  line("[Channels]");
  AppendList(out, s.Channels, s.ChannelCount);
  line(" ");
  line("[Words]");
  AppendList(out, s.Words, s.WordCount);
  line(" ");
  line("[Time Shifts]");
  AppendList(out, s.TimeShifts, s.TimeShiftCount);
  if (const std::string calendar = SingleLine(s.CalendarFile); !calendar.empty()) {
    line(" ");
    line(kCalendarHeader);
    line(calendar);
  }
  return out;
}

int WriteSettings(const std::string& path, const TSettings& settings, std::string* reason) {
  const FileStatus written = WriteFileAtomic(path, SettingsText(settings));
  if (written) return 1;
  if (reason) *reason = kCannotWrite + path + written.Because();
  return -1;
}

}  // namespace kolvar
