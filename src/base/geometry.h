// Positions on the screen and in the window, shared by the window's models and the
// platform.
#pragma once

namespace kolvar {

// A point in pixels.
struct Point {
  int x = 0;
  int y = 0;
};

}  // namespace kolvar
