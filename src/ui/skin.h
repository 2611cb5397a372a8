// The skinned face of the preferences window: eleven buttons drawn from bitmaps
// into fixed rectangles, each showing a normal, a highlighted ("blink") or a
// pressed ("push") image, and a strip along the top that drags the window. The
// platform draws and moves; this keeps the states and decides. Window thread.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "base/geometry.h"

namespace kolvar {

namespace testing {
class UiProbe;
}  // namespace testing

// The window's size: the skin's background image.
inline constexpr int kFormWidth = 515;
inline constexpr int kFormHeight = 383;

enum class SkinButtonId { Add, Acc, Rem, About, Open, Minimize, Close, Search, Find, Test, Save };
inline constexpr int kSkinButtonCount = 11;

struct SkinButton {
  SkinButtonId id;
  const char* name;  // its image files are Skin\<name>_normal.bmp, _blink.bmp, _push.bmp
  int left, right, top, bottom;
  // Inside when strictly between the edges: an image's first row and column are
  // drawn but do not count.
  bool Contains(Point p) const { return left < p.x && p.x < right && top < p.y && p.y < bottom; }
};

// Every button of the skin, each named by its SkinButtonId.
extern const std::array<SkinButton, kSkinButtonCount> kSkinButtons;

enum class MouseButton { Left, Right, Middle };

// What the face needs from the window. Draw returns false when the image could
// not be drawn (the event is then abandoned, and the next one tries again).
struct SkinHost {
  std::function<bool(const std::string& file, const SkinButton& where)> Draw;
  std::function<Point()> PointerOnScreen;
  std::function<Point()> WindowOnScreen;
  std::function<void(Point topLeft)> MoveWindow;
  // Draws anew the scroll bars of the lists that hold more lines than they show.
  std::function<void()> RefreshScrollBars;
  // The action of each button, by SkinButtonId.
  std::array<std::function<void()>, kSkinButtonCount> Actions;
};

class SkinFace {
 public:
  explicit SkinFace(SkinHost host) : host_(std::move(host)) {}

  // leftAlone: the left mouse button is held, and no other button or modifier.
  void MouseMove(Point p, bool leftAlone);
  void MouseDown(MouseButton button, Point p);
  void MouseUp(MouseButton button, Point p);
  // A button's action from the keyboard: as a release over it, drawing nothing.
  void Run(SkinButtonId id) const;

  enum class State { None, Normal, Blink, Push };
  State StateOf(SkinButtonId id) const { return states_[static_cast<std::size_t>(id)]; }

 private:
  friend class testing::UiProbe;

  // Draws a button's image for a state; false when it could not.
  bool Show(const SkinButton& button, State state);

  SkinHost host_;
  std::array<State, kSkinButtonCount> states_{};
  bool dragging_ = false;
  int moveCounter_ = 0;
  Point startPointer_;
  Point startWindow_;
  // A release runs an action only after a press on the face itself: the second
  // click of a double click that closed a dialog lands here without a press.
  bool pressedHere_ = false;
};

}  // namespace kolvar
