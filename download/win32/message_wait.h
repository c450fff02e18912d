#pragma once
// Waiting for the next window message of the thread, with a time-out.
#include "download/pump_wait.h"

namespace lum::win32 {

class Win32MessageWait : public IMessageWait {
 public:
  // Returns when a message is in the queue (also one already there but not
  // yet dispatched) or the time is up. While the end of the program is
  // pending it waits the time out, ended early only by a message sent from
  // another thread.
  void WaitForMessage(std::uint32_t milliseconds) override;
};

}  // namespace lum::win32
