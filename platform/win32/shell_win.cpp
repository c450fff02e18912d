#include "platform/win32/shell_win.h"

#include "platform/win32/windows_api.h"
#include <shellapi.h>

#include "platform/win32/wide.h"

namespace lum::win32 {

static_assert(SPI_SETSCREENSAVEACTIVE == 17);
static_assert(SW_SHOWNA == 8);

void Win32Shell::Open(const std::string& target) {
  ::ShellExecuteW(nullptr, L"open", Wide(target).c_str(), nullptr, nullptr, SW_SHOWNA);
}

void Win32Shell::DisableScreenSaver() {
  ::SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, 0, nullptr, 0);
}

void Win32Shell::SetExecutionState(std::uint32_t flags) {
  ::SetThreadExecutionState(static_cast<EXECUTION_STATE>(flags));
}

}  // namespace lum::win32
