#pragma once
// The registry through the wide advapi32 calls. Key handles are HKEYs.
#include "platform/win32/windows_api.h"  // first: see there
#include "platform/platform.h"

namespace lum::win32 {

class Win32Registry final : public IRegistry {
 public:
  long OpenKey(RegRoot root, const std::string& path, std::uint32_t access, bool create,
               RegHandle& key) override;
  void CloseKey(RegHandle key) override;
  long QueryValue(RegHandle key, const std::string& name, std::uint32_t& type,
                  Bytes& data) override;
  long SetValue(RegHandle key, const std::string& name, std::uint32_t type,
                const Bytes& data) override;
  long DeleteValue(RegHandle key, const std::string& name) override;
  long DeleteKey(RegRoot root, const std::string& path) override;
  long EnumSubKeys(RegHandle key, std::vector<std::string>& names) override;
  long EnumValues(RegHandle key, std::vector<std::string>& names) override;
};

}  // namespace lum::win32
