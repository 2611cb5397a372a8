// What the transcript records of the plug-in's windows, of the process and of
// files: one line per thing, in words a test can compare.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace kolvar::host {

// The plug-in's preferences window, if there is one.
HWND PluginWindow();
// Top-level windows of this process other than the host's own and message boxes;
// withControls adds each one's controls, their places, texts and list lines.
void LogPluginWindows(HWND hostWindow, bool withControls);
// Whether the text of every label and check box of window, and every value at the
// ends of a spin box's range, fits its control in the font it really gets: one
// line each, "fits" or "CLIPPED".
void LogMeasures(HWND window);
// Whether every visible control of window lies on the room the skin's face
// (a bitmap file) leaves for it: the face is black under a control, and a
// control reaching over a frame, a caption or a panel covers face pixels that are
// not. One line a control: "inside", or "OVER" and how many pixels.
void LogSkinFit(HWND window, const std::string& face);

// Where the plug-in window stands on the screen: "placement centred" when its
// middle is the screen's (within a pixel), else its offset from there.
void LogPlacement();
// The control that has the keyboard focus, by its id and name.
void LogFocus();
// One control of the plug-in window, by its id, as "controls" writes it.
void LogControl(int id);
// The hints of the plug-in window's own surface (its skin buttons), each with its
// area: "tip at=L,T,R,B text=…".
void LogSurfaceTips();
// The tooltip showing now, waiting up to ms for one to come up: its text, or
// "tooltip none".
void LogShownTip(unsigned ms, const std::function<void(unsigned ms)>& serve);
// Where the find dialog stands beside the result list: above, below, left or
// right of it, or "over" it when the two overlap; "finddialog none" without one.
void LogFindDialog();
// What the window behind a handle is, without its varying number.
void LogHandle(HWND hwnd);
// What the process holds now: its private memory and working set, its kernel
// handles, GDI and user objects and threads, for the soak's comparison of cycles;
// then the peaks of the first two, for the memory measurement.
void LogStats();
// A file's size and an FNV-1a hash of its bytes, so a transcript shows whether a
// file stayed as it was; "missing" when it cannot be read.
void LogFile(const std::string& path);

}  // namespace kolvar::host
