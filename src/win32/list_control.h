// A list box following a ListBox model: its lines kept in step by the model's
// version, its current item and its hint; the user's clicks, Enter, right presses
// and menu key handed to the model. This kind keeps its own copy of the lines (the
// keyword list); the result and channel lists, built on it, keep none and draw
// every line from the model (result_list_control.h, check_list_control.h).
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "win32/control_router.h"
#include "win32/form_control.h"
#include "win32/host_protocol.h"
#include "win32/skin_scroll_bar.h"
#include "win32/tooltips.h"
#include "win32/wide_text.h"

namespace kolvar::win32 {

template <class ListModel>
class ListControl : public FormControl {
 public:
  using Member = ListModel FormPref::*;

  ListControl(ControlHost& host, const ControlPlace& place, Member model)
      : ListControl(host, place, model, Lines{true, 13, &FormLook::font}) {}

  void Create(const ControlParent& parent) override {
    // Opaque: a list draws its own background, nothing is erased first.
    constexpr DWORD kList = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT | WS_TABSTOP;
    // A list drawn from the model can hold hundreds of thousands of lines: the
    // control keeps none (LBS_NODATA) and is filled by one message. Every list
    // draws its lines itself, so a selected one takes the skin's colours.
    const DWORD drawn = LBS_OWNERDRAWFIXED | (lines_.own ? LBS_HASSTRINGS : LBS_NODATA);
    // A list's own bar keeps the system's grey, and so do a standalone system bar's
    // arrows and thumb: a bar of the window's own, in the skin's colours, takes its
    // place at the list's right edge (skin_scroll_bar.h).
    const ControlPlace::Rect& r = place_.rect;
    // Hidden while every line shows, the bar leaving the list its whole width.
    hwnd_ = Child(parent.window, parent.instance, "LISTBOX", place_.name, kList | drawn, r.x, r.y,
                  r.w, r.h, place_.id);
    bar_ = Child(parent.window, parent.instance, kSkinScrollBarClass, "", 0, r.x + r.w - kBarWidth,
                 r.y, kBarWidth, r.h, place_.id + kListBarOffset);
    ShowWindow(bar_, SW_HIDE);
    Subclass(bar_, kBar);
    SetFont(hwnd_, (host_.Look().*lines_.font).Get());
    SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, lines_.itemHeight);
    Subclass(hwnd_);
    Claim(parent.router);
    parent.router.OnScroll(place_.id + kListBarOffset, [this](int code) { Scroll(code); });
  }

  void Sync(const FormPref& form) override {
    if (!hwnd_) return;
    const ListModel& model = form.*model_;
    // The versions say whether anything changed: a Sync costs what changed, not
    // what the lists hold.
    if (!synced_ || version_ != model.Version()) {
      // Rebuilding a long list item by item redraws once, not per line.
      SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
      SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
      if (lines_.own) {
        for (int i = 0; i < model.Count(); ++i) {
          SendMessageW(hwnd_, LB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(Wide(model.Item(i)).c_str()));
        }
      } else {
        SendMessageA(hwnd_, LB_SETCOUNT, static_cast<WPARAM>(model.Count()), 0);
      }
      SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(hwnd_, nullptr, FALSE);
      count_ = static_cast<std::size_t>(model.Count());
      version_ = model.Version();
      synced_ = true;
      current_ = -2;
    }
    SyncMarks(model);
    if (current_ != model.ItemIndex()) {
      SendMessageA(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(model.ItemIndex()), 0);
      current_ = model.ItemIndex();
    }
    if (model.ShowHint && hint_ != model.Hint) {
      host_.Tips().Set(hwnd_, model.Hint);
      hint_ = model.Hint;
    }
    SyncBar();
  }

  void RefreshScrollBar() override {
    if (!hwnd_) return;
    RECT r{};
    GetClientRect(hwnd_, &r);
    const int visible = (r.bottom - r.top) / lines_.itemHeight;
    if (static_cast<int>(count_) > visible) {
      ShowWindow(bar_, SW_HIDE);
      ShowWindow(bar_, SW_SHOWNA);
    }
  }

 protected:
  // Where the lines live, how tall and in which of the window's fonts.
  struct Lines {
    bool own;  // false: drawn from the model
    int itemHeight;
    UniqueGdiObject<HFONT> FormLook::*font;
  };

  ListControl(ControlHost& host, const ControlPlace& place, Member model, Lines lines)
      : FormControl(host, place), model_(model), lines_(lines) {}

  virtual void Claim(ControlRouter& router) {
    router.OnCommand(place_.id, [this](int code) { return OnCommand(code); });
    router.OnListKey(place_.id, [this](int key) { return OnKey(key); });
    if (lines_.own) {
      router.OnDrawItem(place_.id, [this](const DRAWITEMSTRUCT& item) {
        if (item.itemID == static_cast<UINT>(-1)) return false;
        DrawOwnLine(item);
        return true;
      });
    }
    if (MenuOnPress()) return;
    router.OnContextMenu(place_.id, [this] {
      host_.Input([this](FormPref& form) {
        ListModel& model = form.*model_;
        if (model.OnContextMenu) model.OnContextMenu();
      });
    });
  }

  // What changed in the marks drawn beside the lines, for the lists that have them.
  virtual void SyncMarks(const ListModel&) {}
  // What the list answers of its lines itself; nothing to let the list box answer.
  virtual std::optional<LRESULT> Answer(UINT, WPARAM, LPARAM) const { return std::nullopt; }
  // True when the model shows the list's menu on a right press: the press is then
  // used up (the menu has been and gone), and the menu key asks for nothing.
  virtual bool MenuOnPress() const { return false; }
  virtual void OnLeftPress(int, LPARAM) {}
  // A key pressed in the list; answers what the list box does next (WM_VKEYTOITEM).
  virtual LRESULT OnKey(int key) {
    if (key == VK_RETURN) {
      host_.Input([this](FormPref& form) {
        ListModel& model = form.*model_;
        if (model.OnKeyPress) model.OnKeyPress('\r');
      });
    }
    return -1;  // the list box does the rest
  }

  LRESULT OnMessage(UINT_PTR part, HWND window, UINT message, WPARAM wParam,
                    LPARAM lParam) override {
    if (part == kBar) {
      // The wheel over the bar turns the list, as over the list's own bar.
      if (message == WM_MOUSEWHEEL) return SendMessageW(hwnd_, message, wParam, lParam);
      return FormControl::OnMessage(part, window, message, wParam, lParam);
    }
    if (const std::optional<LRESULT> answer = Answer(message, wParam, lParam)) return *answer;
    if (message == WM_RBUTTONDOWN || message == WM_LBUTTONDOWN) {
      if (OnPress(message == WM_RBUTTONDOWN, lParam)) return 0;
    }
    const LRESULT result = FormControl::OnMessage(part, window, message, wParam, lParam);
    if (MayScroll(message)) SyncBar();
    return result;
  }

  const ControlBase& Model(const FormPref& form) const override { return form.*model_; }

  // The line of the model at index, for drawing and for LB_GETTEXT and
  // LB_GETTEXTLEN; none when out of range or without models.
  std::optional<std::string> ModelLine(WPARAM index) const {
    const FormPref* form = host_.Form();
    if (!form) return std::nullopt;
    const ListModel& model = form->*model_;
    if (index >= static_cast<std::size_t>(model.Count())) return std::nullopt;
    return model.Item(static_cast<int>(index));
  }

  // LB_GETTEXT and LB_GETTEXTLEN of a list that keeps no lines: the model's, for
  // anyone who asks.
  std::optional<LRESULT> AnswerText(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (message != LB_GETTEXT && message != LB_GETTEXTLEN) return std::nullopt;
    // A Unicode list's text is UTF-16: one unit a byte, as Windows-1251 has no other.
    const std::optional<std::string> line = ModelLine(wParam);
    if (!line) return LB_ERR;
    if (message == LB_GETTEXT) {
      if (!lParam) return LB_ERR;
      const std::wstring wide = Wide(*line);
      wide.copy(reinterpret_cast<wchar_t*>(lParam), wide.size());
      reinterpret_cast<wchar_t*>(lParam)[wide.size()] = L'\0';
    }
    return static_cast<LRESULT>(line->size());
  }

  // The background of an owner-drawn line; false when only its focus frame was to
  // be drawn (and has been).
  bool DrawLineBackground(const DRAWITEMSTRUCT& item) const {
    RECT r = item.rcItem;
    // A change of focus alone toggles the dotted frame.
    if (item.itemAction == ODA_FOCUS) {
      DrawFocusRect(item.hDC, &r);
      return false;
    }
    const bool selected = item.itemState & ODS_SELECTED;
    FillRect(item.hDC, &r, selected ? host_.Look().selection.Get() : host_.Look().black.Get());
    return true;
  }

  const Member model_;
  const Lines lines_;

 private:
  bool OnCommand(int code) {
    if (code != LBN_SELCHANGE && code != LBN_DBLCLK) return false;
    const int current = static_cast<int>(SendMessageA(hwnd_, LB_GETCURSEL, 0, 0));
    host_.Input([&](FormPref& form) {
      ListModel& model = form.*model_;
      model.SetItemIndex(current);
      const auto& handler = code == LBN_SELCHANGE ? model.OnClick : model.OnDblClick;
      if (handler) handler();
    });
    return true;
  }

  // A line of a list that keeps its own: its text as the list box holds it.
  void DrawOwnLine(const DRAWITEMSTRUCT& item) const {
    if (!DrawLineBackground(item)) return;
    const LRESULT length = SendMessageW(hwnd_, LB_GETTEXTLEN, item.itemID, 0);
    if (length == LB_ERR) return;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(hwnd_, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    RECT r = item.rcItem;
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, item.itemState & ODS_SELECTED ? kSelectionText : place_.colour);
    ExtTextOutW(item.hDC, r.left + 1, r.top, ETO_CLIPPED, &r, text.data(),
                static_cast<UINT>(text.size()), nullptr);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &r);
  }

  // True: the press is used up.
  bool OnPress(bool right, LPARAM lParam) {
    const LRESULT hit = SendMessageA(hwnd_, LB_ITEMFROMPOINT, 0, lParam);
    const int item = HIWORD(hit) ? -1 : static_cast<int>(LOWORD(hit));
    if (!right) {
      OnLeftPress(item, lParam);
      return false;
    }
    host_.Input([&](FormPref& form) {
      ListModel& model = form.*model_;
      if (model.OnMouseDown) model.OnMouseDown(true, item);
    });
    return MenuOnPress();
  }

  // Whatever may move the list's lines: keys, the wheel, a drag past its edge (a
  // timer), a resize, and the list's own messages from anyone.
  static bool MayScroll(UINT message) {
    switch (message) {
      case WM_KEYDOWN:
      case WM_CHAR:
      case WM_MOUSEWHEEL:
      case WM_VSCROLL:
      case WM_TIMER:
      case WM_LBUTTONDOWN:
      case WM_LBUTTONUP:
      case WM_MOUSEMOVE:
      case WM_SIZE:
      case WM_SETREDRAW:
        return true;
      default:
        return message >= LB_ADDSTRING && message < LB_MSGMAX;
    }
  }

  // The bar's range, page and position from the list's lines, its lines in view
  // and its top line; hidden, as the list's own was, when every line shows.
  void SyncBar() {
    if (!bar_ || inSyncBar_ || !IsWindow(hwnd_)) return;
    inSyncBar_ = true;
    RECT r{};
    GetClientRect(hwnd_, &r);
    const int page = std::max(1, static_cast<int>(r.bottom - r.top) / lines_.itemHeight);
    const int count = static_cast<int>(SendMessageA(hwnd_, LB_GETCOUNT, 0, 0));
    const int top = static_cast<int>(SendMessageA(hwnd_, LB_GETTOPINDEX, 0, 0));
    inSyncBar_ = false;
    if (count == barCount_ && page == barPage_ && top == barTop_) return;
    barCount_ = count;
    barPage_ = page;
    barTop_ = top;
    const bool shown = count > page;
    SCROLLINFO info{sizeof info,
                    SIF_RANGE | SIF_PAGE | SIF_POS,
                    0,
                    std::max(0, count - 1),
                    static_cast<UINT>(page),
                    top,
                    0};
    SendMessageW(bar_, SBM_SETSCROLLINFO, shown, reinterpret_cast<LPARAM>(&info));
    if (shown == barShown_) return;
    barShown_ = shown;
    // The list gives the bar its room while the bar shows, as it does its own.
    const ControlPlace::Rect& place = place_.rect;
    if (!shown) ShowWindow(bar_, SW_HIDE);
    SetWindowPos(hwnd_, nullptr, 0, 0, place.w - (shown ? kBarWidth : 0), place.h,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, FALSE);
    if (shown) ShowWindow(bar_, SW_SHOWNA);
  }

  // The bar's request, as the list's top line.
  void Scroll(int code) {
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    if (!hwnd_ || !SendMessageW(bar_, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&info))) {
      return;
    }
    const int page = std::max(1, static_cast<int>(info.nPage));
    int top = info.nPos;
    switch (code) {
      case SB_LINEUP:
        --top;
        break;
      case SB_LINEDOWN:
        ++top;
        break;
      case SB_PAGEUP:
        top -= page;
        break;
      case SB_PAGEDOWN:
        top += page;
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        top = info.nTrackPos;
        break;
      case SB_TOP:
        top = 0;
        break;
      case SB_BOTTOM:
        top = info.nMax;
        break;
      default:
        return;  // the end of a scroll: nothing moves
    }
    top = std::clamp(top, 0, std::max(0, info.nMax - page + 1));
    SendMessageA(hwnd_, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
  }

  static constexpr UINT_PTR kBar = 1;  // the bar's messages, beside the list's (0)
  // The system's width at 96 dpi, whatever the screen's: the skin's frames are
  // drawn in those pixels.
  static constexpr int kBarWidth = 17;
  bool barShown_ = false;
  HWND bar_ = nullptr;
  bool inSyncBar_ = false;  // its own questions to the list move nothing
  int barCount_ = -1;       // what the bar shows: nothing yet
  int barPage_ = -1;
  int barTop_ = -1;
  std::size_t count_ = 0;
  std::uint64_t version_ = 0;
  bool synced_ = false;
  int current_ = -2;  // nothing synced yet
  std::string hint_;
};

}  // namespace kolvar::win32
