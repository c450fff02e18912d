#pragma once
// The system's ANSI code page (CP_ACP): 936 (GBK) on Simplified Chinese Windows.
#include "platform/win32/windows_api.h"  // first: see there
#include "platform/platform.h"

namespace lum::win32 {

class Win32CodePage final : public ICodePage {
 public:
  unsigned Acp() override;
  Bytes ToAnsi(const std::string& utf8) override;
  std::string FromAnsi(const Bytes& ansi) override;
};

}  // namespace lum::win32
