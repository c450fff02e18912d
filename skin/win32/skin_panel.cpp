#include "skin/win32/skin_panel.h"

#include "skin/image_store.h"

namespace lum::win {

bool TZeDaraPanel::Create(HWND parent, const PanelArgs& args) {
  args_ = args;
  SetImage(args.picture.BackgroundImage);
  SetTransparent(true);
  CreateArgs ca;
  ca.className = L"LumoraSkinPanel";
  ca.parent = parent;
  ca.bounds = args.bounds;
  ca.style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (args.visible ? WS_VISIBLE : 0);
  return SkinWindow::Create(ca);
}

void TZeDaraPanel::SetImage(const std::string& id) {
  args_.picture.BackgroundImage = id;
  image_ = ZeDaraResManager().GetImageByName(id);
  imageOpaque_ = image_ && image_->CoversOpaquely();
  Invalidate();
}

lum::TZeDaraPanel TZeDaraPanel::Sized() const {
  lum::TZeDaraPanel p = args_.picture;
  RECT rc{};
  GetClientRect(Handle(), &rc);
  p.Width = int(rc.right);
  p.Height = int(rc.bottom);
  return p;
}

void TZeDaraPanel::Paint(const Surface& s) {
  lum::TZeDaraPanel p = args_.picture;
  p.Width = s.view.Width();
  p.Height = s.view.Height();
  DrawPanel(s.view, p, image_);
}

bool TZeDaraPanel::PaintCoversOpaquely() const {
  return PanelCoversOpaquely(Sized(), image_, imageOpaque_);
}

bool TZeDaraPanel::HandleMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
  if (!args_.onClick) return false;
  const ClickStep step = TrackClick(msg, lp);
  if (step == ClickStep::Clicked) args_.onClick();
  if (step == ClickStep::None || step == ClickStep::Dropped) return false;
  result = 0;
  return true;
}

}  // namespace lum::win
