#include "win32/control_router.h"

#include "win32/control_look.h"

namespace kolvar::win32 {

void ControlRouter::OnCommand(int id, std::function<bool(int code)> handler) {
  claims_[id].command = std::move(handler);
}

void ControlRouter::OnNotify(int id, std::function<std::optional<LRESULT>(const NMHDR&)> handler) {
  claims_[id].notify = std::move(handler);
}

void ControlRouter::OnDrawItem(int id, std::function<bool(const DRAWITEMSTRUCT&)> handler) {
  claims_[id].drawItem = std::move(handler);
}

void ControlRouter::OnListKey(int id, std::function<LRESULT(int key)> handler) {
  claims_[id].listKey = std::move(handler);
}

void ControlRouter::OnContextMenu(int id, std::function<void()> handler) {
  claims_[id].contextMenu = std::move(handler);
}

void ControlRouter::OnScroll(int id, std::function<void(int code)> handler) {
  claims_[id].scroll = std::move(handler);
}

void ControlRouter::Colour(int id, COLORREF text) { claims_[id].colour = text; }

const ControlRouter::Claims* ControlRouter::Of(int id) const {
  const auto it = claims_.find(id);
  return it == claims_.end() ? nullptr : &it->second;
}

COLORREF ControlRouter::TextColour(int id) const {
  const Claims* claims = Of(id);
  return claims && claims->colour ? *claims->colour : kWordsText;
}

std::optional<LRESULT> ControlRouter::Route(UINT message, WPARAM wParam, LPARAM lParam) const {
  switch (message) {
    case WM_COMMAND: {
      // Menus and accelerators name no control.
      const Claims* c = lParam ? Of(LOWORD(wParam)) : nullptr;
      if (!c || !c->command || !c->command(HIWORD(wParam))) return std::nullopt;
      return 0;
    }
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      const Claims* c = Of(static_cast<int>(header.idFrom));
      if (!c || !c->notify) return std::nullopt;
      return c->notify(header);
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      const Claims* c = Of(static_cast<int>(item.CtlID));
      if (!c || !c->drawItem || !c->drawItem(item)) return std::nullopt;
      return TRUE;
    }
    case WM_VKEYTOITEM: {
      const Claims* c = Of(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
      if (!c || !c->listKey) return std::nullopt;
      return c->listKey(LOWORD(wParam));
    }
    case WM_CONTEXTMENU: {
      const Claims* c = Of(GetDlgCtrlID(reinterpret_cast<HWND>(wParam)));
      if (!c || !c->contextMenu) return std::nullopt;
      c->contextMenu();
      return 0;
    }
    case WM_VSCROLL: {
      // A window's own bar names no control.
      const Claims* c = lParam ? Of(GetDlgCtrlID(reinterpret_cast<HWND>(lParam))) : nullptr;
      if (!c || !c->scroll) return std::nullopt;
      c->scroll(LOWORD(wParam));
      return 0;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace kolvar::win32
