#include "ui/scroll_bar.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kolvar {
namespace {

TEST(ScrollBarTest, LaysOutArrowsAndThumb) {
  struct Case {
    ScrollRange range;
    int width, length;
    ScrollLayout expected;
  } const kCases[] = {
      // The keyword list: 20 lines, 12 in view.
      {{0, 19, 12, 0}, 17, 157, {157, 17, 17, 74}},
      {{0, 19, 12, 4}, 17, 157, {157, 17, 42, 74}},
      {{0, 19, 12, 8}, 17, 157, {157, 17, 66, 74}},
      // Past the last page: drawn at the end.
      {{0, 19, 12, 30}, 17, 157, {157, 17, 66, 74}},
      {{0, 19, 12, -3}, 17, 157, {157, 17, 17, 74}},
      // A long result list: the thumb keeps half the width, and ends at the track's end.
      {{0, 99999, 10, 0}, 17, 117, {117, 17, 17, 8}},
      {{0, 99999, 10, 99990}, 17, 117, {117, 17, 92, 8}},
      {{10, 29, 10, 15}, 17, 117, {117, 17, 38, 42}},
      // No page set: every position may be first.
      {{0, 9, 0, 3}, 17, 117, {117, 17, 42, 8}},
      // Everything in view, or no room: arrows only.
      {{0, 5, 10, 0}, 17, 117, {117, 17, 0, 0}},
      {{0, 19, 12, 0}, 17, 40, {40, 17, 0, 0}},
      {{0, 19, 12, 0}, 17, 20, {20, 10, 0, 0}},
      {{0, 19, 12, 0}, 17, 0, {0, 0, 0, 0}},
      // At 144 dpi the bar is half as wide again.
      {{0, 19, 12, 8}, 26, 236, {236, 26, 100, 110}},
  };
  for (const Case& c : kCases) {
    const ScrollLayout got = LayOutScrollBar(c.range, c.width, c.length);
    SCOPED_TRACE(testing::Message()
                 << c.range.min << ".." << c.range.max << " page " << c.range.page << " pos "
                 << c.range.pos << " in " << c.width << "x" << c.length);
    EXPECT_EQ(got.length, c.expected.length);
    EXPECT_EQ(got.arrow, c.expected.arrow);
    EXPECT_EQ(got.thumbTop, c.expected.thumbTop);
    EXPECT_EQ(got.thumb, c.expected.thumb);
  }
}

TEST(ScrollBarTest, HitsTheRightPart) {
  const ScrollLayout withThumb{157, 17, 42, 74};
  const ScrollLayout without{157, 17, 0, 0};
  const struct {
    const ScrollLayout& layout;
    int y;
    ScrollPart part;
  } kCases[] = {
      {withThumb, -1, ScrollPart::kNone},      {withThumb, 0, ScrollPart::kLineUp},
      {withThumb, 16, ScrollPart::kLineUp},    {withThumb, 17, ScrollPart::kPageUp},
      {withThumb, 41, ScrollPart::kPageUp},    {withThumb, 42, ScrollPart::kThumb},
      {withThumb, 115, ScrollPart::kThumb},    {withThumb, 116, ScrollPart::kPageDown},
      {withThumb, 139, ScrollPart::kPageDown}, {withThumb, 140, ScrollPart::kLineDown},
      {withThumb, 156, ScrollPart::kLineDown}, {withThumb, 157, ScrollPart::kNone},
      {without, 16, ScrollPart::kLineUp},      {without, 80, ScrollPart::kNone},
      {without, 140, ScrollPart::kLineDown},
  };
  for (const auto& c : kCases) EXPECT_EQ(HitScrollBar(c.layout, c.y), c.part) << "y " << c.y;
}

// Over many bars: the thumb stays in its track and moves with the position; the
// drag maps back exactly, to the position where the track has a pixel for each,
// else to the pixel.
TEST(ScrollBarTest, ThumbAndDragAgreeEverywhere) {
  const ScrollRange kRanges[] = {{0, 19, 12, 0}, {0, 13, 10, 0}, {0, 299, 10, 0},
                                 {5, 60, 7, 0},  {0, 9, 0, 0},   {0, 100000, 9, 0}};
  for (const ScrollRange& base : kRanges) {
    for (int width : {17, 26, 34}) {
      for (int length : {40, 117, 133, 157, 236}) {
        SCOPED_TRACE(testing::Message()
                     << base.max << " page " << base.page << " in " << width << "x" << length);
        ScrollRange range = base;
        const ScrollLayout first = LayOutScrollBar(range, width, length);
        if (first.thumb == 0) continue;
        const int room = first.TrackBottom() - first.TrackTop() - first.thumb;
        const int span = range.MaxPos() - range.min;
        int previousTop = first.TrackTop();
        const int step = std::max(1, span / 997);
        for (int pos = range.min; pos <= range.MaxPos(); pos += step) {
          range.pos = pos;
          const ScrollLayout layout = LayOutScrollBar(range, width, length);
          ASSERT_GE(layout.thumbTop, previousTop);
          ASSERT_LE(layout.thumbTop + layout.thumb, layout.TrackBottom());
          if (room >= span) {
            ASSERT_EQ(ScrollPosAt(range, layout, layout.thumbTop), pos);
          }
          previousTop = layout.thumbTop;
        }
        range.pos = range.MaxPos();
        const ScrollLayout last = LayOutScrollBar(range, width, length);
        EXPECT_EQ(last.thumbTop + last.thumb, last.TrackBottom());
        for (int top = first.TrackTop(); top <= first.TrackTop() + room; ++top) {
          range.pos = ScrollPosAt(range, first, top);
          if (room < span) {
            ASSERT_EQ(LayOutScrollBar(range, width, length).thumbTop, top);
          }
        }
        // Dragged past either end: the ends.
        EXPECT_EQ(ScrollPosAt(range, first, -1000), range.min);
        EXPECT_EQ(ScrollPosAt(range, first, 1000), range.MaxPos());
      }
    }
  }
}

}  // namespace
}  // namespace kolvar
