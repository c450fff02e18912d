#include "app/win32/multinst.h"

#include "app/win32/application.h"

namespace lum::win {

const wchar_t kInstanceName[] = L"{2BE6T96E-827F-4EO9-B03S-8110312VELD8}";

namespace {

// Process-wide state of the guard, set once at start on the main thread.
struct GuardState {
  UINT message = 0;
  HANDLE mutex = nullptr;
  WNDPROC oldProc = nullptr;
  HWND window = nullptr;
};
GuardState g_guard;

constexpr WPARAM kAnnounce = 2;  // a new instance announces its window
constexpr WPARAM kAnswer = 1;    // a running instance answers with its window

LRESULT CALLBACK InstanceWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != g_guard.message || msg == 0)
    return CallWindowProcW(g_guard.oldProc, hwnd, msg, wp, lp);
  HWND other = reinterpret_cast<HWND>(lp);
  if (wp == kAnnounce) {
    PostMessageW(other, g_guard.message, kAnswer, reinterpret_cast<LPARAM>(App().Handle()));
  } else if (wp == kAnswer && other != nullptr) {
    if (IsIconic(other))
      OpenIcon(other);
    else
      SetForegroundWindow(other);
    App().Terminate();
  }
  return 0;
}

}  // namespace

UINT InstanceMessage() { return g_guard.message; }

bool InstallInstanceGuard() {
  HWND app = App().Handle();
  g_guard.window = app;
  g_guard.message = RegisterWindowMessageW(kInstanceName);
  g_guard.oldProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(app, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&InstanceWndProc)));

  HANDLE existing = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kInstanceName);
  if (existing != nullptr) {
    // Another instance runs: keep the handle (closed at the end) and announce
    // ourselves; the answer arrives once the message loop runs.
    g_guard.mutex = existing;
    App().SetShowMainForm(false);
    DWORD recipients = BSM_APPLICATIONS;
    BroadcastSystemMessageW(BSF_POSTMESSAGE | BSF_IGNORECURRENTTASK, &recipients, g_guard.message,
                            kAnnounce, reinterpret_cast<LPARAM>(app));
    return true;
  }
  g_guard.mutex = CreateMutexW(nullptr, FALSE, kInstanceName);
  return false;
}

void RemoveInstanceGuard() {
  if (g_guard.oldProc && g_guard.window && IsWindow(g_guard.window))
    SetWindowLongPtrW(g_guard.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_guard.oldProc));
  g_guard.oldProc = nullptr;
  if (g_guard.mutex) CloseHandle(g_guard.mutex);
  g_guard.mutex = nullptr;
}

}  // namespace lum::win
