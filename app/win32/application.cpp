#include "app/win32/application.h"

#include "platform/text.h"

namespace lum::win {

namespace {
const wchar_t kAppClass[] = L"TLumoraApplication";
}

Application& App() {
  static Application app;
  return app;
}

bool Application::Initialize(HINSTANCE instance, const wchar_t* title) {
  instance_ = instance;
  title_ = title;
  WNDCLASSW wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.lpszClassName = kAppClass;
  wc.hIcon = LoadIconW(instance, L"MAINICON");
  RegisterClassW(&wc);
  // A zero-sized popup that is never shown and owns no window: the main
  // window is a top-level window of its own (with its own taskbar button).
  // This window stands for the program to other programs: the second
  // instance restores or raises it, and restoring or activating it brings
  // the main window back (WndProc).
  handle_ = CreateWindowExW(WS_EX_TOOLWINDOW, kAppClass, title, WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX,
                            0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  return handle_ != nullptr;
}

LRESULT CALLBACK Application::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Application& app = App();
  switch (msg) {
    case WM_QUERYOPEN:
    case WM_SHOWWINDOW:
    case WM_SIZE:
      // Restored from the minimised state (OpenIcon): bring the main window back.
      if ((msg == WM_QUERYOPEN || (msg == WM_SIZE && wp == SIZE_RESTORED)) && app.mainForm_ &&
          !app.terminated_) {
        ShowWindow(app.mainForm_, SW_SHOW);
        SetForegroundWindow(app.mainForm_);
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && app.mainForm_ && IsWindowVisible(app.mainForm_)) {
        SetFocus(app.mainForm_);
        return 0;
      }
      break;
    case WM_CLOSE:
      if (app.mainForm_) {
        PostMessageW(app.mainForm_, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void Application::Terminate() {
  if (!terminated_) PostQuitMessage(0);
  terminated_ = true;
}

void Application::ClearTerminated() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  terminated_ = false;
}

void Application::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));  // keep it for the main loop
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Application::Run() {
  if (terminated_) return;  // an end requested during start-up ends the loop at once
  if (mainForm_ && showMainForm_) {
    ShowWindow(mainForm_, SW_SHOW);
    UpdateWindow(mainForm_);
  }
  MSG msg;
  while (!terminated_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  terminated_ = true;
}

void Application::ShowException(const std::exception& e) const { ShowException(e.what()); }

void Application::ShowException(const std::string& message) const {
  std::string text = message;
  if (!text.empty() && text.back() != '.') text += ".";
  std::u16string w = Utf8ToUtf16(text);
  MessageBoxW(mainForm_ && IsWindowVisible(mainForm_) ? mainForm_ : nullptr,
              reinterpret_cast<const wchar_t*>(w.c_str()), title_.c_str(), MB_OK | MB_ICONSTOP);
}

void Application::Destroy() {
  if (handle_) DestroyWindow(handle_);
  handle_ = nullptr;
}

}  // namespace lum::win
