#include "skin/win32/skin_form.h"

#include "skin/image_store.h"
#include "skin/panel.h"

namespace lum::win {

bool TZeDaraForm::Create(const FormArgs& args) {
  args_ = args;
  picture_ = args.picture.empty() ? nullptr : ZeDaraResManager().GetImageByName(args.picture);
  pictureOpaque_ = picture_ && !picture_->Empty() && picture_->CoversOpaquely();
  SetBackgroundColor(args.color);
  CreateArgs ca;
  ca.className = args_.className.c_str();
  ca.title = args_.title.c_str();
  // No border and no title bar; the system menu and minimise box keep the
  // taskbar's minimise and restore working.
  ca.style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
  ca.bounds = args.bounds;
  if (!SkinWindow::Create(ca)) return false;
  if (args.icon) {
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(args.icon));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(args.icon));
  }
  if (args.layerBorder) hasBorder_ = border_.Create(Handle(), args.border);
  return true;
}

void TZeDaraForm::Paint(const Surface& s) {
  if (!picture_) return;
  lum::TZeDaraPanel picture;
  picture.BackgroundImage = args_.picture;
  picture.BackgroundFillType = PanelFillType::Tile;
  picture.Alpha = 0;
  picture.Width = s.view.Width();
  picture.Height = s.view.Height();
  DrawPanel(s.view, picture, picture_);
}

bool TZeDaraForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (args_.onMessage && args_.onMessage(msg, wp, lp, result)) return true;
  switch (msg) {
    case WM_WINDOWPOSCHANGED:
    case WM_SHOWWINDOW:
    case WM_SIZE:
      if (hasBorder_) {
        if (msg == WM_SHOWWINDOW && !wp) {
          for (int e = 0; e < TMlFormLayerBorder::kEdgeCount; ++e)
            ShowWindow(border_.EdgeWindow(TMlFormLayerBorder::Edge(e)), SW_HIDE);
        } else if (msg != WM_SHOWWINDOW) {
          border_.Follow();
        }
      }
      return false;
    case WM_MOUSEWHEEL:
      RouteMouseWheel(Handle(), wp, lp);
      result = 0;
      return true;
    case WM_NCHITTEST:
      result = HTCLIENT;
      return true;
  }
  return false;
}

void DragMove(HWND window) {
  ReleaseCapture();
  SendMessageW(window, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

bool RouteMouseWheel(HWND root, WPARAM wp, LPARAM lp) {
  POINT pt{short(LOWORD(lp)), short(HIWORD(lp))};
  HWND h = WindowFromPoint(pt);
  for (; h && h != root; h = GetParent(h)) {
    if (SendMessageW(h, WantsWheelMessage(), 0, 0) == 1) {
      SendMessageW(h, WM_MOUSEWHEEL, wp, lp);
      return true;
    }
  }
  return false;
}

}  // namespace lum::win
