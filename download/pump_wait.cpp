#include "download/pump_wait.h"

#include <algorithm>

namespace lum {

void ClockMessageWait::WaitForMessage(std::uint32_t milliseconds) {
  clock_.Sleep(std::min<std::uint32_t>(milliseconds, 10));
}

void PumpWait(Platform& p, IMessageWait& wait, std::int32_t ms) {
  const std::uint64_t start = p.clock.TickMs();
  for (;;) {
    p.pump.Pump();
    const std::uint64_t now = p.clock.TickMs();
    // A counter that went backwards ends the wait rather than stretching it.
    if (ms <= 0 || now < start || now - start >= static_cast<std::uint64_t>(ms)) return;
    wait.WaitForMessage(static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms) - (now - start)));
  }
}

}  // namespace lum
