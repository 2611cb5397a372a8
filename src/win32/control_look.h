// What the window's controls share: how they are made, their fonts and colours,
// their text through UTF-16, and the flat check square the skin asks for.
#pragma once

#include <windows.h>

#include <string>

#include "win32/unique_handle.h"

namespace kolvar::win32 {

// The colours of the controls' texts, on black.
inline constexpr COLORREF kWordsText = RGB(223, 223, 0);
inline constexpr COLORREF kNewResultText = RGB(96, 255, 160);
inline constexpr COLORREF kYellow = RGB(255, 255, 0);
inline constexpr COLORREF kMaroon = RGB(128, 0, 0);
inline constexpr COLORREF kBrownish = RGB(128, 64, 64);
inline constexpr COLORREF kRed = RGB(255, 0, 0);
inline constexpr COLORREF kWhite = RGB(255, 255, 255);
inline constexpr COLORREF kCounter = RGB(185, 204, 51);
// A list's selected line, in the skin's colours of a lit button.
inline constexpr COLORREF kSelectionBack = RGB(112, 30, 0);
inline constexpr COLORREF kSelectionText = RGB(255, 240, 100);
// The track of a list's scroll bar: the selection's colour, darker.
inline constexpr COLORREF kBarTrack = RGB(56, 15, 0);

// A child control of parent, visible, a Unicode window.
HWND Child(HWND parent, HINSTANCE instance, const char* cls, const char* name, DWORD style, int x,
           int y, int w, int h, int id, DWORD exStyle = 0);
HFONT Font(int height, int weight, const char* face);
void SetFont(HWND control, HFONT font);

// The window's fonts and its black, made with it for all its controls.
struct FormLook {
  void Make();

  UniqueGdiObject<HFONT> font;       // Tahoma 11 px
  UniqueGdiObject<HFONT> bold;       // Tahoma 11 px bold
  UniqueGdiObject<HFONT> edit;       // Verdana 11 px bold
  UniqueGdiObject<HFONT> result;     // Tahoma 9 px: the result list's
  UniqueGdiObject<HFONT> resultNew;  // the same bold: new results
  UniqueGdiObject<HBRUSH> black;
  UniqueGdiObject<HBRUSH> selection;  // a list's selected line
};

// A control's text as the system holds it, and as Windows-1251 ("?" for what it
// cannot hold).
std::wstring WideTextOf(HWND control);
std::string TextOf(HWND control);

// What a typed or pasted character the settings file could not keep is told.
extern const wchar_t kNot1251[];

// The window's own check square: a frame and a tick in the text's colour on black,
// flat, as the skin is (the system's would be a white square).
void DrawFlatCheck(HDC dc, RECT box, COLORREF colour, bool checked);

}  // namespace kolvar::win32
