#pragma once
// The skinned vertical scroll bar: a track with an arrow button at each end
// and a thumb whose length shows the visible part. Each part has normal,
// highlight and down pictures. It reports new positions to its owner.
#include <functional>
#include <string>

#include "skin/image.h"
#include "skin/win32/skin_window.h"

namespace lum::win {

struct ScrollBarArgs {
  Bounds bounds{0, 0, 10, 100};
  std::string track = "ZeDaraScrollbar_bkg";
  std::string thumb = "ZeDaraScrollbar_bar";          // + "_normal", "_highlight", "_down"
  std::string arrowUp = "ZeDaraScrollbar_arrowup";    // likewise
  std::string arrowDown = "ZeDaraScrollbar_arrowdown";
  int arrowSize = 9;   // height of each arrow button
  int minThumb = 12;   // shortest thumb
  int lineStep = 20;   // arrow click
  std::function<void(int position)> onScroll;
};

class TZeDaraScrollBar : public SkinWindow {
 public:
  bool Create(HWND parent, const ScrollBarArgs& args);
  // The range: content length, visible page length and the first visible position.
  void SetRange(int content, int page, int position);
  int Position() const { return position_; }
  int MaxPosition() const { return content_ > page_ ? content_ - page_ : 0; }
  // The thumb's top and length in the bar's client coordinates.
  void ThumbGeometry(int& top, int& length) const;
  void SetLineStep(int step) { args_.lineStep = step; }

 protected:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void Paint(const Surface& s) override;
  void HoverChanged() override;

 private:
  enum Part { kNone, kUp, kDown, kThumb, kPageUp, kPageDown };
  Part HitTest(int y) const;
  void MoveTo(int position);
  // The picture a part shows in its present state (down, highlight or normal).
  const TZeDaraImage* PartImage(const TZeDaraImage* const (&states)[3], Part part) const;

  ScrollBarArgs args_;
  // The pictures, looked up once when the bar is made: the track, and the
  // normal, highlight and down states of the thumb and of each arrow.
  const TZeDaraImage* track_ = nullptr;
  const TZeDaraImage* thumb_[3] = {};
  const TZeDaraImage* up_[3] = {};
  const TZeDaraImage* down_[3] = {};
  int content_ = 0, page_ = 0, position_ = 0;
  Part hot_ = kNone, pressed_ = kNone;
  int dragOffset_ = 0;  // mouse y minus thumb top when the thumb was grabbed
};

}  // namespace lum::win
