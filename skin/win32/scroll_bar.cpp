#include "skin/win32/scroll_bar.h"

#include <windowsx.h>

#include <algorithm>

#include "skin/image_store.h"
#include "skin/stretch.h"

namespace lum::win {

bool TZeDaraScrollBar::Create(HWND parent, const ScrollBarArgs& args) {
  args_ = args;
  TZeDaraResManager& store = ZeDaraResManager();
  static const char* const kStates[3] = {"_normal", "_highlight", "_down"};
  track_ = store.GetImageByName(args.track);
  for (int i = 0; i < 3; ++i) {
    thumb_[i] = store.GetImageByName(args.thumb + kStates[i]);
    up_[i] = store.GetImageByName(args.arrowUp + kStates[i]);
    down_[i] = store.GetImageByName(args.arrowDown + kStates[i]);
  }
  SetTransparent(true);
  CreateArgs ca;
  ca.className = L"LumoraSkinScrollBar";
  ca.parent = parent;
  ca.bounds = args.bounds;
  ca.style = WS_CHILD | WS_CLIPSIBLINGS;
  return SkinWindow::Create(ca);
}

void TZeDaraScrollBar::SetRange(int content, int page, int position) {
  content_ = std::max(content, 0);
  page_ = std::max(page, 0);
  position_ = std::clamp(position, 0, MaxPosition());
  Invalidate();
}

void TZeDaraScrollBar::ThumbGeometry(int& top, int& length) const {
  RECT rc{};
  GetClientRect(Handle(), &rc);
  int track = std::max(0, int(rc.bottom) - 2 * args_.arrowSize);
  length = content_ > 0 ? int(std::int64_t(track) * page_ / content_) : track;
  length = std::clamp(length, std::min(args_.minThumb, track), track);
  int maxPos = MaxPosition();
  top = args_.arrowSize + (maxPos > 0 ? int(std::int64_t(track - length) * position_ / maxPos) : 0);
}

TZeDaraScrollBar::Part TZeDaraScrollBar::HitTest(int y) const {
  RECT rc{};
  GetClientRect(Handle(), &rc);
  if (y < args_.arrowSize) return kUp;
  if (y >= rc.bottom - args_.arrowSize) return kDown;
  int top, len;
  ThumbGeometry(top, len);
  if (y < top) return kPageUp;
  if (y >= top + len) return kPageDown;
  return kThumb;
}

const TZeDaraImage* TZeDaraScrollBar::PartImage(const TZeDaraImage* const (&states)[3], Part part) const {
  if (pressed_ == part) return states[2];
  if (hot_ == part && pressed_ == kNone) return states[1];
  return states[0];
}

void TZeDaraScrollBar::Paint(const Surface& s) {
  int w = s.view.Width(), h = s.view.Height();
  if (track_) DrawNineSlice(s.view, *track_, SkinRect{0, 0, w, h});
  if (const TZeDaraImage* up = PartImage(up_, kUp)) DrawImage(s.view, *up, 0, 0);
  if (const TZeDaraImage* dn = PartImage(down_, kDown)) DrawImage(s.view, *dn, 0, h - args_.arrowSize);
  int top, len;
  ThumbGeometry(top, len);
  if (const TZeDaraImage* th = PartImage(thumb_, kThumb)) DrawNineSlice(s.view, *th, SkinRect{0, top, w, len});
}

void TZeDaraScrollBar::HoverChanged() {
  if (!MouseOver()) hot_ = kNone;
  Invalidate();
}

void TZeDaraScrollBar::MoveTo(int position) {
  position = std::clamp(position, 0, MaxPosition());
  if (position == position_) return;
  position_ = position;
  Invalidate();
  if (args_.onScroll) args_.onScroll(position_);
}

bool TZeDaraScrollBar::HandleMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
  int y = GET_Y_LPARAM(lp);
  switch (msg) {
    case WM_MOUSEMOVE: {
      if (pressed_ == kThumb) {
        RECT rc{};
        GetClientRect(Handle(), &rc);
        int top, len;
        ThumbGeometry(top, len);
        int track = int(rc.bottom) - 2 * args_.arrowSize - len;
        int newTop = y - dragOffset_ - args_.arrowSize;
        if (track > 0) MoveTo(int(std::int64_t(newTop) * MaxPosition() / track));
      }
      Part p = HitTest(y);
      if (p != hot_) {
        hot_ = p;
        Invalidate();
      }
      result = 0;
      return true;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      pressed_ = HitTest(y);
      SetCapture(Handle());
      int top, len;
      ThumbGeometry(top, len);
      switch (pressed_) {
        case kUp: MoveTo(position_ - args_.lineStep); break;
        case kDown: MoveTo(position_ + args_.lineStep); break;
        case kPageUp: MoveTo(position_ - page_); break;
        case kPageDown: MoveTo(position_ + page_); break;
        case kThumb: dragOffset_ = y - top; break;
        case kNone: break;
      }
      Invalidate();
      result = 0;
      return true;
    }
    case WM_LBUTTONUP:
      pressed_ = kNone;
      if (GetCapture() == Handle()) ReleaseCapture();
      Invalidate();
      result = 0;
      return true;
    case WM_CAPTURECHANGED:
      pressed_ = kNone;
      Invalidate();
      return false;
  }
  return false;
}

}  // namespace lum::win
