#pragma once
// The program's own resources, found by type name and resource name.
#include "platform/win32/windows_api.h"  // first: see there
#include "platform/platform.h"

namespace lum::win32 {

class Win32Resources final : public IResources {
 public:
  std::optional<Bytes> Find(const std::string& type, const std::string& name) override;
};

}  // namespace lum::win32
