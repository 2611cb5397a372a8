// What tests look at inside the window's models beyond what the window layer uses.
#pragma once

#include "ui/controls.h"
#include "ui/skin.h"

namespace kolvar::testing {

class UiProbe {
 public:
  static int Step(const SpinEdit& spin) { return spin.step_; }
  static bool Dragging(const SkinFace& face) { return face.dragging_; }
};

}  // namespace kolvar::testing
