#include "skin/win32/skin_button.h"

#include "skin/stretch.h"

namespace lum::win {

bool TZeDaraButton::Create(HWND parent, const ButtonArgs& args) {
  args_ = args;
  pictures_.Count = args.count;
  pictures_.Normal = args.normal;
  pictures_.Hot = args.hot;
  pictures_.Pressed = args.pressed;
  pictures_.Disable = args.disable;
  pictures_.MultiLineMode = args.multiLineMode;
  pictures_.Active = !args.strip.empty();
  pictures_.SetImage(args.strip);
  font_.Set(args.font);
  SetTransparent(true);
  CreateArgs ca;
  ca.className = L"LumoraSkinButton";
  ca.parent = parent;
  ca.bounds = args.bounds;
  ca.style = WS_CHILD | WS_CLIPSIBLINGS | (args.visible ? WS_VISIBLE : 0);
  return SkinWindow::Create(ca);
}

ButtonFrame TZeDaraButton::CurrentFrame() const {
  ButtonState st;
  st.enabled = Enabled();
  st.mouseOver = MouseOver();
  st.mouseDown = ClickHeld();
  st.down = down_;
  return PickButtonFrame(pictures_, st);
}

void TZeDaraButton::SetDown(bool down) {
  down_ = down;
  Invalidate();
}

void TZeDaraButton::SetCaption(const std::wstring& caption) {
  args_.caption = caption;
  Invalidate();
}

void TZeDaraButton::Paint(const Surface& s) {
  ButtonFrame f = CurrentFrame();
  int shift = f.shifted ? args_.pressedOffset : 0;
  int w = s.view.Width(), h = s.view.Height();
  if (pictures_.Active && pictures_.Picture()) {
    const SkinRect frame = pictures_.FrameRect(f.frame);
    if (frame.width > 0 && frame.height > 0)
      DrawNineSlice(s.view, *pictures_.Picture(), frame, SkinRect{shift, shift, w, h});
  }
  if (args_.captionVisible && !args_.caption.empty()) {
    RECT r{shift, shift, w + shift, h + shift};
    COLORREF colour = Enabled() ? args_.fontColor : kDisabledCaptionColor;
    DrawSkinText(s, r, args_.caption, font_.Handle(), colour, TextFormat(TextAlign::Center, false));
  }
}

bool TZeDaraButton::HandleMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
  const ClickStep step = TrackClick(msg, lp);
  if (step == ClickStep::None) return false;
  Invalidate();  // the frame follows the press
  if (step == ClickStep::Clicked && Enabled() && args_.onClick) args_.onClick();
  result = 0;
  return step != ClickStep::Dropped;  // a capture change goes on to the default
}

}  // namespace lum::win
