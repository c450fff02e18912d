#include "skin/win32/tray_icon.h"

#include <exception>

#include "skin/win32/skin_window.h"

namespace lum::win {

namespace {
const wchar_t kTrayClass[] = L"LumoraTrayIcon";
const UINT kIconId = 1;
}  // namespace

TMlTrayIcon::~TMlTrayIcon() {
  SetVisible(false);
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool TMlTrayIcon::Create(const TrayIconArgs& args) {
  args_ = args;
  if (!args_.icon) args_.icon = LoadIconW(SkinInstance(), L"MAINICON");
  if (!args_.icon) args_.icon = LoadIconW(nullptr, IDI_APPLICATION);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(SkinInstance(), kTrayClass, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = SkinInstance();
    wc.lpszClassName = kTrayClass;
    if (!RegisterClassExW(&wc)) return false;
  }
  hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, kTrayClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                          SkinInstance(), this);
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  return hwnd_ != nullptr;
}

NOTIFYICONDATAW TMlTrayIcon::Data() const {
  NOTIFYICONDATAW d{};
  // The XP-era record size, which every later shell accepts.
  d.cbSize = NOTIFYICONDATAW_V2_SIZE;
  d.hWnd = hwnd_;
  d.uID = kIconId;
  d.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  d.uCallbackMessage = kCallbackMessage;
  d.hIcon = args_.icon;
  lstrcpynW(d.szTip, args_.hint.c_str(), int(sizeof d.szTip / sizeof d.szTip[0]));
  return d;
}

bool TMlTrayIcon::SetVisible(bool visible) {
  if (!hwnd_ || visible == shown_) return true;
  NOTIFYICONDATAW d = Data();
  if (!Shell_NotifyIconW(visible ? NIM_ADD : NIM_DELETE, &d) && visible) return false;
  shown_ = visible;
  return true;
}

HMENU TMlTrayIcon::BuildMenu() const {
  HMENU menu = CreatePopupMenu();
  for (const TrayMenuItem& item : args_.menu) {
    if (item.id == 0)
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuW(menu, MF_STRING, item.id, item.caption.c_str());
  }
  return menu;
}

void TMlTrayIcon::ShowMenu() {
  HMENU menu = BuildMenu();
  POINT pt{};
  GetCursorPos(&pt);
  // The foreground dance makes the menu close when the user clicks elsewhere.
  SetForegroundWindow(hwnd_);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_BOTTOMALIGN | TPM_RIGHTALIGN, pt.x, pt.y, 0, hwnd_, nullptr);
  PostMessageW(hwnd_, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

LRESULT CALLBACK TMlTrayIcon::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* created = static_cast<TMlTrayIcon*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    created->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<TMlTrayIcon*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    return self->Handle(msg, wp, lp);
  } catch (const std::exception& e) {
    ReportSkinException(e.what());
  } catch (...) {
    ReportSkinException("Unknown error");
  }
  return 0;
}

LRESULT TMlTrayIcon::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kCallbackMessage && wp == kIconId) {
    switch (LOWORD(lp)) {
      case WM_LBUTTONUP:
        if (args_.onClick) args_.onClick();
        break;
      case WM_RBUTTONUP:
        ShowMenu();
        break;
    }
    return 0;
  }
  if (msg == WM_COMMAND && HIWORD(wp) == 0) {
    if (args_.onMenu) args_.onMenu(LOWORD(wp));
    return 0;
  }
  if (msg == taskbarCreated_ && taskbarCreated_ && shown_) {
    NOTIFYICONDATAW d = Data();
    Shell_NotifyIconW(NIM_ADD, &d);
    return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace lum::win
