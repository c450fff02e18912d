#include "platform/win32/codepage_win.h"

#include "platform/win32/windows_api.h"

#include <limits>

#include "platform/win32/wide.h"

namespace lum::win32 {

unsigned Win32CodePage::Acp() { return ::GetACP(); }

Bytes Win32CodePage::ToAnsi(const std::string& utf8) {
  std::wstring w = Wide(utf8);
  if (w.empty()) return {};
  if (w.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return {};
  // The UTF-7 and UTF-8 code pages refuse a replacement character; every
  // other one takes "?" for a character it cannot hold.
  UINT acp = ::GetACP();
  const char* replacement = (acp == CP_UTF7 || acp == CP_UTF8) ? nullptr : "?";
  int len = static_cast<int>(w.size());
  int n = ::WideCharToMultiByte(CP_ACP, 0, w.data(), len, nullptr, 0, replacement, nullptr);
  if (n <= 0) return {};
  Bytes out(static_cast<std::size_t>(n));
  n = ::WideCharToMultiByte(CP_ACP, 0, w.data(), len, reinterpret_cast<char*>(out.data()), n,
                            replacement, nullptr);
  out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return out;
}

std::string Win32CodePage::FromAnsi(const Bytes& ansi) {
  if (ansi.empty()) return {};
  if (ansi.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return {};
  const char* src = reinterpret_cast<const char*>(ansi.data());
  int len = static_cast<int>(ansi.size());
  int n = ::MultiByteToWideChar(CP_ACP, 0, src, len, nullptr, 0);
  if (n <= 0) return {};
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  n = ::MultiByteToWideChar(CP_ACP, 0, src, len, w.data(), n);
  return Narrow(w.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
}

}  // namespace lum::win32
