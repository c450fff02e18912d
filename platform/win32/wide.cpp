#include "platform/win32/wide.h"

#include <cwchar>

#include "platform/text.h"

namespace lum::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

std::wstring Wide(std::string_view utf8) {
  std::u16string u = Utf8ToUtf16(utf8);
  return std::wstring(reinterpret_cast<const wchar_t*>(u.data()), u.size());
}

std::string Narrow(const wchar_t* s, std::size_t length) {
  if (s == nullptr || length == 0) return {};
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(s), length));
}

std::string Narrow(const wchar_t* nulTerminated) {
  if (nulTerminated == nullptr) return {};
  return Narrow(nulTerminated, std::wcslen(nulTerminated));
}

FARPROC SystemProc(const char* name, const wchar_t* module) {
  HMODULE lib = ::GetModuleHandleW(module);
  if (lib == nullptr) lib = ::LoadLibraryW(module);
  if (lib == nullptr) return nullptr;
  return ::GetProcAddress(lib, name);
}

}  // namespace lum::win32
