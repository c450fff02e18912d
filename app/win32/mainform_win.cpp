#include "app/win32/mainform_win.h"

#include "app/startheader.h"
#include "app/win32/application.h"

namespace lum::win {

bool MainForm::Create() {
  CreateArgs a;
  a.className = L"Tvorel";
  a.title = App().Title().c_str();
  a.style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
  a.width = kWidth;
  a.height = kHeight;
  a.x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  a.y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  a.parent = App().Handle();  // owned by the application window
  return Window::Create(a);
}

void MainForm::FormCreate() {
  LogStartHeader(p_, startSysinfo_);
}

void MainForm::FormDestroy() {}

void MainForm::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  RECT rc;
  GetClientRect(hwnd(), &rc);
  HBRUSH band = CreateSolidBrush(RGB(27, 129, 251));
  RECT top = rc;
  top.bottom = 40;
  FillRect(dc, &top, band);
  DeleteObject(band);
  RECT body = rc;
  body.top = 40;
  FillRect(dc, &body, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EndPaint(hwnd(), &ps);
}

bool MainForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_CREATE:
      FormCreate();
      result = 0;
      return true;
    case WM_PAINT:
      Paint();
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_SYSCOMMAND:
      // Minimising goes through the application window, as restoring does.
      if ((wp & 0xFFF0) == SC_MINIMIZE) {
        ShowWindow(hwnd(), SW_HIDE);
        ShowWindow(App().Handle(), SW_MINIMIZE);
        return true;
      }
      return false;
    case WM_CLOSE:
      App().Terminate();
      return true;
    case WM_DESTROY:
      FormDestroy();
      return true;
  }
  return false;
}

}  // namespace lum::win
