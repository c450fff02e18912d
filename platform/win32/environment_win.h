#pragma once
// The process environment through GetEnvironmentVariableW and
// SetEnvironmentVariableW (what child processes inherit).
#include "platform/win32/windows_api.h"  // first: see there
#include "platform/platform.h"

namespace lum::win32 {

class Win32Environment final : public IEnvironment {
 public:
  std::string Get(const std::string& name) override;
  bool Has(const std::string& name) override;
  void Set(const std::string& name, const std::string& value) override;
};

}  // namespace lum::win32
