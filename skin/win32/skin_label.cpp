#include "skin/win32/skin_label.h"

namespace lum::win {

bool TZeDaraLabel::Create(HWND parent, const LabelArgs& args) {
  args_ = args;
  font_.Set(args.font);
  SetTransparent(true);
  CreateArgs ca;
  ca.className = L"LumoraSkinLabel";
  ca.parent = parent;
  ca.bounds = args.bounds;
  ca.style = WS_CHILD | WS_CLIPSIBLINGS | (args.visible ? WS_VISIBLE : 0);
  return SkinWindow::Create(ca);
}

void TZeDaraLabel::SetCaption(const std::wstring& caption) {
  if (caption == args_.caption) return;
  args_.caption = caption;
  Invalidate();
}

void TZeDaraLabel::SetColor(COLORREF colour) {
  args_.color = colour;
  Invalidate();
}

void TZeDaraLabel::Paint(const Surface& s) {
  RECT r{0, 0, s.view.Width(), s.view.Height()};
  DrawSkinText(s, r, args_.caption, font_.Handle(), args_.color,
               TextFormat(args_.alignment, args_.wordWrap));
}

bool TZeDaraLabel::HandleMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
  if (!args_.onClick) {
    // A label without a click handler lets the mouse through to its parent.
    if (msg == WM_NCHITTEST) {
      result = HTTRANSPARENT;
      return true;
    }
    return false;
  }
  if (msg == WM_SETCURSOR) {
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    result = TRUE;
    return true;
  }
  // A click is a press on the label and its release over it, tracked as
  // the buttons track theirs; a release alone (the press began elsewhere)
  // is none.
  const ClickStep step = TrackClick(msg, lp);
  if (step == ClickStep::None || step == ClickStep::Dropped) return false;
  if (step == ClickStep::Clicked) args_.onClick();
  result = 0;
  return true;
}

}  // namespace lum::win
