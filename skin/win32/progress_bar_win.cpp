#include "skin/win32/progress_bar_win.h"

#include "skin/image_store.h"

namespace lum::win {

bool TZeDaraProgressBar::Create(HWND parent, const ProgressBarArgs& args) {
  args_ = args;
  background_ = ZeDaraResManager().GetImageByName(args.bar.Bar_Background);
  fill_ = ZeDaraResManager().GetImageByName(args.bar.Bar_Progress);
  font_.Set(args.font);
  SetTransparent(true);
  CreateArgs ca;
  ca.className = L"LumoraSkinProgressBar";
  ca.parent = parent;
  ca.bounds = args.bounds;
  ca.style = WS_CHILD | WS_CLIPSIBLINGS | (args.visible ? WS_VISIBLE : 0);
  return SkinWindow::Create(ca);
}

void TZeDaraProgressBar::SetValue(int value) {
  if (value == args_.bar.Value) return;
  args_.bar.Value = value;
  Invalidate();
}

void TZeDaraProgressBar::SetMaxValue(int maxValue) {
  if (maxValue == args_.bar.MaxValue) return;
  args_.bar.MaxValue = maxValue;
  Invalidate();
}

void TZeDaraProgressBar::SetCaption(const std::wstring& caption) {
  args_.caption = caption;
  Invalidate();
}

lum::TZeDaraProgressBar TZeDaraProgressBar::Sized() const {
  lum::TZeDaraProgressBar bar = args_.bar;
  RECT rc{};
  GetClientRect(Handle(), &rc);
  bar.Width = int(rc.right);
  bar.Height = int(rc.bottom);
  return bar;
}

int TZeDaraProgressBar::FillLength() const {
  lum::TZeDaraProgressBar bar = Sized();
  ProgressGeometry g = ComputeProgressGeometry(bar, background_ ? background_->height : 0,
                                               fill_ ? fill_->height : 0);
  return g.drawsPictures ? g.fillLength : 0;
}

void TZeDaraProgressBar::Paint(const Surface& s) {
  lum::TZeDaraProgressBar bar = Sized();
  DrawProgressBar(s.view, bar, background_, fill_);
  if (args_.captionVisible && !args_.caption.empty()) {
    RECT r{0, 0, bar.Width, bar.Height};
    DrawSkinText(s, r, args_.caption, font_.Handle(), args_.fontColor,
                 TextFormat(TextAlign::Center, false));
  }
}

}  // namespace lum::win
