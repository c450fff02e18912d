#pragma once
// UTF-8 <-> UTF-16 at the engine's Windows boundary.
#include <windows.h>

#include <string>
#include <string_view>

namespace lum::engine::win32 {

std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
// Text in the machine's ANSI code page to UTF-8.
std::string AnsiToUtf8(std::string_view ansi);

}  // namespace lum::engine::win32
