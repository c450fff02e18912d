#include "download/win32/message_wait.h"

#include "platform/win32/windows_api.h"

namespace lum::win32 {

namespace {

// The message pump leaves an end request (WM_QUIT) in the queue for the main
// message loop, so once one is there the queue is never empty.
bool QuitPending() {
  MSG msg;
  return ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

}  // namespace

void Win32MessageWait::WaitForMessage(std::uint32_t milliseconds) {
  if (QuitPending()) {
    // "Input available" would hold at once on every call and the poll would
    // spin until the download noticed the end. The rest of the slice is
    // waited out; only messages sent from other threads or programs end it
    // early (the end of the session is asked that way), since they must be
    // answered while the program ends.
    ::MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_SENDMESSAGE, 0);
    return;
  }
  ::MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

}  // namespace lum::win32
