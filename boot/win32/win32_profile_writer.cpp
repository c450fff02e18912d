#include "boot/win32/win32_profile_writer.h"

#include <windows.h>

#include "platform/text.h"

namespace lum {

bool Win32ProfileWriter::WriteString(const std::string& section, const std::string& key,
                                     const std::string& value, const std::string& path) {
  std::u16string s = Utf8ToUtf16(section), k = Utf8ToUtf16(key), v = Utf8ToUtf16(value),
                 p = Utf8ToUtf16(path);
  return WritePrivateProfileStringW(reinterpret_cast<LPCWSTR>(s.c_str()),
                                    reinterpret_cast<LPCWSTR>(k.c_str()),
                                    reinterpret_cast<LPCWSTR>(v.c_str()),
                                    reinterpret_cast<LPCWSTR>(p.c_str())) != FALSE;
}

}  // namespace lum
