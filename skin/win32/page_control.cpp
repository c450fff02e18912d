#include "skin/win32/page_control.h"

namespace lum::win {

bool TZeDaraTabSheet::Create(HWND pageControl, const Bounds& bounds) {
  SetTransparent(true);
  CreateArgs ca;
  ca.className = L"LumoraSkinTabSheet";
  ca.parent = pageControl;
  ca.bounds = bounds;
  ca.style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;  // hidden until chosen
  return SkinWindow::Create(ca);
}

bool TZeDaraPageControl::Create(HWND parent, const PageControlArgs& args) {
  SetTransparent(true);
  CreateArgs ca;
  ca.className = L"LumoraSkinPageControl";
  ca.parent = parent;
  ca.bounds = args.bounds;
  ca.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  if (!SkinWindow::Create(ca)) return false;
  for (int i = 0; i < args.pageCount; ++i) {
    auto page = std::make_unique<TZeDaraTabSheet>();
    if (!page->Create(Handle(), Bounds{0, 0, args.bounds.width, args.bounds.height})) return false;
    pages_.push_back(std::move(page));
  }
  SetActivePage(args.activePage);
  return true;
}

void TZeDaraPageControl::SetActivePage(int index) {
  if (index < 0 || index >= PageCount()) return;
  // Show the new page before hiding the old one, so that the form's picture
  // never shows through in between.
  pages_[std::size_t(index)]->SetVisible(true);
  for (int i = 0; i < PageCount(); ++i)
    if (i != index) pages_[std::size_t(i)]->SetVisible(false);
  active_ = index;
}

bool TZeDaraPageControl::HandleMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
  if (msg == WM_SIZE) {
    RECT rc{};
    GetClientRect(Handle(), &rc);
    for (auto& p : pages_) p->SetBounds(Bounds{0, 0, int(rc.right), int(rc.bottom)});
    result = 0;
    return true;
  }
  return false;
}

}  // namespace lum::win
