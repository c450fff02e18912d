#pragma once
// Dispatches the thread's pending window messages.
#include "platform/win32/windows_api.h"  // first: see there
#include "platform/platform.h"

namespace lum::win32 {

class Win32MessagePump final : public IMessagePump {
 public:
  void Pump() override;
};

}  // namespace lum::win32
