#pragma once
// The shell's "open", the screen saver switch and the power request.
#include "platform/win32/windows_api.h"  // first: see there
#include "platform/platform.h"

namespace lum::win32 {

class Win32Shell final : public IShell {
 public:
  void Open(const std::string& target) override;
  void DisableScreenSaver() override;
  void SetExecutionState(std::uint32_t flags) override;
};

}  // namespace lum::win32
