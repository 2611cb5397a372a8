#include "ui/skin.h"
#include "support/ui_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <vector>

namespace kolvar {
namespace {

// A face on a recording host.
struct Face {
  Face() {
    host.Draw = [this](const std::string& file, const SkinButton&) {
      if (failing.count(file)) return false;
      drawn.push_back(file);
      return true;
    };
    host.PointerOnScreen = [this] { return pointer; };
    host.WindowOnScreen = [] { return Point{100, 50}; };
    host.MoveWindow = [this](Point p) { moves.push_back(p); };
    host.RefreshScrollBars = [this] { ++refreshes; };
    for (int i = 0; i < kSkinButtonCount; ++i) {
      host.Actions[static_cast<std::size_t>(i)] = [this, i] {
        actions.push_back(kSkinButtons[static_cast<std::size_t>(i)].name);
      };
    }
  }

  SkinHost host;
  SkinFace& face() {
    if (!face_) face_.emplace(host);
    return *face_;
  }
  std::vector<std::string> drawn, actions;
  std::vector<Point> moves;
  std::set<std::string> failing;
  Point pointer;
  int refreshes = 0;

 private:
  std::optional<SkinFace> face_;
};

const Point kOnAdd{20, 350}, kOnRem{120, 350}, kBare{300, 100}, kStrip{200, 8};

TEST(SkinFaceTest, ImagesAreDrawnOnlyWhenAButtonsStateChanges) {
  Face f;
  f.face().MouseMove(kOnAdd, false);
  ASSERT_EQ(f.drawn.size(), 11u);  // the first move draws every button
  EXPECT_EQ(std::count(f.drawn.begin(), f.drawn.end(), "Skin\\Add_blink.bmp"), 1);
  EXPECT_EQ(f.drawn[0], "Skin\\Minimize_normal.bmp");
  f.drawn.clear();
  f.face().MouseMove({21, 351}, false);  // still inside Add
  EXPECT_TRUE(f.drawn.empty());
  f.face().MouseMove(kBare, false);
  EXPECT_EQ(f.drawn, std::vector<std::string>{"Skin\\Add_normal.bmp"});
}

TEST(SkinFaceTest, TheEdgesOfARectangleAreOutside) {
  for (const SkinButton& b : kSkinButtons) {
    for (Point p : {Point{b.left, b.top + 1}, Point{b.right, b.top + 1}, Point{b.left + 1, b.top},
                    Point{b.left + 1, b.bottom}}) {
      EXPECT_FALSE(b.Contains(p)) << b.name << " " << p.x << "," << p.y;
    }
    EXPECT_TRUE(b.Contains({b.left + 1, b.top + 1})) << b.name;
    EXPECT_TRUE(b.Contains({b.right - 1, b.bottom - 1})) << b.name;
  }
}

TEST(SkinFaceTest, PressesAndReleases) {
  Face f;
  f.face().MouseMove(kBare, false);
  f.drawn.clear();
  // Pressed on Add, released on Rem: Rem runs; Add keeps its pressed image.
  f.face().MouseDown(MouseButton::Left, kOnAdd);
  EXPECT_EQ(f.drawn, std::vector<std::string>{"Skin\\Add_push.bmp"});
  f.face().MouseMove(kOnRem, true);  // the left button held: no image changes
  f.face().MouseUp(MouseButton::Left, kOnRem);
  EXPECT_EQ(f.actions, std::vector<std::string>{"Rem"});
  EXPECT_EQ(f.face().StateOf(SkinButtonId::Add), SkinFace::State::Push);
  // The right button draws and runs nothing.
  f.drawn.clear();
  f.face().MouseDown(MouseButton::Right, kOnAdd);
  f.face().MouseUp(MouseButton::Right, kOnAdd);
  EXPECT_TRUE(f.drawn.empty());
  EXPECT_EQ(f.actions.size(), 1u);
  // A press on the bare face and a release over a button runs it.
  f.face().MouseDown(MouseButton::Left, kBare);
  f.face().MouseUp(MouseButton::Left, kOnAdd);
  EXPECT_EQ(f.actions.back(), "Add");
}

// The second click of a double click that closes a dialog over the window lands
// on it as a release without a press: it must not run the button under it.
TEST(SkinFaceTest, AReleaseWithoutAPressOnTheFaceRunsNothing) {
  Face f;
  f.face().MouseUp(MouseButton::Left, kOnRem);
  EXPECT_TRUE(f.actions.empty());
}

TEST(SkinFaceTest, TheTitleStripDragsTheWindowOnEveryThirdMove) {
  Face f;
  f.face().MouseMove({470, 8}, true);  // beside Minimize and Close: no drag
  f.face().MouseMove(kStrip, false);   // Shift or another button held: no drag
  EXPECT_FALSE(testing::UiProbe::Dragging(f.face()));
  f.pointer = {400, 300};
  f.face().MouseMove(kStrip, true);  // begins, and counts
  EXPECT_TRUE(testing::UiProbe::Dragging(f.face()));
  f.pointer = {410, 305};
  f.face().MouseMove({600, 600}, false);  // a drag goes on wherever the pointer goes
  EXPECT_TRUE(f.moves.empty());
  f.pointer = {420, 330};
  f.face().MouseMove({-5, 900}, true);
  ASSERT_EQ(f.moves.size(), 1u);
  EXPECT_EQ(f.moves[0].x, 120);  // from the start: 100 + (420 - 400)
  EXPECT_EQ(f.moves[0].y, 80);
  f.face().MouseDown(MouseButton::Left, kBare);
  f.face().MouseUp(MouseButton::Left, kOnAdd);  // ends the drag, and is a release
  EXPECT_FALSE(testing::UiProbe::Dragging(f.face()));
  EXPECT_EQ(f.refreshes, 1);
  EXPECT_EQ(f.actions, std::vector<std::string>{"Add"});
}

TEST(SkinFaceTest, AnImageThatCannotBeDrawnLeavesTheStateForTheNextEvent) {
  Face f;
  f.failing = {"Skin\\Close_normal.bmp"};
  f.face().MouseMove(kBare, false);
  EXPECT_EQ(f.drawn.size(), 1u);  // Minimize; the event ends at Close
  EXPECT_EQ(f.face().StateOf(SkinButtonId::Close), SkinFace::State::None);
  f.failing.clear();
  f.face().MouseMove(kBare, false);
  EXPECT_EQ(f.face().StateOf(SkinButtonId::Close), SkinFace::State::Normal);
  EXPECT_EQ(f.drawn.size(), 11u);
}

}  // namespace
}  // namespace kolvar
