#pragma once
// The page control: a stack of pages of the same size, of which the program
// shows one at a time. Its tabs are hidden: pages are switched by the
// program, never by the user.
#include <memory>
#include <vector>

#include "skin/win32/skin_window.h"

namespace lum::win {

// One page: a transparent container for the page's controls.
class TZeDaraTabSheet : public SkinWindow {
 public:
  bool Create(HWND pageControl, const Bounds& bounds);
};

struct PageControlArgs {
  Bounds bounds{0, 0, 200, 150};
  int pageCount = 1;
  int activePage = 0;
};

class TZeDaraPageControl : public SkinWindow {
 public:
  bool Create(HWND parent, const PageControlArgs& args);
  int PageCount() const { return int(pages_.size()); }
  TZeDaraTabSheet& Page(int index) { return *pages_[std::size_t(index)]; }
  // Shows page index and hides the others; an index out of range is ignored.
  void SetActivePage(int index);
  int ActivePage() const { return active_; }

 protected:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  std::vector<std::unique_ptr<TZeDaraTabSheet>> pages_;
  int active_ = -1;
};

}  // namespace lum::win
