#include "app/win32/window.h"

#include <exception>

#include "app/win32/application.h"

namespace lum::win {

Window::~Window() {
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool Window::Create(const CreateArgs& a) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(App().Instance(), a.className, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Proc;
    wc.hInstance = App().Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = a.background;
    wc.lpszClassName = a.className;
    wc.hIcon = LoadIconW(App().Instance(), L"MAINICON");
    RegisterClassExW(&wc);
  }
  return CreateWindowExW(a.exStyle, a.className, a.title, a.style, a.x, a.y, a.width, a.height,
                         a.parent, nullptr, App().Instance(), this) != nullptr;
}

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self) {
    try {
      LRESULT result = 0;
      if (self->HandleMessage(msg, wp, lp, result)) return result;
    } catch (const std::exception& e) {
      App().ShowException(e);
      return 0;
    } catch (...) {
      App().ShowException("Unknown error");
      return 0;
    }
    if (msg == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace lum::win
