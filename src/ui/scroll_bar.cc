#include "ui/scroll_bar.h"

#include <algorithm>
#include <cstdint>

namespace kolvar {
namespace {

// a * b / c rounded to the nearest, without overflow for lists of millions of lines.
int MulDivRound(int a, int b, int c) {
  if (c == 0) return 0;
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  return static_cast<int>((product + c / 2) / c);
}

}  // namespace

int ScrollRange::MaxPos() const {
  // A page of 0 means none set: every position may be first, as the system's bars do.
  return std::max(min, max - std::max(page, 1) + 1);
}

int ScrollRange::Clamp(int p) const { return std::clamp(p, min, MaxPos()); }

ScrollLayout LayOutScrollBar(const ScrollRange& range, int width, int length) {
  ScrollLayout layout;
  layout.length = std::max(0, length);
  layout.arrow = std::min(std::max(0, width), layout.length / 2);
  const int track = layout.TrackBottom() - layout.TrackTop();
  const int span = range.MaxPos() - range.min;
  if (span <= 0 || track <= 0) return layout;
  const int minThumb = std::max(1, width / 2);
  const int positions = range.max - range.min + 1;
  const int page = range.page > 0 ? std::min(range.page, positions) : 1;
  const int thumb = std::max(minThumb, MulDivRound(track, page, positions));
  // No room for a thumb that could move: the track only pages.
  if (thumb >= track) return layout;
  layout.thumb = thumb;
  layout.thumbTop =
      layout.TrackTop() + MulDivRound(range.Clamp(range.pos) - range.min, track - thumb, span);
  return layout;
}

ScrollPart HitScrollBar(const ScrollLayout& layout, int y) {
  if (y < 0 || y >= layout.length) return ScrollPart::kNone;
  if (y < layout.TrackTop()) return ScrollPart::kLineUp;
  if (y >= layout.TrackBottom()) return ScrollPart::kLineDown;
  if (layout.thumb == 0) return ScrollPart::kNone;
  if (y < layout.thumbTop) return ScrollPart::kPageUp;
  if (y < layout.thumbTop + layout.thumb) return ScrollPart::kThumb;
  return ScrollPart::kPageDown;
}

int ScrollPosAt(const ScrollRange& range, const ScrollLayout& layout, int thumbTop) {
  const int room = layout.TrackBottom() - layout.TrackTop() - layout.thumb;
  if (layout.thumb == 0 || room <= 0) return range.Clamp(range.pos);
  const int offset = std::clamp(thumbTop - layout.TrackTop(), 0, room);
  return range.Clamp(range.min + MulDivRound(offset, range.MaxPos() - range.min, room));
}

}  // namespace kolvar
