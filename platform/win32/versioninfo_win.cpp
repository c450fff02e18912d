#include "platform/win32/versioninfo_win.h"

#include "platform/win32/windows_api.h"

#include <cwchar>

#include "platform/win32/wide.h"

namespace lum::win32 {
namespace {

// VerQueryValueW may write into the block it is given (it converts old ANSI
// resources in place), so it works on a private copy.
bool Query(const Bytes& block, const std::string& subBlock, Bytes& copy, void*& value, UINT& length) {
  if (block.empty()) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  copy = block;
  value = nullptr;
  length = 0;
  return ::VerQueryValueW(copy.data(), Wide(subBlock).c_str(), &value, &length) != 0 &&
         value != nullptr;
}

}  // namespace

std::optional<Bytes> Win32VersionInfo::Load(const std::string& path) {
  std::wstring file = Wide(path);
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  Bytes block(size);
  if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return std::nullopt;
  return block;
}

std::optional<std::string> Win32VersionInfo::QueryString(const Bytes& block,
                                                         const std::string& subBlock) {
  Bytes copy;
  void* value = nullptr;
  UINT length = 0;  // in characters for a string value, its NUL usually counted
  if (!Query(block, subBlock, copy, value, length)) return std::nullopt;
  const wchar_t* text = static_cast<const wchar_t*>(value);
  return Narrow(text, ::wcsnlen(text, length));
}

std::optional<Bytes> Win32VersionInfo::QueryBinary(const Bytes& block, const std::string& subBlock) {
  Bytes copy;
  void* value = nullptr;
  UINT length = 0;  // in bytes for a binary value
  if (!Query(block, subBlock, copy, value, length)) return std::nullopt;
  const std::uint8_t* p = static_cast<const std::uint8_t*>(value);
  return Bytes(p, p + length);
}

}  // namespace lum::win32
