#include "platform/win32/registry_win.h"

#include "platform/win32/windows_api.h"

#include "platform/win32/wide.h"

namespace lum::win32 {
namespace {

// The predefined keys are small negative numbers cast to a handle, which
// sign-extends them in a 64-bit build; take the system's own definitions.
HKEY RootKey(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegRoot::Users: return HKEY_USERS;
    case RegRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
  }
  return nullptr;
}

HKEY AsKey(RegHandle key) { return reinterpret_cast<HKEY>(key); }

// The registry calls answer their error code instead of setting the last
// error; mirror it there so that every failing seam call can be logged alike.
long Report(LONG rc) {
  if (rc != ERROR_SUCCESS) ::SetLastError(static_cast<DWORD>(rc));
  return rc;
}

// Names of subkeys are at most 255 characters, names of values 16383.
template <typename Enum>
long EnumNames(DWORD maxChars, std::vector<std::string>& names, Enum enumerate) {
  names.clear();
  std::wstring buf(maxChars + 1, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD len = static_cast<DWORD>(buf.size());
    LONG rc = enumerate(index, buf.data(), &len);
    if (rc == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return Report(rc);
    names.push_back(Narrow(buf.data(), len));
  }
}

}  // namespace

long Win32Registry::OpenKey(RegRoot root, const std::string& path, std::uint32_t access,
                            bool create, RegHandle& key) {
  key = 0;
  HKEY base = RootKey(root);
  if (base == nullptr) return Report(ERROR_INVALID_HANDLE);
  std::wstring sub = Wide(path);
  HKEY h = nullptr;
  LONG rc;
  if (create) {
    DWORD disposition = 0;
    rc = ::RegCreateKeyExW(base, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                           &h, &disposition);
  } else {
    rc = ::RegOpenKeyExW(base, sub.c_str(), 0, access, &h);
  }
  if (rc == ERROR_SUCCESS) key = reinterpret_cast<RegHandle>(h);
  return Report(rc);
}

void Win32Registry::CloseKey(RegHandle key) {
  if (key == 0) return;
  KeepLastError keep;
  ::RegCloseKey(AsKey(key));
}

long Win32Registry::QueryValue(RegHandle key, const std::string& name, std::uint32_t& type,
                               Bytes& data) {
  std::wstring value = Wide(name);
  data.clear();
  type = REG_NONE;
  DWORD t = REG_NONE, size = 0;
  LONG rc = ::RegQueryValueExW(AsKey(key), value.c_str(), nullptr, &t, nullptr, &size);
  // The value can grow between the two calls; ask again until it fits.
  while (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    data.resize(size);
    DWORD got = size;
    rc = ::RegQueryValueExW(AsKey(key), value.c_str(), nullptr, &t,
                            size ? data.data() : nullptr, &got);
    if (rc == ERROR_SUCCESS) {
      data.resize(got);
      type = t;
      return ERROR_SUCCESS;
    }
    if (rc == ERROR_MORE_DATA) size = got > size ? got : size + 256;
  }
  data.clear();
  return Report(rc);
}

long Win32Registry::SetValue(RegHandle key, const std::string& name, std::uint32_t type,
                             const Bytes& data) {
  return Report(::RegSetValueExW(AsKey(key), Wide(name).c_str(), 0, type,
                                 data.empty() ? nullptr : data.data(),
                                 static_cast<DWORD>(data.size())));
}

long Win32Registry::DeleteValue(RegHandle key, const std::string& name) {
  return Report(::RegDeleteValueW(AsKey(key), Wide(name).c_str()));
}

long Win32Registry::DeleteKey(RegRoot root, const std::string& path) {
  HKEY base = RootKey(root);
  if (base == nullptr) return Report(ERROR_INVALID_HANDLE);
  return Report(::RegDeleteKeyW(base, Wide(path).c_str()));
}

long Win32Registry::EnumSubKeys(RegHandle key, std::vector<std::string>& names) {
  return EnumNames(255, names, [&](DWORD i, wchar_t* buf, DWORD* len) {
    return ::RegEnumKeyExW(AsKey(key), i, buf, len, nullptr, nullptr, nullptr, nullptr);
  });
}

long Win32Registry::EnumValues(RegHandle key, std::vector<std::string>& names) {
  return EnumNames(16383, names, [&](DWORD i, wchar_t* buf, DWORD* len) {
    return ::RegEnumValueW(AsKey(key), i, buf, len, nullptr, nullptr, nullptr, nullptr);
  });
}

}  // namespace lum::win32
