#include "skin/win32/skin_window.h"

#include <windowsx.h>

#include <exception>

#include "platform/text.h"

namespace lum::win {

namespace {

SkinExceptionReporter& Reporter() {
  static SkinExceptionReporter reporter;
  return reporter;
}

}  // namespace

void ReportSkinException(const std::string& message) {
  if (Reporter()) {
    Reporter()(message);
    return;
  }
  std::u16string text = Utf8ToUtf16(message);
  MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text.c_str()), L"Lumora", MB_OK | MB_ICONSTOP);
}

void SetSkinExceptionReporter(SkinExceptionReporter reporter) { Reporter() = std::move(reporter); }

HINSTANCE SkinInstance() { return GetModuleHandleW(nullptr); }

UINT WantsWheelMessage() {
  static const UINT msg = RegisterWindowMessageW(L"LumoraSkinWantsWheel");
  return msg;
}

SkinWindow::~SkinWindow() {
  if (hwnd_ && IsWindow(hwnd_)) {
    HWND h = hwnd_;
    SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    DestroyWindow(h);
  }
}

SkinWindow* SkinWindow::FromHandle(HWND hwnd) {
  if (!hwnd || reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) != Proc) return nullptr;
  return reinterpret_cast<SkinWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool SkinWindow::Create(const CreateArgs& a) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(SkinInstance(), a.className, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Proc;
    wc.hInstance = SkinInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;  // every pixel comes from the back buffer
    wc.lpszClassName = a.className;
    if (!RegisterClassExW(&wc)) return false;
  }
  return CreateWindowExW(a.exStyle, a.className, a.title, a.style, a.bounds.x, a.bounds.y,
                         a.bounds.width, a.bounds.height, a.parent, a.menuOrId, SkinInstance(),
                         this) != nullptr;
}

LRESULT CALLBACK SkinWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  SkinWindow* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<SkinWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<SkinWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  try {
    return self->Dispatch(msg, wp, lp);
  } catch (const std::exception& e) {
    ReportSkinException(e.what());
  } catch (...) {
    ReportSkinException("Unknown error");
  }
  return 0;
}

LRESULT SkinWindow::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the back buffer covers every pixel
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_PRINTCLIENT: {
      Render();
      BitBlt(reinterpret_cast<HDC>(wp), 0, 0, buffer_.Width(), buffer_.Height(), buffer_.Dc(), 0, 0,
             SRCCOPY);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (!mouseOver_) {
        mouseOver_ = true;
        TrackMouse();
        HoverChanged();
      }
      break;
    case WM_MOUSELEAVE:
      if (mouseOver_) {
        mouseOver_ = false;
        HoverChanged();
      }
      break;
    case WM_ENABLE:
      Invalidate();
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (onMouseDown_) {
        // A copy: the handler may run a modal loop in which this window goes.
        std::function<void()> handler = onMouseDown_;
        handler();
        return 0;
      }
      break;
  }
  LRESULT result = 0;
  if (HandleMessage(msg, wp, lp, result)) return result;
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

bool SkinWindow::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

SkinWindow::ClickStep SkinWindow::TrackClick(UINT msg, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetCapture(hwnd_);
      return click_.Press();
    case WM_LBUTTONUP: {
      RECT rc{};
      GetClientRect(hwnd_, &rc);
      POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      const bool over = PtInRect(&rc, pt) != FALSE;
      // Released before the capture goes, so that the capture change below
      // finds no press to drop.
      const ClickStep step = click_.Release(over);
      if (GetCapture() == hwnd_) ReleaseCapture();
      return step;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != hwnd_) return click_.Lost();
      return ClickStep::None;
  }
  return ClickStep::None;
}

void SkinWindow::Paint(const Surface&) {}

void SkinWindow::TrackMouse() {
  TRACKMOUSEEVENT t{};
  t.cbSize = sizeof t;
  t.dwFlags = TME_LEAVE;
  t.hwndTrack = hwnd_;
  TrackMouseEvent(&t);
}

void SkinWindow::DrawWhole(const Surface& s) {
  if (PaintCoversOpaquely()) {
    Paint(s);
    return;
  }
  SkinWindow* parent = transparent_ ? FromHandle(GetParent(hwnd_)) : nullptr;
  if (parent) {
    // The parent draws itself shifted so that its pixels under this window
    // land at this window's (0, 0).
    RECT pr{};
    GetClientRect(parent->hwnd_, &pr);
    POINT at{0, 0};
    MapWindowPoints(hwnd_, parent->hwnd_, &at, 1);
    Surface ps{s.view.Sub(SkinRect{-at.x, -at.y, int(pr.right), int(pr.bottom)}), s.dc};
    POINT old{};
    OffsetViewportOrgEx(s.dc, -at.x, -at.y, &old);
    parent->DrawWhole(ps);
    SetViewportOrgEx(s.dc, old.x, old.y, nullptr);
  } else {
    FillRectBlend(s.view, SkinRect{0, 0, s.view.Width(), s.view.Height()},
                  PixelFromColorRef(background_));
  }
  Paint(s);
}

const BackBuffer& SkinWindow::Render() {
  RECT rc{};
  GetClientRect(hwnd_, &rc);
  if (buffer_.Resize(rc.right, rc.bottom)) {
    SetViewportOrgEx(buffer_.Dc(), 0, 0, nullptr);
    buffer_.CountRender();
    DrawWhole(buffer_.AsSurface());
    GdiFlush();
  }
  return buffer_;
}

void SkinWindow::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  Render();
  BitBlt(dc, 0, 0, buffer_.Width(), buffer_.Height(), buffer_.Dc(), 0, 0, SRCCOPY);
  EndPaint(hwnd_, &ps);
}

void SkinWindow::SetBounds(const Bounds& b) {
  SetWindowPos(hwnd_, nullptr, b.x, b.y, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

Bounds SkinWindow::GetBounds() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  HWND parent = (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd_) : nullptr;
  if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return Bounds{int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
}

void SkinWindow::SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }

void SkinWindow::SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }

void SkinWindow::Invalidate() {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

}  // namespace lum::win
