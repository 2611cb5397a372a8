#include "search/fast_matcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "search/keywords.h"
#include "search/line_memo.h"
#include "search/matcher.h"
#include "search/similarity.h"

namespace kolvar {
namespace {

// The literal rating is slow unoptimised, and sanitizers and Wine slow everything:
// those builds check fewer pairs. KOLVAR_DIFF_SCALE overrides: percent of the
// optimised build's count.
int Scaled(int count) {
  if (const char* env = std::getenv("KOLVAR_DIFF_SCALE")) {
    return static_cast<int>(count * std::atoll(env) / 100);
  }
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return count / 50;
#elif defined(_WIN32)
  return count / 10;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  return count / 50;
#endif
#endif
#ifdef NDEBUG
  return count;
#else
  return count / 15;
#endif
}

// Letters of both cases, Io and Ie in both cases, blanks and the line's brackets,
// and the edges of the ranges upper-casing treats alike (Ya, Lje, Yi): few enough
// that keys and lines often coincide.
constexpr char kAlphabet[] = {'a',
                              'A',
                              'b',
                              'B',
                              ' ',
                              '[',
                              ']',
                              '2',
                              '.',
                              '\xA8' /*Io*/,
                              '\xB8' /*io*/,
                              '\xC5' /*Ie*/,
                              '\xE5',
                              '\xC0',
                              '\xE0',
                              'x',
                              '\xFF' /*ya*/,
                              '\xDF' /*Ya*/,
                              '\x9A' /*lje*/,
                              '\xBF' /*yi*/};

class Generator {
 public:
  explicit Generator(unsigned seed) : random_(seed) {}

  int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

  std::string Text(int length) {
    std::string text;
    // Runs of one letter, blanks at word edges.
    while (static_cast<int>(text.size()) < length) {
      const char c = kAlphabet[Below(sizeof kAlphabet)];
      text.append(static_cast<std::size_t>(1 + (Below(4) == 0 ? Below(3) : 0)), c);
    }
    text.resize(static_cast<std::size_t>(length));
    return text;
  }

  // A key taken from the line and damaged: case changed, letters exchanged,
  // inserted or replaced, so that ratings land near every threshold.
  std::string KeyFrom(const std::string& line) {
    if (line.empty() || Below(5) == 0) return Text(Below(8));
    std::size_t from = static_cast<std::size_t>(Below(static_cast<int>(line.size())));
    std::size_t length = static_cast<std::size_t>(1 + Below(12));
    if (Below(2) == 0) {
      // Whole words, as mode 4 wants them.
      while (from > 0 && line[from - 1] != ' ') --from;
      const std::size_t end = line.find(' ', from + length);
      length = (end == std::string::npos ? line.size() : end) - from;
    }
    std::string key = line.substr(from, length);
    if (key.empty()) return Text(1 + Below(8));
    for (int edits = Below(3); edits > 0; --edits) {
      const std::size_t at = static_cast<std::size_t>(Below(static_cast<int>(key.size())));
      switch (Below(5)) {
        case 0:
          key[at] = UpperChar(key[at]);
          break;
        case 1:
          if (at + 1 < key.size()) std::swap(key[at], key[at + 1]);
          break;
        case 2:
          key.insert(at, 1, kAlphabet[Below(sizeof kAlphabet)]);
          break;
        case 3:
          key.back() = kAlphabet[Below(sizeof kAlphabet)];
          break;
        default:
          key[at] = kAlphabet[Below(sizeof kAlphabet)];
      }
    }
    if (Below(3) == 0) key = UpperCase(key);
    if (Below(8) == 0) key += Text(1 + Below(30));  // longer than the line
    return key;
  }

  std::string Line() {
    std::string title = Text(Below(4) == 0 ? Below(4) : Below(30));
    switch (Below(3)) {
      case 0:
        return "2007.03.05 21:30 " + title + "[Mo]ch1";
      case 1:
        return "21:30 " + title + "[Mo]ch1";
      default:
        return title;
    }
  }

  // The title in one of the frames the reader writes, with a date, time, day and
  // channel drawn from few enough that keys taken from one line meet the others,
  // or in a frame of any characters.
  std::string Framed(const std::string& title) {
    static const char* const kDays[] = {"Mo", "ab", "B\xA8", "xa", "Tu", "a", "AB", "2", "[ ]"};
    static const char* const kChannels[] = {"ch1", "ch2", "ab", "A b"};
    const std::string day = kDays[Below(static_cast<int>(std::size(kDays)))];
    const std::string channel = kChannels[Below(static_cast<int>(std::size(kChannels)))];
    char time[8];
    std::snprintf(time, sizeof time, "%02d:%02d", Below(24), Below(60));
    switch (Below(4)) {
      case 0:
        return "2007.03.0" + std::to_string(1 + Below(9)) + " " + time + " " + title + "[" + day +
               "]" + channel;
      case 1:
        return time + (" " + title) + "[" + day + "]" + channel;
      case 2:  // frames of any characters, where every position counts
        return Text(Below(16)) + title + Text(Below(8));
      default:
        return title;
    }
  }

 private:
  std::mt19937 random_;
};

// Each pair is decided at thresholds around its own literal rating and at a random
// one, including and excluding, so every decision boundary is crossed.
TEST(KeywordMatcherTest, DecidesEveryTermAsTheLiteralRating) {
  Generator gen(20261207);
  const int pairs = Scaled(1000000);
  long decisions = 0;
  for (int n = 0; n < pairs; ++n) {
    const std::string line = gen.Line();
    const std::string key = gen.KeyFrom(line);
    const int mode = gen.Below(8);
    const bool fromStart = gen.Below(2) == 0;
    const int rating = RateSimilarity(line, key, static_cast<FindMode>(mode), fromStart);
    const int precisions[] = {rating - 1, rating, rating + 1, gen.Below(103) - 1};
    for (int precision : precisions) {
      for (bool include : {true, false}) {
        const TParam term{key, static_cast<FindMode>(mode), precision, include};
        KeywordMatcher matcher(TWRD{{TSearchStrings{{term}, 1}}, 1}, fromStart);
        const bool fast = matcher.FirstMatch(line) == 0;
        const bool literal = include ? rating >= precision : rating <= precision;
        ASSERT_EQ(fast, literal) << "line=\"" << line << "\" key=\"" << key << "\" mode=" << mode
                                 << " precision=" << precision << " include=" << include
                                 << " start " << (fromStart ? 1 : 12) << " rating=" << rating;
        ++decisions;
      }
    }
  }
  RecordProperty("decisions", std::to_string(decisions));
}

// One term alone on one line, at each precision, including and excluding: the
// matcher decides as the literal rating does.
void ExpectTermAsLiteral(const std::string& line, const std::string& key, FindMode mode,
                         bool fromStart, std::initializer_list<int> precisions) {
  const int rating = RateSimilarity(line, key, mode, fromStart);
  for (int precision : precisions) {
    for (bool include : {true, false}) {
      const TParam term{key, mode, precision, include};
      KeywordMatcher matcher(TWRD{{TSearchStrings{{term}, 1}}, 1}, fromStart);
      const bool literal = include ? rating >= precision : rating <= precision;
      ASSERT_EQ(matcher.FirstMatch(line) == 0, literal)
          << "line=\"" << line << "\" key=\"" << key << "\" mode=" << mode
          << " precision=" << precision << " include=" << include;
    }
  }
}

// Keys of two to five characters that allow nothing unequal, with the line
// starting (at position 1 or just before the start position) with a variant of
// the key an exchange can mend: the key, two neighbours exchanged, a letter put in
// after the first or before the last, one left out inside, letters in another
// case.
TEST(KeywordMatcherTest, DecidesShortKeysNearTheLineStart) {
  Generator gen(35);
  for (int n = 0; n < Scaled(200000); ++n) {
    std::string key = gen.Text(2 + gen.Below(4));
    std::string variant = key;
    if (gen.Below(2) == 0) key = UpperCase(key);
    const std::size_t at = static_cast<std::size_t>(gen.Below(static_cast<int>(key.size()) - 1));
    switch (gen.Below(6)) {
      case 0:
        std::swap(variant[at], variant[at + 1]);
        break;
      case 1:
        variant.insert(1, 1, kAlphabet[gen.Below(sizeof kAlphabet)]);
        break;
      case 2:
        variant.insert(variant.size() - 1, 1, kAlphabet[gen.Below(sizeof kAlphabet)]);
        break;
      case 3:
        variant[at] = UpperChar(variant[at]);
        break;
      case 4:
        if (variant.size() >= 3) variant.erase(1 + at % (variant.size() - 2), 1);
        break;
      default:
        break;
    }
    const bool fromStart = gen.Below(2) == 0;
    const std::string before = fromStart ? gen.Text(gen.Below(2)) : gen.Text(9 + gen.Below(3));
    const std::string line = before + variant + gen.Text(gen.Below(6));
    const auto mode = static_cast<FindMode>(1 + gen.Below(6));
    const int rating = RateSimilarity(line, key, mode, fromStart);
    ASSERT_NO_FATAL_FAILURE(
        ExpectTermAsLiteral(line, key, mode, fromStart, {100, 99, rating, rating + 1}));
  }
}

// Keys of four to thirteen characters that allow one unequal letter, in a line that
// holds the key with one letter replaced and two neighbours exchanged, the
// exchange anywhere from the character before the key to the one after it: each
// half of the key must find the windows where it alone is left equal. The key
// stands at the start position, at the line's end, or both.
TEST(KeywordMatcherTest, DecidesOneLetterKeysAroundTheirHalves) {
  Generator gen(3501);
  for (int n = 0; n < Scaled(300000); ++n) {
    const int k = 4 + gen.Below(10);
    const std::string key = UpperCase(gen.Text(k));
    const bool fromStart = gen.Below(2) == 0;
    const std::string before = gen.Text(fromStart ? gen.Below(2) : 10 + gen.Below(2));
    std::string line = before + key + gen.Text(gen.Below(2));
    if (gen.Below(2) == 0) {
      line[before.size() + static_cast<std::size_t>(gen.Below(k))] =
          kAlphabet[gen.Below(sizeof kAlphabet)];
    }
    const int at = static_cast<int>(before.size()) - 1 + gen.Below(k + 1);
    if (at >= 0 && at + 1 < static_cast<int>(line.size())) {
      std::swap(line[static_cast<std::size_t>(at)], line[static_cast<std::size_t>(at + 1)]);
    }
    const auto mode = gen.Below(2) == 0 ? kFindExchanges : kFindWordsOrExchanges;
    const int rating = RateSimilarity(line, key, mode, fromStart);
    ASSERT_NO_FATAL_FAILURE(ExpectTermAsLiteral(line, key, mode, fromStart,
                                                {RatingPercent(k - 1, k), rating, rating + 1}));
  }
}

// One matcher over lines in order, as a search run uses it, beside MatchProgramme:
// the same answer for every line, then the same results.
void ExpectMatchesAsLiteral(const TWRD& keywords, bool fromStart,
                            const std::vector<std::string>& lines, int mode,
                            std::span<const std::string> dayNames = {}) {
  KeywordMatcher matcher(keywords, fromStart, dayNames);
  TFindStruct literal, fast;
  DateTime start = 39146.0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    start += 0.01;
    ASSERT_EQ(matcher.Match(fast, lines[i], start),
              MatchProgramme(literal, lines[i], start, keywords, fromStart))
        << "line " << i << " \"" << lines[i] << "\" mode " << mode;
  }
  ASSERT_EQ(fast, literal);
}

// Whole keyword lists, one matcher for many lines as the search run uses it: the
// same first keyword, the same appended entries, the same closing of the last one.
TEST(KeywordMatcherTest, AppendsWhatMatchProgrammeAppends) {
  Generator gen(7);
  for (int list = 0; list < Scaled(15000); ++list) {
    const bool fromStart = gen.Below(2) == 0;
    std::vector<std::string> lines(20);
    for (std::string& line : lines) line = gen.Below(6) == 0 ? std::string() : gen.Line();
    TWRD keywords;
    for (int k = gen.Below(5); k > 0; --k) {
      TSearchStrings keyword;
      for (int t = gen.Below(4); t > 0; --t) {
        const std::string& from = lines[static_cast<std::size_t>(gen.Below(20))];
        keyword.Params.push_back({gen.KeyFrom(from), static_cast<FindMode>(gen.Below(8)),
                                  gen.Below(103) - 1, gen.Below(3) != 0});
      }
      keyword.Count = static_cast<std::int32_t>(keyword.Params.size());
      keywords.Items.push_back(keyword);
    }
    keywords.Count = static_cast<std::int32_t>(keywords.Items.size());
    ASSERT_NO_FATAL_FAILURE(ExpectMatchesAsLiteral(keywords, fromStart, lines, -1));
  }
}

// One channel's lines: few titles in frames of every kind, so that lines meet
// earlier ones of their title, and keys taken from the titles and frames alike,
// in every mode. A matcher that remembered a title's decisions would have to
// tell its frames apart: its day names are those of most frames, of the letters
// the keys are made of.
TEST(KeywordMatcherTest, DecidesRepeatedTitlesInEveryFrameAsMatchProgramme) {
  static const std::string kDayNames[] = {"Mo", "ab", "B\xA8", "xa", "Tu", "ab", "Mo"};
  Generator gen(35);
  for (int list = 0; list < Scaled(6000); ++list) {
    const bool fromStart = gen.Below(2) == 0;
    const int mode = list % 8;
    std::vector<std::string> titles(1 + gen.Below(3));
    for (std::string& title : titles) title = gen.Text(gen.Below(20));
    // Every other line may be the one before with a single character changed:
    // lines one character apart meet only if that character plays no part.
    std::vector<std::string> lines(40);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (i % 2 == 1 && !lines[i - 1].empty() && gen.Below(2) == 0) {
        lines[i] = lines[i - 1];
        // Near the start more often: there the start position and the keys'
        // lengths decide which characters windows read.
        const int size = static_cast<int>(lines[i].size());
        const int at = gen.Below(2) == 0 ? gen.Below(std::min(size, 14)) : gen.Below(size);
        lines[i][static_cast<std::size_t>(at)] = kAlphabet[gen.Below(sizeof kAlphabet)];
      } else {
        lines[i] = gen.Framed(
            titles[static_cast<std::size_t>(gen.Below(static_cast<int>(titles.size())))]);
      }
    }
    TWRD keywords;
    for (int k = 1 + gen.Below(4); k > 0; --k) {
      TSearchStrings keyword;
      for (int t = 1 + gen.Below(3); t > 0; --t) {
        const std::string& from = lines[static_cast<std::size_t>(gen.Below(40))];
        const int termMode = gen.Below(4) == 0 ? gen.Below(8) : mode;
        const std::string key = gen.KeyFrom(from);
        // Thresholds near the key's rating on its own line, so frames tip them.
        const int rating = RateSimilarity(from, key, static_cast<FindMode>(termMode), fromStart);
        keyword.Params.push_back({key, static_cast<FindMode>(termMode),
                                  gen.Below(2) == 0 ? rating - gen.Below(2) : gen.Below(103) - 1,
                                  gen.Below(3) != 0});
      }
      keyword.Count = static_cast<std::int32_t>(keyword.Params.size());
      keywords.Items.push_back(keyword);
    }
    keywords.Count = static_cast<std::int32_t>(keywords.Items.size());
    ASSERT_NO_FATAL_FAILURE(ExpectMatchesAsLiteral(keywords, fromStart, lines, mode, kDayNames));
  }
}

// A title on every day of the week, keys cut from around its day name (a key
// can then hold a day's letters beside the title's end or the channel's start)
// and damaged, thresholds near their rating: a day's letters tip some of them,
// through an exchange, a letter changed or a bracket counted unequal.
TEST(KeywordMatcherTest, DecidesATitleOnEveryDayAsMatchProgramme) {
  static const std::string kDayNames[] = {"Mo", "ab", "B\xA8", "xa", "Tu", "bA", "aB"};
  Generator gen(36);
  for (int list = 0; list < Scaled(6000); ++list) {
    const bool fromStart = gen.Below(2) == 0;
    // Half of them in modes 5 and 6, whose exchanges reach over a bracket.
    const auto mode = static_cast<FindMode>(list % 2 == 0 ? 5 + list / 2 % 2 : 1 + list / 2 % 4);
    const std::string title = gen.Text(gen.Below(10));
    const std::string channel = gen.Text(1 + gen.Below(5));
    // Now and then a name closed but not opened, which is no day name.
    const std::string open = gen.Below(8) == 0 ? std::string(1, kAlphabet[gen.Below(5)]) : "[";
    // Often a second title of the channel, as long: the day tips each through
    // keywords of its own, which the matcher then keeps apart.
    std::vector<std::string> titles = {title};
    if (gen.Below(2) == 0) titles.push_back(gen.Text(static_cast<int>(title.size())));
    std::vector<std::string> lines;
    for (int week = 0; week < 2; ++week) {
      for (const std::string& day : kDayNames) {
        for (const std::string& text : titles) {
          lines.push_back("2007.03.0" + std::to_string(1 + gen.Below(9)) + " 21:30 " + text + open +
                          day + "]" + channel);
        }
      }
    }
    const int day = 18 + static_cast<int>(title.size());
    TWRD keywords;
    // Two titles, more keywords: a few of them before a title's first may then be
    // all the day can tip, and each title has its own few.
    for (int k = 1 + gen.Below(4 * static_cast<int>(titles.size())); k > 0; --k) {
      TSearchStrings keyword;
      for (int t = 1 + gen.Below(2); t > 0; --t) {
        const std::string& line =
            lines[static_cast<std::size_t>(gen.Below(static_cast<int>(lines.size())))];
        // Cut from the line or from a copy with two neighbours by the name exchanged.
        std::string from = line;
        if (gen.Below(2) == 0) {
          const auto e = static_cast<std::size_t>(day - 2 + gen.Below(5));
          if (e + 1 < from.size()) std::swap(from[e], from[e + 1]);
        }
        const int length = 1 + gen.Below(9);
        const int at =
            std::clamp(day + 1 - gen.Below(length + 2), 0, static_cast<int>(from.size()) - length);
        std::string key =
            from.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(length));
        // Keys seldom hold a bracket: most lose or change theirs.
        const int brackets = gen.Below(3);
        if (brackets == 0) std::erase_if(key, [](char c) { return c == '[' || c == ']'; });
        for (char& c : key) {
          if ((c == '[' || c == ']') && brackets == 1) c = kAlphabet[gen.Below(5)];
        }
        if (key.empty()) key = "a";
        // An exchange often just before the name, where it is mended in the title.
        const auto edit =
            static_cast<std::size_t>(gen.Below(2) == 0 ? std::max(day - 3 - at, 0)
                                                       : gen.Below(static_cast<int>(key.size())));
        if (gen.Below(2) == 0 && edit + 1 < key.size()) std::swap(key[edit], key[edit + 1]);
        if (gen.Below(4) == 0) key[edit] = kAlphabet[gen.Below(sizeof kAlphabet)];
        if (mode == kFindUpperCase || gen.Below(3) == 0) key = UpperCase(key);
        const int rating = RateSimilarity(line, key, mode, fromStart);
        keyword.Params.push_back(
            {key, mode, gen.Below(3) != 0 ? rating - gen.Below(2) : rating + 1, gen.Below(4) != 0});
      }
      keyword.Count = static_cast<std::int32_t>(keyword.Params.size());
      keywords.Items.push_back(keyword);
    }
    keywords.Count = static_cast<std::int32_t>(keywords.Items.size());
    ASSERT_NO_FATAL_FAILURE(ExpectMatchesAsLiteral(keywords, fromStart, lines, mode, kDayNames));
  }
}

// A title at many dates, times and days, and keys holding digits ("F1", "3D")
// cut from around its time or its day name and damaged, thresholds at their
// rating: the clock's digits tip some of them, through a window, an exchange
// with the title's first letter, or the date and time as whole words. One
// keyword without a digit comes too, as users' lists have them.
TEST(KeywordMatcherTest, DecidesATitleAtEveryTimeAsMatchProgramme) {
  static const std::string kDayNames[] = {"Mo", "ab", "B\xA8", "xa", "Tu", "bA", "aB"};
  static const char kDigits[] = "0123";
  Generator gen(37);
  auto digit = [&] { return kDigits[gen.Below(4)]; };
  for (int list = 0; list < Scaled(30000); ++list) {
    const bool fromStart = gen.Below(4) == 0;
    const auto mode = static_cast<FindMode>(1 + list % 6);
    // Titles with a digit, often first ("24", "3D"): there a key's walk over
    // the time can tip the title's first word.
    std::string title = gen.Text(gen.Below(8));
    for (int d = gen.Below(3); d > 0; --d) {
      title.insert(
          title.begin() + (gen.Below(2) == 0 ? 0 : gen.Below(static_cast<int>(title.size()) + 1)),
          digit());
    }
    const std::string channel = gen.Text(gen.Below(3)) + digit();
    std::vector<std::string> lines;
    for (int n = 0; n < 16; ++n) {
      const std::string date = std::string("2007.03.") + digit() + digit();
      const std::string time = std::string() + digit() + digit() + ":" + digit() + digit();
      lines.push_back(date + " " + time + " " + title + "[" + kDayNames[gen.Below(7)] + "]" +
                      channel);
    }
    TWRD keywords;
    for (int k = 1 + gen.Below(4); k > 0; --k) {
      const std::string& line = lines[static_cast<std::size_t>(gen.Below(16))];
      const int length = 1 + gen.Below(gen.Below(3) == 0 ? 11 : 4);
      const int near = gen.Below(2) == 0 ? 11 + gen.Below(7) : static_cast<int>(line.rfind('['));
      const int at =
          std::clamp(near - gen.Below(length + 1), 0, static_cast<int>(line.size()) - length);
      std::string key = line.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(length));
      if (gen.Below(2) == 0 && key.size() > 1) {
        const auto e = static_cast<std::size_t>(gen.Below(static_cast<int>(key.size()) - 1));
        std::swap(key[e], key[e + 1]);
      }
      const auto edit = static_cast<std::size_t>(gen.Below(static_cast<int>(key.size())));
      if (gen.Below(3) == 0) key[edit] = digit();
      // A letter too many, which whole words' walks tolerate, the shift then carried on.
      if (gen.Below(3) == 0) key.insert(edit + 1, 1, kAlphabet[gen.Below(sizeof kAlphabet)]);
      if (std::none_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        key[0] = digit();  // keys that begin with a digit tip whole words' walks
      }
      if (mode == kFindUpperCase || (mode > kFindUpperCase && gen.Below(2) == 0)) {
        key = UpperCase(key);
      }
      // Users' lists hold one key in many keywords, at other thresholds.
      if (!keywords.Items.empty() && gen.Below(4) == 0) key = keywords.Items[0].Params[0].Word;
      const int rating = RateSimilarity(line, key, mode, fromStart);
      keywords.Items.push_back({{{key, mode, rating - gen.Below(2), gen.Below(4) != 0}}, 1});
    }
    std::string plain = UpperCase(gen.Text(1 + gen.Below(3)));
    std::replace(plain.begin(), plain.end(), '2', 'x');
    const int before = gen.Below(static_cast<int>(keywords.Items.size()) + 1);
    keywords.Items.insert(keywords.Items.begin() + before,
                          {{{plain, mode, 60 + gen.Below(41), true}}, 1});
    keywords.Count = static_cast<std::int32_t>(keywords.Items.size());
    ASSERT_NO_FATAL_FAILURE(ExpectMatchesAsLiteral(keywords, fromStart, lines, mode, kDayNames));
  }
}

// A hand-edited keyword of 10 000 characters and 1 000 terms, with the modes the
// syntax takes and some it refuses, decides as the literal matching does.
TEST(KeywordMatcherTest, AKeywordOfAThousandTerms) {
  std::string text;
  for (int t = 0; t < 1000; ++t) {
    if (t > 0) text += '&';
    text += (t % 7 == 0 ? "!Snooke@" : "Weathe@") + std::to_string(t % 8);
    if (t % 7 != 0) text += 'r';
  }
  text += 'x';
  ASSERT_EQ(text.size(), 10000u);
  const TWRD keywords = ParseKeywords({text, "Film"}, {kFindUpperCase, 86}, nullptr);
  ASSERT_EQ(keywords.Items[0].Params.size(), 1000u);
  for (const bool fromStart : {false, true}) {
    KeywordMatcher matcher(keywords, fromStart);
    TFindStruct literal, fast;
    DateTime start = 39146.0;
    for (const char* line : {"2026.12.07 14:30 Weather[Mo]ch001", "", "07.12 Film Weather",
                             "2026.12.07 14:30 Snooker Weather[Mo]ch002", "x"}) {
      start += 0.01;
      ASSERT_EQ(matcher.Match(fast, line, start),
                MatchProgramme(literal, line, start, keywords, fromStart));
    }
    EXPECT_EQ(fast, literal);
  }
}

// Mode 4's tolerant pass keeps the shift a fully walked window ended with: here
// the first word is walked to its end one letter behind, so the second is read one
// position behind and no longer counts in that pass.
TEST(KeywordMatcherTest, CarriesTheToleratedLetterIntoTheNextWindow) {
  const std::string line = "ACZ ABD";
  ASSERT_EQ(RateSimilarity(line, "ABCD", kFindWholeWords, true), 75);
  for (int precision : {75, 76, 100}) {
    const TParam term{"ABCD", kFindWholeWords, precision, true};
    KeywordMatcher matcher(TWRD{{TSearchStrings{{term}, 1}}, 1}, true);
    EXPECT_EQ(matcher.FirstMatch(line) == 0, precision <= 75) << precision;
  }
}

// Lines meet in the memo exactly when they differ only in digits: a byte of any
// value, at the start, inside or across a run of 16 and in the tail, is known
// again as itself or (a digit) as any digit, and never as another byte.
TEST(LineMemoTest, LinesMeetOnlyWhenAlikeButForDigits) {
  const std::string line = "12:30 Title of a programme, part 7[Mo]Channel";
  for (std::size_t at :
       {std::size_t{0}, std::size_t{9}, std::size_t{15}, std::size_t{16}, line.size() - 1}) {
    for (int b = 0; b < 256; ++b) {
      matching::LineMemo memo;
      std::string stored = line;
      stored[at] = static_cast<char>(b);
      ASSERT_EQ(memo.Find(stored), nullptr);
      memo.Store(b);
      for (int c = 0; c < 256; ++c) {
        std::string asked = stored;
        asked[at] = static_cast<char>(c);
        const bool digits = std::isdigit(b) && std::isdigit(c);
        const int* known = memo.Find(asked);
        ASSERT_EQ(known != nullptr, b == c || digits) << at << ' ' << b << ' ' << c;
        if (known) {
          ASSERT_EQ(*known, b);
        }
      }
    }
  }
}

}  // namespace
}  // namespace kolvar
