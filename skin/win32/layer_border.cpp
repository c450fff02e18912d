#include "skin/win32/layer_border.h"

#include "skin/canvas.h"
#include "skin/image_store.h"
#include "skin/stretch.h"
#include "skin/win32/back_buffer.h"
#include "skin/win32/skin_window.h"

namespace lum::win {

namespace {

const wchar_t kEdgeClass[] = L"LumoraLayerBorder";

// Hit testing passes through the frame to what lies below.
LRESULT CALLBACK EdgeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCHITTEST) return HTTRANSPARENT;
  if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool RegisterEdgeClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(SkinInstance(), kEdgeClass, &wc)) return true;
  wc = WNDCLASSEXW{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = EdgeProc;
  wc.hInstance = SkinInstance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kEdgeClass;
  return RegisterClassExW(&wc) != 0;
}

// Premultiplied copy of a rectangle of the frame picture, as the layered
// window wants its pixels.
void CopyPremultiplied(const Canvas32& src, const RECT& r, BackBuffer& dst) {
  dst.Resize(r.right - r.left, r.bottom - r.top);
  CanvasView v = dst.View();
  for (int y = 0; y < dst.Height(); ++y)
    for (int x = 0; x < dst.Width(); ++x) {
      std::uint32_t p = src.At(r.left + x, r.top + y);
      std::uint32_t a = PixelA(p);
      auto pm = [a](std::uint32_t c) { return std::uint8_t((c * a + 127) / 255); };
      *v.PixelAt(x, y) = MakePixel(std::uint8_t(a), pm(PixelR(p)), pm(PixelG(p)), pm(PixelB(p)));
    }
}

}  // namespace

TMlFormLayerBorder::~TMlFormLayerBorder() {
  for (HWND& h : edges_)
    if (h) {
      DestroyWindow(h);
      h = nullptr;
    }
}

bool TMlFormLayerBorder::Create(HWND form, const LayerBorderArgs& args) {
  if (!RegisterEdgeClass()) return false;
  form_ = form;
  args_ = args;
  image_ = ZeDaraResManager().GetImageByName(args_.image);
  for (HWND& h : edges_) {
    h = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT,
                        kEdgeClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, SkinInstance(),
                        nullptr);
    if (!h) return false;
  }
  return true;
}

void TMlFormLayerBorder::Repaint(const RECT& frame) {
  int w = frame.right - frame.left, h = frame.bottom - frame.top;
  Canvas32 picture(w, h, 0);
  if (image_) DrawNineSlice(picture.View(), *image_, SkinRect{0, 0, w, h});
  // Each edge takes the band of the frame picture outside the form.
  int l = args_.left, t = args_.top, r = -args_.right, b = -args_.bottom;
  const RECT parts[kEdgeCount] = {
      {0, 0, w, t}, {0, h - b, w, h}, {0, t, l, h - b}, {w - r, t, w, h - b}};
  HDC screen = GetDC(nullptr);
  for (int e = 0; e < kEdgeCount; ++e) {
    const RECT& pr = parts[e];
    if (pr.right <= pr.left || pr.bottom <= pr.top) continue;
    BackBuffer pixels;
    CopyPremultiplied(picture, pr, pixels);
    POINT src{0, 0};
    POINT pos{frame.left + pr.left, frame.top + pr.top};
    SIZE size{pr.right - pr.left, pr.bottom - pr.top};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(edges_[e], screen, &pos, &size, pixels.Dc(), &src, 0, &blend, ULW_ALPHA);
  }
  ReleaseDC(nullptr, screen);
  painted_ = SIZE{w, h};
}

void TMlFormLayerBorder::Follow() {
  if (!form_ || !edges_[0]) return;
  bool show = IsWindowVisible(form_) && !IsIconic(form_);
  if (!show) {
    for (HWND h : edges_) ShowWindow(h, SW_HIDE);
    return;
  }
  RECT fr{};
  GetWindowRect(form_, &fr);
  RECT frame{fr.left - args_.left, fr.top - args_.top, fr.right - args_.right, fr.bottom - args_.bottom};
  int w = frame.right - frame.left, h = frame.bottom - frame.top;
  if (w != painted_.cx || h != painted_.cy) Repaint(frame);
  int l = args_.left, t = args_.top, r = -args_.right, b = -args_.bottom;
  const RECT at[kEdgeCount] = {
      {frame.left, frame.top, frame.right, frame.top + t},
      {frame.left, frame.bottom - b, frame.right, frame.bottom},
      {frame.left, frame.top + t, frame.left + l, frame.bottom - b},
      {frame.right - r, frame.top + t, frame.right, frame.bottom - b}};
  for (int e = 0; e < kEdgeCount; ++e) {
    const RECT& a = at[e];
    bool has = a.right > a.left && a.bottom > a.top;
    SetWindowPos(edges_[e], form_, a.left, a.top, a.right - a.left, a.bottom - a.top,
                 SWP_NOACTIVATE | SWP_NOOWNERZORDER | (has ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  }
}

}  // namespace lum::win
