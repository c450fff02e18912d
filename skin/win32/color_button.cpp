#include "skin/win32/color_button.h"

namespace lum::win {

bool TZeDaraColorButton::Create(HWND parent, const ColorButtonArgs& args) {
  args_ = args;
  font_.Set(args.font);
  CreateArgs ca;
  ca.className = L"LumoraSkinColorButton";
  ca.parent = parent;
  ca.bounds = args.bounds;
  ca.style = WS_CHILD | WS_CLIPSIBLINGS | (args.visible ? WS_VISIBLE : 0);
  return SkinWindow::Create(ca);
}

void TZeDaraColorButton::Paint(const Surface& s) {
  int w = s.view.Width(), h = s.view.Height();
  COLORREF fill = MouseOver() ? args_.hotColor : args_.normalColor;
  FillRectBlend(s.view, SkinRect{0, 0, w, h}, PixelFromColorRef(fill));
  RECT r{0, 0, w, h};
  DrawSkinText(s, r, args_.caption, font_.Handle(), Enabled() ? args_.fontColor : 11711154,
               TextFormat(TextAlign::Center, false));
}

bool TZeDaraColorButton::HandleMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
  const ClickStep step = TrackClick(msg, lp);
  if (step == ClickStep::Clicked && Enabled() && args_.onClick) args_.onClick();
  if (step == ClickStep::None || step == ClickStep::Dropped) return false;
  result = 0;
  return true;
}

}  // namespace lum::win
