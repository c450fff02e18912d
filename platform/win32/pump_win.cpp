#include "platform/win32/pump_win.h"

#include "platform/win32/windows_api.h"

namespace lum::win32 {

void Win32MessagePump::Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The end of the program was asked for while a long operation waited:
      // leave the request for the main message loop, which would otherwise
      // never see it, and stop here.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

}  // namespace lum::win32
