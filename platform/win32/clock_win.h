#pragma once
// Local time, the locale's time separator, a millisecond tick and sleeping.
#include "platform/win32/windows_api.h"  // first: see there
#include "platform/platform.h"

namespace lum::win32 {

class Win32Clock final : public IClock {
 public:
  LocalTime Now() override;
  std::string TimeSeparator() override;
  std::uint64_t TickMs() override;
  void Sleep(std::uint32_t milliseconds) override;

 private:
  // GetTickCount wraps after 49.7 days (GetTickCount64 is not on XP); the
  // wraps seen so far extend it to 64 bits. Asked from one thread only.
  std::uint32_t lastTick_ = 0;
  std::uint64_t wraps_ = 0;
};

}  // namespace lum::win32
