#include "skin/win32/scroll_box.h"

#include <algorithm>
#include <vector>

namespace lum::win {

namespace {

// Posted to the box itself: bring the range up to date.
UINT RangeMessage() {
  static const UINT msg = RegisterWindowMessageW(L"LumoraSkinScrollBoxRange");
  return msg;
}

}  // namespace

bool TZeDaraScrollBox::Create(HWND parent, const ScrollBoxArgs& args) {
  args_ = args;
  wheel_ = WheelAccumulator(args.wheelStep);
  SetTransparent(true);
  CreateArgs ca;
  ca.className = L"LumoraSkinScrollBox";
  ca.parent = parent;
  ca.bounds = args.bounds;
  ca.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  if (!SkinWindow::Create(ca)) return false;
  ScrollBarArgs ba = args.bar;
  ba.bounds = args.barParent
                  ? args.barBounds
                  : Bounds{args.bounds.width - args.barWidth, 0, args.barWidth, args.bounds.height};
  ba.lineStep = args.wheelStep;  // an arrow click moves as far as a wheel notch
  ba.onScroll = [this](int pos) { ScrollTo(pos); };
  if (!bar_.Create(args.barParent ? args.barParent : Handle(), ba)) return false;
  bar_.SetVisible(false);  // shown once the controls reach below the box
  return true;
}

int TZeDaraScrollBox::ClientHeight() const {
  RECT rc{};
  GetClientRect(Handle(), &rc);
  return int(rc.bottom);
}

void TZeDaraScrollBox::UpdateRange() {
  rangePending_ = false;
  // Content extent: the lowest bottom edge of the controls, in content rows.
  int extent = 0;
  for (HWND c = GetWindow(Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (c == bar_.Handle()) continue;
    RECT r{};
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
    extent = std::max(extent, int(r.bottom) + position_);
  }
  content_ = extent;
  int page = ClientHeight();
  bool needed = content_ > page;
  bar_.SetVisible(needed);
  if (needed) SetWindowPos(bar_.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ScrollTo(position_);
  bar_.SetRange(content_, page, position_);
}

void TZeDaraScrollBox::ScrollTo(int position) {
  if (rangePending_) UpdateRange();
  int maxPos = std::max(0, content_ - ClientHeight());
  position = std::clamp(position, 0, maxPos);
  int delta = position_ - position;
  if (delta != 0) {
    std::vector<HWND> children;
    for (HWND c = GetWindow(Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (c != bar_.Handle()) children.push_back(c);
    HDWP dwp = BeginDeferWindowPos(int(children.size()));
    for (HWND c : children) {
      RECT r{};
      GetWindowRect(c, &r);
      MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
      if (dwp)
        dwp = DeferWindowPos(dwp, c, nullptr, r.left, r.top + delta, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (dwp) EndDeferWindowPos(dwp);
    position_ = position;
    Invalidate();
  }
  bar_.SetRange(content_, ClientHeight(), position_);
}

bool TZeDaraScrollBox::HandleMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  if (msg == WM_PARENTNOTIFY && (LOWORD(wp) == WM_CREATE || LOWORD(wp) == WM_DESTROY)) {
    if (!rangePending_) {
      rangePending_ = true;
      PostMessageW(Handle(), RangeMessage(), 0, 0);
    }
    return false;
  }
  if (msg == RangeMessage()) {
    if (rangePending_) UpdateRange();
    result = 0;
    return true;
  }
  if (msg == WantsWheelMessage()) {
    result = 1;
    return true;
  }
  if (msg == WM_MOUSEWHEEL) {
    int delta = GET_WHEEL_DELTA_WPARAM(wp);
    if (!(args_.onMouseWheel && args_.onMouseWheel(delta))) {
      // Turned away from the user: towards the top of the content.
      if (int up = wheel_.Add(delta)) ScrollTo(position_ - up);
    }
    result = 0;
    return true;
  }
  return false;
}

}  // namespace lum::win
