#pragma once
// When a press and a release make a click on a control: the left button
// goes down on the control (the control then holds the mouse) and comes up
// while the mouse is over it. A release without a press that began on the
// control is no click, nor is one after the hold was lost (another window
// took the mouse) or one away from the control.
namespace lum {

class ClickTracker {
 public:
  enum class Step { Pressed, Released, Clicked, Dropped, None };

  // The left button went down on the control (a double click's second
  // press counts as a press).
  Step Press() {
    held_ = true;
    return Step::Pressed;
  }
  // The left button came up; over: the mouse was over the control.
  Step Release(bool over) {
    const bool held = held_;
    held_ = false;
    return held && over ? Step::Clicked : Step::Released;
  }
  // The control lost the mouse to another window while the button was held.
  Step Lost() {
    if (!held_) return Step::None;
    held_ = false;
    return Step::Dropped;
  }
  bool Held() const { return held_; }

 private:
  bool held_ = false;
};

}  // namespace lum
