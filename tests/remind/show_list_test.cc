#include "remind/show_list.h"

#include <gtest/gtest.h>

namespace kolvar {
namespace {

const DateTime kNow = *EncodeDateTime({2024, 3, 2, 5, 12, 0, 0, 0});
DateTime At(double minutes) { return kNow + minutes / 1440; }

TEST(CollectUpcomingTest, DueRulesDuplicatesAndUnknownEnds) {
  struct Case {
    double start, end;  // minutes from now; end 0 for an unknown end
    int previewMinutes;
    bool due;
  };
  const Case cases[] = {
      {10.5, 40, 10, false},  // its whole minutes, 10, are not fewer than 10
      {10.5, 40, 11, true},
      {-5, 30, 10, true},    // on air
      {-30, -1, 10, false},  // ended a minute ago
      {0, 30, 10, true},     // starting now counts as started
      // An end nobody knows: on air for six hours from its start, not for ever.
      {-30, 0, 10, true},
      {-359, 0, 10, true},
      {-361, 0, 10, false},
      {-1e8, 0, 10, false},  // a damaged record dated in the distant past
      {120, 0, 10, false},
  };
  for (const Case& c : cases) {
    TShow list;
    FoundProgramme p{"line", At(c.start), c.end == 0 ? 0 : At(c.end), 0};
    EXPECT_EQ(CollectUpcoming(list, {p}, kNow, c.previewMinutes),
              c.due ? Collected::kAppended : Collected::kNothing)
        << c.start << " " << c.end << " " << c.previewMinutes;
    EXPECT_EQ(list.Count(), c.due ? 1 : 0);
    EXPECT_EQ(list.Pending, list.Count());
    // Whatever is due from the past is not over, and what is not due is.
    if (c.start <= 0) {
      EXPECT_EQ(IsOver({"line", p.start, p.end, true}, kNow), !c.due) << c.start;
    }
  }
  // The same line twice gives one entry, also over several builds, which only add.
  TShow list;
  const TFindStruct twice{{"a", At(1), At(9), 0}, {"a", At(1), At(9), 1}, {"b", At(2), At(9), 0}};
  EXPECT_EQ(CollectUpcoming(list, twice, kNow, 10), Collected::kAppended);
  EXPECT_EQ(CollectUpcoming(list, twice, kNow, 10), Collected::kNothing);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Entries[1].line, "b");
  EXPECT_EQ(CollectUpcoming(list, {}, kNow, 10), Collected::kNothing);
  ClearShowList(list);
  EXPECT_EQ(list.Count() + list.Pos + list.Pending, 0);
}

}  // namespace
}  // namespace kolvar
