#include "platform/win32/environment_win.h"

#include "platform/win32/windows_api.h"

#include "platform/win32/wide.h"

namespace lum::win32 {
namespace {

// The variable's value; nullopt when it is not set. An empty value and a
// missing variable both answer 0, told apart by the last error.
std::optional<std::wstring> Lookup(const std::wstring& name) {
  std::wstring buf(256, L'\0');
  for (;;) {
    ::SetLastError(ERROR_SUCCESS);
    DWORD n = ::GetEnvironmentVariableW(name.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) {
      if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::wstring();
    }
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.assign(n, L'\0');  // n is the size needed, its NUL included
  }
}

}  // namespace

std::string Win32Environment::Get(const std::string& name) {
  std::optional<std::wstring> v = Lookup(Wide(name));
  return v ? Narrow(*v) : std::string();
}

bool Win32Environment::Has(const std::string& name) {
  return Lookup(Wide(name)).has_value();
}

void Win32Environment::Set(const std::string& name, const std::string& value) {
  ::SetEnvironmentVariableW(Wide(name).c_str(), Wide(value).c_str());
}

}  // namespace lum::win32
