// The geometry of the vertical scroll bar the window draws in the skin's colours:
// where its arrows, track and thumb lie for a range, a page and a position, what
// a point on it hits, and which position a dragged thumb stands for. Pixels along
// the bar, from its top; the platform draws and sends the requests.
#pragma once

namespace kolvar {

// What a bar shows, as the system's scroll bars hold it: positions min..max, page
// of them in view at once, the first of them pos.
struct ScrollRange {
  int min = 0;
  int max = 0;
  int page = 0;
  int pos = 0;

  // The greatest first position: the last page ends at max.
  int MaxPos() const;
  // p kept between min and MaxPos().
  int Clamp(int p) const;
};

// Where the parts of a bar lie along it.
struct ScrollLayout {
  int length = 0;    // the whole bar
  int arrow = 0;     // each arrow button, at either end
  int thumbTop = 0;  // from the bar's top
  int thumb = 0;     // its height; 0 when there is none (nothing to scroll, no room)

  int TrackTop() const { return arrow; }
  int TrackBottom() const { return length - arrow; }
};

// A bar width pixels wide and length long: square arrows, shorter when the bar is
// too short for two; a thumb as long as the page's share of the track, never
// shorter than half the width.
ScrollLayout LayOutScrollBar(const ScrollRange& range, int width, int length);

enum class ScrollPart { kNone, kLineUp, kPageUp, kThumb, kPageDown, kLineDown };

// The part at y along the bar; the track on either side of the thumb pages, and
// without a thumb the whole track does nothing.
ScrollPart HitScrollBar(const ScrollLayout& layout, int y);

// The position a thumb with its top at thumbTop stands for (the nearest).
int ScrollPosAt(const ScrollRange& range, const ScrollLayout& layout, int thumbTop);

}  // namespace kolvar
