#include "platform/win32/resources_win.h"

#include "platform/win32/windows_api.h"

#include "platform/win32/wide.h"

namespace lum::win32 {

// Both are names (the resource compiler stores them upper-cased and the
// lookup ignores letter case), never numbers. The data stays mapped with the
// module; it is copied out.
std::optional<Bytes> Win32Resources::Find(const std::string& type, const std::string& name) {
  HMODULE self = ::GetModuleHandleW(nullptr);
  HRSRC info = ::FindResourceW(self, Wide(name).c_str(), Wide(type).c_str());
  if (info == nullptr) return std::nullopt;
  DWORD size = ::SizeofResource(self, info);
  HGLOBAL loaded = ::LoadResource(self, info);
  if (loaded == nullptr) return std::nullopt;
  const void* data = ::LockResource(loaded);
  if (data == nullptr) {
    if (size != 0) return std::nullopt;
    return Bytes();
  }
  const std::uint8_t* p = static_cast<const std::uint8_t*>(data);
  return Bytes(p, p + size);
}

}  // namespace lum::win32
