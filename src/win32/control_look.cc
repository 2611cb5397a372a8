#include "win32/control_look.h"

#include <vector>

#include "win32/unique_handle.h"
#include "win32/wide_text.h"

namespace kolvar::win32 {

HWND Child(HWND parent, HINSTANCE instance, const char* cls, const char* name, DWORD style, int x,
           int y, int w, int h, int id, DWORD exStyle) {
  return CreateWindowExW(exStyle, Wide(cls).c_str(), Wide(name).c_str(),
                         WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

HFONT Font(int height, int weight, const char* face) {
  return CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

void SetFont(HWND control, HFONT font) {
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void FormLook::Make() {
  font.Reset(Font(11, FW_NORMAL, "Tahoma"));
  bold.Reset(Font(11, FW_BOLD, "Tahoma"));
  edit.Reset(Font(11, FW_BOLD, "Verdana"));
  result.Reset(Font(9, FW_NORMAL, "Tahoma"));
  resultNew.Reset(Font(9, FW_BOLD, "Tahoma"));
  black.Reset(CreateSolidBrush(RGB(0, 0, 0)));
  selection.Reset(CreateSolidBrush(kSelectionBack));
}

std::wstring WideTextOf(HWND control) {
  std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1);
  GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
  return text.data();
}

std::string TextOf(HWND control) { return NarrowLossy(WideTextOf(control)); }

// Refused where it is typed or pasted.
const wchar_t kNot1251[] =
    L"Only letters and signs of the Windows-1251 code page (Latin and Cyrillic) can be kept "
    L"in the settings: the text was put back as it was.      ";

void DrawFlatCheck(HDC dc, RECT box, COLORREF colour, bool checked) {
  UniqueGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
  HGDIOBJ oldPen = SelectObject(dc, pen.Get());
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, box.left, box.top, box.right, box.bottom);
  if (checked) {
    const int w = box.right - box.left, h = box.bottom - box.top;
    for (int thick = 0; thick < 2; ++thick) {
      MoveToEx(dc, box.left + w / 4, box.top + h / 2 + thick, nullptr);
      LineTo(dc, box.left + w / 2 - 1, box.bottom - 3 + thick);
      LineTo(dc, box.right - 3, box.top + 3 + thick);
    }
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

}  // namespace kolvar::win32
