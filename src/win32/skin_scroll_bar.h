// A vertical scroll bar drawn in the skin's colours: the system's own draws its
// arrows and thumb in the system's grey whatever its parent answers to
// WM_CTLCOLORSCROLLBAR. It is driven and answers as the system's standalone bar:
// SBM_SETSCROLLINFO and SBM_GETSCROLLINFO (so SetScrollInfo and GetScrollInfo
// with SB_CTL too), and WM_VSCROLL to its parent: SB_LINEUP/SB_LINEDOWN from the
// arrows and SB_PAGEUP/SB_PAGEDOWN from the track, repeated while held,
// SB_THUMBTRACK while the thumb is dragged and SB_THUMBPOSITION where it is let go,
// SB_ENDSCROLL when the button comes up. It never takes the focus; the wheel goes to
// the parent, as the system's bar sends it. Geometry: ui/scroll_bar.h.
#pragma once

#include <windows.h>

namespace kolvar::win32 {

inline constexpr char kSkinScrollBarClass[] = "KolvarScrollBar";

// The class, for windows made with instance; registering it again is fine.
bool RegisterSkinScrollBar(HINSTANCE instance);
// Once no such window is left.
void UnregisterSkinScrollBar(HINSTANCE instance);

}  // namespace kolvar::win32
