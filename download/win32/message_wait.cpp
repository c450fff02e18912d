#include "download/win32/message_wait.h"

#include "platform/win32/windows_api.h"

namespace lum::win32 {

void Win32MessageWait::WaitForMessage(std::uint32_t milliseconds) {
  ::MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

}  // namespace lum::win32
