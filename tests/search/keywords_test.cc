#include "search/keywords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolvar {
namespace {

constexpr KeywordDefaults kMode1{.FindMode = kFindExact, .CongenialityRate = 86};
constexpr KeywordDefaults kMode3{.FindMode = kFindUpperCase, .CongenialityRate = 86};

struct Parsed {
  TWRD keywords;
  std::vector<std::string> messages;
};

Parsed Parse(const std::vector<std::string>& lines, const KeywordDefaults& defaults = kMode1) {
  Parsed parsed;
  parsed.keywords = ParseKeywords(
      lines, defaults, [&](const std::string& text) { parsed.messages.push_back(text); });
  return parsed;
}

// The terms of a one-line keyword list.
std::vector<TParam> Terms(const std::string& line, const KeywordDefaults& defaults = kMode1) {
  Parsed parsed = Parse({line}, defaults);
  EXPECT_EQ(parsed.keywords.Count, 1);
  EXPECT_EQ(parsed.keywords.Items.size(), 1u);
  if (parsed.keywords.Items.empty()) return {};
  EXPECT_EQ(parsed.keywords.Items[0].Count,
            static_cast<std::int32_t>(parsed.keywords.Items[0].Params.size()));
  return parsed.keywords.Items[0].Params;
}

TParam Term(std::string word, int mode = 1, int precision = 86, bool include = true) {
  return TParam{std::move(word), static_cast<FindMode>(mode), precision, include};
}

struct SyntaxCase {
  const char* line;
  std::vector<TParam> terms;
};

void ExpectTerms(const std::vector<SyntaxCase>& cases, const KeywordDefaults& defaults = kMode1) {
  for (const SyntaxCase& c : cases) EXPECT_EQ(Terms(c.line, defaults), c.terms) << c.line;
}

TEST(KeywordSyntaxTest, AmpersandSplitsExceptAtTheEnd) {
  ExpectTerms({
      {"news", {Term("news")}},
      {"a&", {Term("a&")}},
      {"&a", {Term(""), Term("a")}},
      {"&", {Term("&")}},
      {"&&", {Term(""), Term("&")}},
      {"a&&b", {Term("a"), Term(""), Term("b")}},
      {" a & b ", {Term(" a "), Term(" b ")}},  // blanks are kept
  });
}

TEST(KeywordSyntaxTest, ExclamationOnlyLeadsATerm) {
  ExpectTerms({
      {"!news", {Term("news", 1, 86, false)}},
      {"news!", {Term("news!")}},
      {"!!a", {Term("!a", 1, 86, false)}},
      {"!", {Term("", 1, 86, false)}},
      {"first&!second^60", {Term("first"), Term("second", 1, 60, false)}},
  });
}

TEST(KeywordSyntaxTest, ModeAndPrecisionPartsInEitherOrder) {
  ExpectTerms({
      {"word@1", {Term("word", 1)}},
      {"word^70", {Term("word", 1, 70)}},
      {"word^90@2", {Term("word", 2, 90)}},
      {"word@2^90", {Term("word", 2, 90)}},
      {"word^5@2^0", {Term("word", 2, 50)}},  // a second "^" appends to "5"
      {"film@3^95", {Term("FILM", 3, 95)}},
      {"film@", {Term("film")}},
      {"film^", {Term("film")}},
  });
}

TEST(KeywordSyntaxTest, OnlyModeThreeWordsAreUpperCased) {
  ExpectTerms({{"film", {Term("film")}}, {"film@2", {Term("film", 2)}}});
  ExpectTerms({{"film", {Term("FILM", 3)}}, {"film@2", {Term("film", 2)}}}, kMode3);
  // Cyrillic too; small Io becomes capital Io, which the rating folds later.
  ExpectTerms({{"\xEB\xB8\xE4", {Term("\xCB\xA8\xC4", 3)}}}, kMode3);
  // Modes beyond the window's keep the word as typed.
  ExpectTerms({{"film", {Term("film", 5)}}}, {.FindMode = kFindExchanges, .CongenialityRate = 86});
}

TEST(KeywordSyntaxTest, TermsLedByAMarkerAreIncludingWithAnEmptyWord) {
  ExpectTerms({
      {"@3", {Term("", 3)}},
      {"^90", {Term("", 1, 90)}},
      {"@", {Term("")}},
      {"^", {Term("")}},
      {"@2!x", {Term("")}},  // "2!x" is no number: defaults (and a message)
      {"film&@2", {Term("film"), Term("", 2)}},
  });
}

TEST(KeywordSyntaxTest, EachLineIsOneKeywordInOrder) {
  Parsed parsed = Parse({"a", "b&c", ""});
  ASSERT_EQ(parsed.keywords.Count, 3);
  EXPECT_EQ(parsed.keywords.Items[0].Params, std::vector<TParam>{Term("a")});
  EXPECT_EQ(parsed.keywords.Items[1].Params, (std::vector<TParam>{Term("b"), Term("c")}));
  EXPECT_EQ(parsed.keywords.Items[2].Params, std::vector<TParam>{Term("")});
  EXPECT_TRUE(parsed.messages.empty());
}

TEST(KeywordSyntaxTest, EmptyListGivesAnEmptyStructure) {
  Parsed parsed = Parse({});
  EXPECT_EQ(parsed.keywords, TWRD{});
}

TEST(KeywordSyntaxTest, ThousandsOfAmpersands) {
  std::vector<TParam> terms = Terms(std::string(5000, '&'));
  ASSERT_EQ(terms.size(), 5000u);
  EXPECT_EQ(terms.front(), Term(""));
  EXPECT_EQ(terms.back(), Term("&"));
}

struct MessageCase {
  const char* line;
  TParam term;
  std::vector<std::string> messages;
};

TEST(KeywordMessagesTest, BadParametersFallBackToTheDefaults) {
  const std::vector<MessageCase> cases = {
      {"film@4", Term("film"), {kBadModeMessage}},
      {"film@-1", Term("film"), {kBadModeMessage}},
      {"film^0", Term("film"), {kBadPrecisionMessage}},
      {"film^101", Term("film"), {kBadPrecisionMessage}},
      {"film^100", Term("film", 1, 100), {}},  // the bounds themselves are valid
      {"film^1", Term("film", 1, 1), {}},
      {"film@x", Term("film"), {kNotDigitMessage}},
      {"film^99999999999", Term("film"), {kNotDigitMessage}},  // beyond 32 bits
      // A failed conversion undoes a part already taken, in either order.
      {"film^50@x", Term("film"), {kNotDigitMessage}},
      {"film@2^x", Term("film"), {kNotDigitMessage}},
      // Both parts out of range: one message for each, precision first.
      {"film@4^0", Term("film"), {kBadPrecisionMessage, kBadModeMessage}},
      {"film^0@x", Term("film"), {kBadPrecisionMessage, kNotDigitMessage}},
      // A failed precision conversion ends the step: the mode is not looked at.
      {"film^x@4", Term("film"), {kNotDigitMessage}},
      // An out-of-range part does not undo the other one.
      {"film^50@9", Term("film", 1, 50), {kBadModeMessage}},
      {"film^1@3", Term("FILM", 3, 1), {}},
  };
  for (const MessageCase& c : cases) {
    Parsed parsed = Parse({c.line});
    ASSERT_EQ(parsed.keywords.Count, 1) << c.line;
    EXPECT_EQ(parsed.keywords.Items[0].Params, std::vector<TParam>{c.term}) << c.line;
    EXPECT_EQ(parsed.messages, c.messages) << c.line;
  }
}

TEST(KeywordMessagesTest, OneRoundOfMessagesPerAffectedTerm) {
  Parsed parsed = Parse({"a@4&b", "c^x&d^0"});
  EXPECT_EQ(parsed.messages,
            (std::vector<std::string>{kBadModeMessage, kNotDigitMessage, kBadPrecisionMessage}));
  // Without a way to show them the parse still goes on.
  TWRD quiet = ParseKeywords({"a@4&b", "c^x&d^0"}, kMode1, nullptr);
  EXPECT_EQ(quiet, parsed.keywords);
}

}  // namespace
}  // namespace kolvar
