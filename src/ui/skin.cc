#include "ui/skin.h"

namespace kolvar {

namespace {

using Id = SkinButtonId;

const SkinButton& ButtonOf(Id id) {
  for (const SkinButton& b : kSkinButtons) {
    if (b.id == id) return b;
  }
  return kSkinButtons[0];
}

// The orders in which moves, presses and releases look at the buttons.
constexpr std::array<Id, kSkinButtonCount> kMoveOrder = {
    Id::Minimize, Id::Close,  Id::Add,  Id::Acc,  Id::Rem, Id::Open,
    Id::About,    Id::Search, Id::Find, Id::Test, Id::Save};
constexpr std::array<Id, kSkinButtonCount> kPressOrder = {
    Id::Close, Id::Minimize, Id::Add,  Id::Acc,  Id::Rem, Id::Open,
    Id::About, Id::Search,   Id::Find, Id::Test, Id::Save};
constexpr std::array<Id, kSkinButtonCount> kReleaseOrder = {
    Id::Add,  Id::Acc,  Id::Rem,  Id::Open,     Id::About, Id::Search,
    Id::Find, Id::Test, Id::Save, Id::Minimize, Id::Close};

// The title strip, less the 45 pixels of the Minimize and Close buttons.
bool InTitleStrip(Point p) { return 0 < p.x && p.x < kFormWidth - 45 && 0 < p.y && p.y < 17; }

constexpr int kMovesPerStep = 2;  // the window follows every third move of a drag

}  // namespace

const std::array<SkinButton, kSkinButtonCount> kSkinButtons = {{
    {Id::Add, "Add", 11, 48, 347, 360},
    {Id::Acc, "Acc", 62, 99, 347, 360},
    {Id::Rem, "Rem", 114, 152, 347, 360},
    {Id::About, "About", 488, 502, 176, 191},
    {Id::Open, "Open", 486, 504, 154, 167},
    {Id::Minimize, "Minimize", 475, 484, 5, 13},
    {Id::Close, "Close", 499, 508, 5, 13},
    {Id::Search, "Search", 168, 245, 274, 287},
    {Id::Find, "Find", 168, 245, 297, 310},
    {Id::Test, "Test", 272, 339, 274, 287},
    {Id::Save, "Save", 209, 313, 327, 363},
}};

bool SkinFace::Show(const SkinButton& button, State state) {
  static constexpr const char* kSuffix[] = {"", "_normal.bmp", "_blink.bmp", "_push.bmp"};
  const std::string file =
      std::string("Skin\\") + button.name + kSuffix[static_cast<std::size_t>(state)];
  if (!host_.Draw || !host_.Draw(file, button)) return false;
  states_[static_cast<std::size_t>(button.id)] = state;
  return true;
}

void SkinFace::MouseMove(Point p, bool leftAlone) {
  if (!leftAlone) {
    for (Id id : kMoveOrder) {
      const SkinButton& b = ButtonOf(id);
      const State want = b.Contains(p) ? State::Blink : State::Normal;
      if (StateOf(id) != want && !Show(b, want)) return;
    }
  }
  if (!((leftAlone && InTitleStrip(p)) || dragging_)) return;
  const Point pointer = host_.PointerOnScreen ? host_.PointerOnScreen() : Point{};
  if (!dragging_) {
    startPointer_ = pointer;
    startWindow_ = host_.WindowOnScreen ? host_.WindowOnScreen() : Point{};
    dragging_ = true;
  }
  if (moveCounter_ < kMovesPerStep) {
    ++moveCounter_;
    return;
  }
  // From the start positions each time, so moves that lag do not add up.
  if (host_.MoveWindow) {
    host_.MoveWindow({pointer.x + startWindow_.x - startPointer_.x,
                      pointer.y + startWindow_.y - startPointer_.y});
  }
  moveCounter_ = 0;
}

void SkinFace::MouseDown(MouseButton button, Point p) {
  if (button != MouseButton::Left) return;
  pressedHere_ = true;
  for (Id id : kPressOrder) {
    const SkinButton& b = ButtonOf(id);
    if (b.Contains(p) && !Show(b, State::Push)) return;
  }
}

void SkinFace::MouseUp(MouseButton button, Point p) {
  if (button != MouseButton::Left) return;
  if (dragging_) {
    if (host_.RefreshScrollBars) host_.RefreshScrollBars();
    dragging_ = false;
  }
  if (!pressedHere_) return;
  pressedHere_ = false;
  // The position is taken once: an action's modal dialog must not let a second
  // button under the pointer run in the same release.
  for (Id id : kReleaseOrder) {
    const auto& action = host_.Actions[static_cast<std::size_t>(id)];
    if (ButtonOf(id).Contains(p) && action) action();
  }
}

void SkinFace::Run(SkinButtonId id) const {
  const auto& action = host_.Actions[static_cast<std::size_t>(id)];
  if (action) action();
}

}  // namespace kolvar
