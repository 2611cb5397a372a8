#include "remind/known_matches.h"

#include <gtest/gtest.h>

#include "settings/watch_settings.h"

namespace kolvar {
namespace {

FoundProgramme At(std::string line, DateTime guideStart, DateTime start) {
  FoundProgramme f{std::move(line), start, start + 0.02, 0};
  f.guideStart = guideStart;
  return f;
}

TEST(KnownMatchesTest, AProgrammeIsKnownByChannelGuideStartAndTitle) {
  const DateTime t = 45356.5;
  const std::uint64_t id = MatchIdentity(At("2024.03.05 12:00 News[Tu]first", t, t));
  // Shifted, or with other day names: the same programme.
  EXPECT_EQ(MatchIdentity(At("2024.03.05 13:30 News[\xC2\xF2]first", t, t + 0.0625)), id);
  EXPECT_EQ(MatchIdentity(At("2024.03.05 12:00 News[Tu]first", t + 0.1 / 86400, t)), id);
  for (const auto& other :
       {At("2024.03.05 12:00 Film[Tu]first", t, t), At("2024.03.05 12:00 News[Tu]second", t, t),
        At("2024.03.05 12:00 News[Tu]first", t + 1.0 / 1440, t)}) {
    EXPECT_NE(MatchIdentity(other), id) << other.line.Text();
  }
}

TEST(KnownMatchesTest, MergingKeepsRecentDaysAndTheFileReadsBack) {
  const KnownMatches known = {{1, 100}, {5, 90}, {9, 101}};
  const KnownMatches merged = MergeKnown(known, {{7, 102}, {1, 103}, {2, 80}}, 95);
  EXPECT_EQ(merged, (KnownMatches{{1, 103}, {7, 102}, {9, 101}}));
  const std::string text = KnownMatchesText(merged);
  EXPECT_EQ(text.substr(0, 24), "Kolvar known matches 1\r\n");
  EXPECT_EQ(ParseKnownMatches(text), merged);
  EXPECT_EQ(ParseKnownMatches(KnownMatchesText({})), KnownMatches{});
}

TEST(KnownMatchesTest, ADamagedFileIsNoList) {
  const std::string good = KnownMatchesText({{0xabcdef, 45356}});
  for (const std::string& bad :
       {std::string(), std::string("\xEF\xBB\xBF") + good,
        good.substr(0, good.size() - 5) + "x\r\n",
        std::string("Kolvar known matches 1\r\n2024.13.05 0000000000000001\r\n"),
        std::string("Kolvar known matches 1\r\n2024.03.05 000000000000000G\r\n"),
        std::string("Kolvar known matches 1\r\n2024.03.05  0000000000000001\r\n"),
        std::string("Kolvar known matches 2\r\n"), std::string(1000, '\0')}) {
    EXPECT_EQ(ParseKnownMatches(bad), std::nullopt) << bad;
  }
}

TEST(KnownMatchesTest, TheHostIsToldHowManyAndTheFirstFew) {
  const std::vector<std::string> lines = {"2024.03.06 21:45 Лига чемпионов[We]Матч ТВ",
                                          "2024.03.06 22:00 News\nlate[We]first",
                                          "2024.03.07 09:00 Film[Th]first"};
  EXPECT_EQ(NewMatchesText("New (%n): %l", 3, lines),
            "New (3): Лига чемпионов (Матч ТВ, We 21:45), News / late (first, We 22:00), Film "
            "(first, Th 09:00)");
  EXPECT_EQ(NewMatchesText("%n: %l%", 5, lines).substr(0, 3), "5: ");
  EXPECT_TRUE(NewMatchesText("%l", 5, lines).ends_with(", ..."));
  EXPECT_EQ(NewMatchesText("Новых: %n", 1, {lines[0]}), "Новых: 1");
}

TEST(WatchSettingsTest, AnyFileLoadsAndTheWrittenOneReadsBack) {
  const WatchSettings off{false, "Новые передачи (%n): %l"};
  EXPECT_EQ(ParseWatchSettings(WatchSettingsText(off)), off);
  struct Case {
    const char* text;
    WatchSettings expected;
  };
  const Case cases[] = {
      {"", WatchSettings{}},
      {"garbage\n\x01\x02", WatchSettings{}},
      {"watch = false\r\n", WatchSettings{false}},
      {"Watch = TRUE \r\nWatch = FALSE\r\n", WatchSettings{false}},
      {"MessNewMatches = \r\n", WatchSettings{true, ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseWatchSettings(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace kolvar
