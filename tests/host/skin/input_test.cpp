// The skin's input rules: how far wheel messages move a control, and which
// press and release sequences make a click.
#include <gtest/gtest.h>

#include <vector>

#include "skin/click_tracker.h"
#include "skin/wheel.h"

namespace lum {
namespace {

TEST(SkinWheel, MovesTwentyFivePerNotchCarryingTheRestAcrossMessages) {
  struct Case {
    const char* what;
    std::vector<int> deltas;
    std::vector<int> moved;  // in total after each message; positive: away from the user
  } cases[] = {
      {"one notch each way", {120, -120}, {25, 0}},
      {"a two-notch message", {240}, {50}},
      {"a two-notch message towards the user", {-240}, {-50}},
      {"four messages of 30 make one notch", {30, 30, 30, 30}, {6, 12, 18, 25}},
      {"touchpad steps of 8 add up exactly",
       std::vector<int>(15, -8),
       {-1, -3, -5, -6, -8, -10, -11, -13, -15, -16, -18, -20, -21, -23, -25}},
      {"a step below one position moves nothing until it adds up", {4, 4}, {0, 1}},
      {"a notch and a half, then half a notch", {180, 60}, {37, 50}},
      {"turning back drops what the other way carried", {30, -30, -90}, {6, 0, -19}},
      {"a whole notch back after a part notch", {100, -120}, {20, -5}},
      {"zero moves nothing and keeps the rest", {60, 0, 60}, {12, 12, 25}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WheelAccumulator wheel(25);
    std::vector<int> moved;
    int total = 0;
    for (int d : c.deltas) moved.push_back(total += wheel.Add(d));
    EXPECT_EQ(moved, c.moved);
  }
}

TEST(SkinWheel, AnyStepSizeIsExactOverWholeNotches) {
  for (int step : {1, 20, 25, 78}) {
    for (int delta : {1, 7, 30, 40, 120, 121}) {
      WheelAccumulator wheel(step);
      long long moved = 0;
      // 120 messages of delta make delta notches.
      for (int i = 0; i < 120; ++i) moved += wheel.Add(-delta);
      EXPECT_EQ(moved, -1LL * step * delta) << "step " << step << ", delta " << delta;
    }
  }
}

TEST(SkinClick, OnlyAPressOnTheControlReleasedOverItClicks) {
  using Step = ClickTracker::Step;
  enum Event { Press, ReleaseOver, ReleaseAway, Lost };
  struct Case {
    const char* what;
    std::vector<Event> events;
    int clicks;
  } cases[] = {
      {"press and release over it", {Press, ReleaseOver}, 1},
      {"a release without a press (pressed elsewhere)", {ReleaseOver}, 0},
      {"released away from it", {Press, ReleaseAway}, 0},
      {"the hold lost before the release", {Press, Lost, ReleaseOver}, 0},
      {"a second release after the click", {Press, ReleaseOver, ReleaseOver}, 1},
      {"a stray release, then a real click", {ReleaseOver, Press, ReleaseOver}, 1},
      {"a double click's two presses", {Press, ReleaseOver, Press, ReleaseOver}, 2},
      {"a loss with nothing held", {Lost, Press, ReleaseOver}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClickTracker t;
    int clicks = 0;
    for (Event e : c.events) {
      switch (e) {
        case Press:
          EXPECT_EQ(t.Press(), Step::Pressed);
          EXPECT_TRUE(t.Held());
          break;
        case ReleaseOver: clicks += t.Release(true) == Step::Clicked; break;
        case ReleaseAway: clicks += t.Release(false) == Step::Clicked; break;
        case Lost: t.Lost(); break;
      }
    }
    EXPECT_EQ(clicks, c.clicks);
    EXPECT_FALSE(t.Held());
  }
  ClickTracker t;
  EXPECT_EQ(t.Lost(), Step::None);
  t.Press();
  EXPECT_EQ(t.Lost(), Step::Dropped);
  EXPECT_EQ(t.Release(true), Step::Released);
}

}  // namespace
}  // namespace lum
