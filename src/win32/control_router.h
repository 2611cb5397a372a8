// The window's messages about its controls, each handed to the control it names by
// its control id. A control claims what it answers when it is made; the window
// itself knows none of them.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <optional>

namespace kolvar::win32 {

class ControlRouter {
 public:
  // A WM_COMMAND notification code; false: not one the control takes.
  void OnCommand(int id, std::function<bool(int code)> handler);
  // A WM_NOTIFY; nothing: not one the control takes.
  void OnNotify(int id, std::function<std::optional<LRESULT>(const NMHDR&)> handler);
  // An owner-drawn part; false: left undrawn.
  void OnDrawItem(int id, std::function<bool(const DRAWITEMSTRUCT&)> handler);
  // A key in a list (WM_VKEYTOITEM); answers what the list box does next.
  void OnListKey(int id, std::function<LRESULT(int key)> handler);
  void OnContextMenu(int id, std::function<void()> handler);
  // A standalone scroll bar's WM_VSCROLL: its request code.
  void OnScroll(int id, std::function<void(int code)> handler);
  // The colour of the control's text, on black.
  void Colour(int id, COLORREF text);

  // The window's answer, nothing when no control claimed the message.
  std::optional<LRESULT> Route(UINT message, WPARAM wParam, LPARAM lParam) const;
  // The text colour claimed for the id, the lists' colour for one that claimed none.
  COLORREF TextColour(int id) const;

 private:
  struct Claims {
    std::function<bool(int)> command;
    std::function<std::optional<LRESULT>(const NMHDR&)> notify;
    std::function<bool(const DRAWITEMSTRUCT&)> drawItem;
    std::function<LRESULT(int)> listKey;
    std::function<void()> contextMenu;
    std::function<void(int)> scroll;
    std::optional<COLORREF> colour;
  };
  const Claims* Of(int id) const;

  std::map<int, Claims> claims_;
};

}  // namespace kolvar::win32
