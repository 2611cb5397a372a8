// The edits and labels: texts in step with their models, the channel counter
// sized to its text.
#include "win32/form_view.h"

#include <commctrl.h>

#include "win32/control_look.h"
#include "win32/host_protocol.h"
#include "win32/unique_handle.h"
#include "win32/wide_text.h"

namespace kolvar::win32 {

void FormView::SyncCounter(const std::string& text) {
  if (counter_.synced && counter_.text == text) return;
  // Sized for the new text first, so the text is never drawn into the old width.
  FitCounter(text);
  SyncText(counter_, text);
}

void FormView::FitCounter(const std::string& text) {
  // Its width follows its text and its right edge stays where the skin expects it.
  HDC dc = GetDC(counter_.hwnd);
  if (!dc) return;
  HGDIOBJ old = SelectObject(dc, boldFont_.Get());
  SIZE size{};
  const std::wstring wide = Wide(text);
  GetTextExtentPoint32W(dc, wide.data(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(counter_.hwnd, dc);
  constexpr int kRightEdge = 474;
  MoveWindow(counter_.hwnd, kRightEdge - size.cx, 180, size.cx, 13, TRUE);
}

void FormView::SyncText(TextState& state, const std::string& text) {
  if (!state.hwnd || (state.synced && state.text == text)) return;
  if (TextOf(state.hwnd) != text) SetWindowTextW(state.hwnd, Wide(text).c_str());
  state.text = text;
  state.synced = true;
}

}  // namespace kolvar::win32
