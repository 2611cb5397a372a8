#include "win32/skin_scroll_bar.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "ui/scroll_bar.h"
#include "win32/control_look.h"

namespace kolvar::win32 {
namespace {

constexpr wchar_t kClassName[] = L"KolvarScrollBar";
// The system's delays before a held arrow repeats, and between repeats.
constexpr UINT kFirstDelay = 200;
constexpr UINT kRepeatDelay = 50;
constexpr UINT_PTR kRepeatTimer = 1;

// The skin's button colours (tools/skingen): at rest, lit, pressed.
struct Face {
  COLORREF back, edge, ink;
};
constexpr Face kRest{RGB(48, 10, 0), RGB(140, 44, 0), RGB(223, 160, 0)};
constexpr Face kLit{RGB(112, 30, 0), RGB(255, 180, 40), RGB(255, 240, 100)};
constexpr Face kPushed{RGB(223, 160, 0), RGB(255, 224, 128), RGB(40, 6, 0)};
// The thumb in the selected line's colour, so that it stands out from the track.
constexpr Face kThumb{kSelectionBack, RGB(140, 44, 0), RGB(223, 160, 0)};
// Between the arrows kBarTrack; the side being paged a shade lighter.
constexpr COLORREF kTrackPushed = RGB(84, 22, 0);
// The arrows of a bar that is disabled.
constexpr COLORREF kDimInk = RGB(96, 24, 0);

// What one bar holds, owned by its window from WM_NCCREATE to WM_NCDESTROY.
struct Bar {
  ScrollRange range;
  ScrollPart held = ScrollPart::kNone;  // the arrow or track side the button is down on
  bool dragging = false;
  int grab = 0;      // the pointer's distance below the thumb's top when it was taken
  int trackPos = 0;  // the position the dragged thumb stands for
};

Bar* BarOf(HWND hwnd) { return reinterpret_cast<Bar*>(GetWindowLongPtrW(hwnd, 0)); }

// BeginPaint and EndPaint as a pair.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  ~PaintScope() { EndPaint(hwnd_, &paint_); }
  HDC Dc() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Fills with the device context's own brush: no brush is made for a colour.
void Fill(HDC dc, RECT r, COLORREF colour) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  SetDCBrushColor(dc, colour);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// A raised flat button of the skin: a frame in its edge colour around its back.
void DrawFace(HDC dc, RECT r, const Face& face) {
  Fill(dc, r, face.edge);
  Fill(dc, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, face.back);
}

// A solid triangle, a row of pixels at a time so that it is crisp at every size.
void DrawArrowGlyph(HDC dc, RECT r, bool up, COLORREF ink) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int rows = std::max(2, (std::min(w, h) + 1) / 4);
  const int cx = r.left + w / 2;
  const int top = r.top + (h - rows) / 2;
  for (int i = 0; i < rows; ++i) {
    const int half = up ? i : rows - 1 - i;
    Fill(dc, {cx - half, top + i, cx + half + 1, top + i + 1}, ink);
  }
}

ScrollLayout LayoutOf(HWND hwnd, const Bar& bar, bool tracking) {
  RECT client{};
  GetClientRect(hwnd, &client);
  ScrollRange range = bar.range;
  if (tracking) range.pos = bar.trackPos;
  return LayOutScrollBar(range, client.right - client.left, client.bottom - client.top);
}

void Paint(HWND hwnd, const Bar& bar) {
  const PaintScope paint(hwnd);
  HDC dc = paint.Dc();
  RECT client{};
  GetClientRect(hwnd, &client);
  const bool enabled = IsWindowEnabled(hwnd);
  const ScrollLayout layout = LayoutOf(hwnd, bar, bar.dragging);
  const int left = client.left, right = client.right;
  const auto held = [&](ScrollPart part) { return bar.held == part; };
  Fill(dc, {left, layout.TrackTop(), right, layout.TrackBottom()}, kBarTrack);
  if (layout.thumb > 0 && enabled) {
    // The side of the track being paged is lit while the button is down on it.
    const int thumbBottom = layout.thumbTop + layout.thumb;
    if (held(ScrollPart::kPageUp)) {
      Fill(dc, {left, layout.TrackTop(), right, layout.thumbTop}, kTrackPushed);
    }
    if (held(ScrollPart::kPageDown)) {
      Fill(dc, {left, thumbBottom, right, layout.TrackBottom()}, kTrackPushed);
    }
    DrawFace(dc, {left, layout.thumbTop, right, thumbBottom}, bar.dragging ? kLit : kThumb);
  }
  const RECT upper{left, 0, right, layout.TrackTop()};
  const RECT lower{left, layout.TrackBottom(), right, layout.length};
  for (const auto& [r, part] :
       {std::pair{upper, ScrollPart::kLineUp}, std::pair{lower, ScrollPart::kLineDown}}) {
    const Face& face = held(part) ? kPushed : kRest;
    DrawFace(dc, r, face);
    DrawArrowGlyph(dc, r, part == ScrollPart::kLineUp, enabled ? face.ink : kDimInk);
  }
}

// The request to the parent; false when the bar is gone after it (the parent may
// close everything on any message).
bool Notify(HWND hwnd, WORD code, int pos = 0) {
  SendMessageW(GetParent(hwnd), WM_VSCROLL, MAKEWPARAM(code, static_cast<WORD>(pos)),
               reinterpret_cast<LPARAM>(hwnd));
  return IsWindow(hwnd) && BarOf(hwnd);
}

WORD RequestOf(ScrollPart part) {
  switch (part) {
    case ScrollPart::kLineUp:
      return SB_LINEUP;
    case ScrollPart::kLineDown:
      return SB_LINEDOWN;
    case ScrollPart::kPageUp:
      return SB_PAGEUP;
    default:
      return SB_PAGEDOWN;
  }
}

// The held part's request again, while the pointer is still on that part: paging
// stops when the thumb has come under the pointer, as the system's does.
void Repeat(HWND hwnd, Bar& bar) {
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(hwnd, &p);
  RECT client{};
  GetClientRect(hwnd, &client);
  const bool across = p.x >= client.left && p.x < client.right;
  if (across && HitScrollBar(LayoutOf(hwnd, bar, false), p.y) == bar.held) {
    if (!Notify(hwnd, RequestOf(bar.held))) return;
  }
  SetTimer(hwnd, kRepeatTimer, kRepeatDelay, nullptr);
}

// The button is up, or the bar lost the pointer to another window: whatever was
// held ends, a dragged thumb where its last SB_THUMBTRACK put it.
void EndTracking(HWND hwnd, Bar& bar) {
  if (bar.held == ScrollPart::kNone && !bar.dragging) return;
  KillTimer(hwnd, kRepeatTimer);
  bar.held = ScrollPart::kNone;
  bar.dragging = false;
  InvalidateRect(hwnd, nullptr, FALSE);
  // Cleared first: losing the capture comes back here.
  if (GetCapture() == hwnd) ReleaseCapture();
  Notify(hwnd, SB_ENDSCROLL);
}

// The button comes up: a dragged thumb is dropped while the bar still tracks it, so
// that SBM_GETSCROLLINFO's track position is where it was let go.
void Release(HWND hwnd, Bar& bar) {
  if (bar.dragging && !Notify(hwnd, SB_THUMBPOSITION, bar.trackPos)) return;
  EndTracking(hwnd, bar);
}

void Press(HWND hwnd, Bar& bar, int y) {
  if (!IsWindowEnabled(hwnd)) return;
  const ScrollLayout layout = LayoutOf(hwnd, bar, false);
  const ScrollPart part = HitScrollBar(layout, y);
  if (part == ScrollPart::kNone) return;
  SetCapture(hwnd);
  if (part == ScrollPart::kThumb) {
    bar.dragging = true;
    bar.grab = y - layout.thumbTop;
    bar.trackPos = bar.range.Clamp(bar.range.pos);
    InvalidateRect(hwnd, nullptr, FALSE);
    return;
  }
  bar.held = part;
  InvalidateRect(hwnd, nullptr, FALSE);
  if (!Notify(hwnd, RequestOf(part))) return;
  SetTimer(hwnd, kRepeatTimer, kFirstDelay, nullptr);
}

void Drag(HWND hwnd, Bar& bar, int y) {
  if (!bar.dragging) return;
  const int pos = ScrollPosAt(bar.range, LayoutOf(hwnd, bar, false), y - bar.grab);
  if (pos == bar.trackPos) return;
  bar.trackPos = pos;
  InvalidateRect(hwnd, nullptr, FALSE);
  Notify(hwnd, SB_THUMBTRACK, pos);
}

// SBM_SETSCROLLINFO: the fields its mask names; answers the position.
LRESULT SetInfo(HWND hwnd, Bar& bar, const SCROLLINFO* info, bool redraw) {
  if (!info) return bar.range.pos;
  ScrollRange next = bar.range;
  if (info->fMask & SIF_RANGE) {
    next.min = info->nMin;
    next.max = std::max(info->nMin, info->nMax);
  }
  if (info->fMask & SIF_PAGE) next.page = static_cast<int>(info->nPage);
  next.page = std::clamp(next.page, 0, next.max - next.min + 1);
  if (info->fMask & SIF_POS) next.pos = info->nPos;
  next.pos = next.Clamp(next.pos);
  const bool changed = next.min != bar.range.min || next.max != bar.range.max ||
                       next.page != bar.range.page || next.pos != bar.range.pos;
  bar.range = next;
  if (changed && redraw) InvalidateRect(hwnd, nullptr, FALSE);
  return bar.range.pos;
}

LRESULT GetInfo(const Bar& bar, SCROLLINFO* info) {
  if (!info) return FALSE;
  if (info->fMask & SIF_RANGE) {
    info->nMin = bar.range.min;
    info->nMax = bar.range.max;
  }
  if (info->fMask & SIF_PAGE) info->nPage = static_cast<UINT>(bar.range.page);
  if (info->fMask & SIF_POS) info->nPos = bar.range.pos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = bar.dragging ? bar.trackPos : bar.range.pos;
  return TRUE;
}

LRESULT Handle(HWND hwnd, Bar& bar, UINT message, WPARAM wParam, LPARAM lParam) {
  const int y = static_cast<short>(HIWORD(lParam));  // above the bar while captured: negative
  switch (message) {
    case WM_PAINT:
      Paint(hwnd, bar);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // every pixel is painted
    case WM_LBUTTONDOWN:
      Press(hwnd, bar, y);
      return 0;
    case WM_MOUSEMOVE:
      Drag(hwnd, bar, y);
      return 0;
    case WM_LBUTTONUP:
      Release(hwnd, bar);
      return 0;
    case WM_CAPTURECHANGED:
      EndTracking(hwnd, bar);
      return 0;
    case WM_TIMER:
      if (wParam != kRepeatTimer) break;
      if (bar.held == ScrollPart::kNone) {
        KillTimer(hwnd, kRepeatTimer);
      } else {
        Repeat(hwnd, bar);
      }
      return 0;
    case WM_ENABLE:
      if (!wParam) EndTracking(hwnd, bar);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_SIZE:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case SBM_SETSCROLLINFO:
      return SetInfo(hwnd, bar, reinterpret_cast<const SCROLLINFO*>(lParam), wParam != 0);
    case SBM_GETSCROLLINFO:
      return GetInfo(bar, reinterpret_cast<SCROLLINFO*>(lParam));
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Called from the host's message loop: nothing may escape into it.
  try {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(std::make_unique<Bar>().release()));
    } else if (message == WM_NCDESTROY) {
      const std::unique_ptr<Bar> owned(BarOf(hwnd));
      SetWindowLongPtrW(hwnd, 0, 0);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    Bar* bar = BarOf(hwnd);
    if (!bar) return DefWindowProcW(hwnd, message, wParam, lParam);
    return Handle(hwnd, *bar, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

}  // namespace

bool RegisterSkinScrollBar(HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &WindowProc;
  wc.cbWndExtra = sizeof(LONG_PTR);  // the bar's state, at offset 0
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kClassName;
  return RegisterClassW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void UnregisterSkinScrollBar(HINSTANCE instance) { UnregisterClassW(kClassName, instance); }

}  // namespace kolvar::win32
