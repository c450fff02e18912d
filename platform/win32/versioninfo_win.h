#pragma once
// File version resources through the version library.
#include "platform/win32/windows_api.h"  // first: see there
#include "platform/platform.h"

namespace lum::win32 {

class Win32VersionInfo final : public IVersionInfo {
 public:
  std::optional<Bytes> Load(const std::string& path) override;
  std::optional<std::string> QueryString(const Bytes& block, const std::string& subBlock) override;
  std::optional<Bytes> QueryBinary(const Bytes& block, const std::string& subBlock) override;
};

}  // namespace lum::win32
