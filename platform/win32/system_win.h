#pragma once
// System facts: version, architecture, metrics, locale, processors, the
// program's own path, memory, error texts.
#include "platform/win32/windows_api.h"  // first: see there
#include "platform/platform.h"

namespace lum::win32 {

class Win32System final : public ISystem {
 public:
  std::optional<OsVersionRecord> QueryOsVersion() override;
  std::optional<std::uint16_t> NativeArchitecture() override;
  std::optional<bool> IsWow64Process() override;
  int GetSystemMetrics(int index) override;
  std::uint32_t ThreadLocale() override;
  int ProcessorCount() override;
  std::string ModuleFileName() override;
  MemoryStatus Memory() override;
  std::uint32_t LastError() override;
  void SetLastError(std::uint32_t code) override;
  std::string ErrorMessage(std::uint32_t code) override;
  void Beep() override;
  bool HasLongMode() override;
  std::uint32_t SetErrorMode(std::uint32_t mode) override;
};

}  // namespace lum::win32
