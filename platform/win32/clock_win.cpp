#include "platform/win32/clock_win.h"

#include "platform/win32/windows_api.h"

#include "platform/win32/wide.h"

namespace lum::win32 {

LocalTime Win32Clock::Now() {
  SYSTEMTIME st{};
  ::GetLocalTime(&st);
  return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                   st.wMilliseconds};
}

std::string Win32Clock::TimeSeparator() {
  wchar_t buf[8] = {};
  int n = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, buf, static_cast<int>(std::size(buf)));
  if (n <= 1) return ":";  // not there, or only its NUL
  return Narrow(buf);
}

std::uint64_t Win32Clock::TickMs() {
  std::uint32_t now = ::GetTickCount();
  if (now < lastTick_) ++wraps_;
  lastTick_ = now;
  return (wraps_ << 32) | now;
}

void Win32Clock::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace lum::win32
