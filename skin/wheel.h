#pragma once
// Turning mouse-wheel messages into a distance. A wheel reports its turn in
// steps of 120 per notch (WHEEL_DELTA); finer wheels and touchpads send
// smaller steps. A control that moves `step` positions per notch moves
// step × delta ÷ 120 for a message, counted exactly across messages: the
// part of a position a message does not move carries to the next, so four
// messages of 30 move as far as one of 120, and one of 240 as far as two.
// When the wheel turns the other way, what was carried from the old
// direction is dropped rather than taken off the new turn.
#include <cstdint>

namespace lum {

class WheelAccumulator {
 public:
  static constexpr int kNotch = 120;

  explicit WheelAccumulator(int step) : step_(step) {}

  // Positions to move for a message of delta (positive: turned away from
  // the user); the result has the delta's sign, or is 0.
  int Add(int delta) {
    if ((delta > 0 && carried_ < 0) || (delta < 0 && carried_ > 0)) carried_ = 0;
    carried_ += std::int64_t(delta) * step_;
    const std::int64_t move = carried_ / kNotch;  // toward zero: the rest carries
    carried_ -= move * kNotch;
    return int(move);
  }
  // Forgets what was carried.
  void Reset() { carried_ = 0; }

 private:
  int step_;
  std::int64_t carried_ = 0;  // in positions × 120
};

}  // namespace lum
