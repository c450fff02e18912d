#pragma once
// Waiting on the window's thread without freezing the window.
#include <cstdint>

#include "platform/platform.h"

namespace lum {

// Blocks until a window message arrives or the time is up, whichever is first.
class IMessageWait {
 public:
  virtual ~IMessageWait() = default;
  virtual void WaitForMessage(std::uint32_t milliseconds) = 0;
};

// For machines whose message queue cannot be waited on: sleeps on the
// platform clock in slices short enough that a message waits at most 10 ms.
class ClockMessageWait : public IMessageWait {
 public:
  explicit ClockMessageWait(IClock& clock) : clock_(clock) {}
  void WaitForMessage(std::uint32_t milliseconds) override;

 private:
  IClock& clock_;
};

// Dispatches the pending window messages, again and again, until at least ms
// milliseconds have passed on the tick counter; between passes it waits for
// the next message instead of turning in a tight loop. A value of 0 or less
// dispatches once.
void PumpWait(Platform& p, IMessageWait& wait, std::int32_t ms);

}  // namespace lum
