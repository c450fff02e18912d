#pragma once
// The scroll box: a transparent container whose controls scroll vertically
// under a skinned scroll bar at its right edge (shown only when the
// controls reach below the visible area). The mouse wheel scrolls it by the
// caller's step per notch (smaller wheel steps move their share, see
// WheelAccumulator), never above the top nor past the end.
#include <functional>
#include <memory>

#include "skin/wheel.h"
#include "skin/win32/scroll_bar.h"
#include "skin/win32/skin_window.h"

namespace lum::win {

struct ScrollBoxArgs {
  Bounds bounds{0, 0, 200, 150};
  int wheelStep = 20;  // pixels per wheel notch
  int barWidth = 10;
  ScrollBarArgs bar;   // its line step and onScroll are set by the box
  // Where the bar lives: by default inside the box along its right edge
  // (barWidth wide); with barParent set, in that window at barBounds, so a
  // frame around the box can carry it.
  HWND barParent = nullptr;
  Bounds barBounds;
  // Told of every wheel message (its delta as the message carries it: 120
  // a notch, positive away from the user) before the box scrolls; return
  // true when the handler has moved the box itself, to keep it still.
  std::function<bool(int delta)> onMouseWheel;
};

class TZeDaraScrollBox : public SkinWindow {
 public:
  bool Create(HWND parent, const ScrollBoxArgs& args);
  // Reads the extent of the controls again; keeps the position where it
  // can. The box does this by itself once after controls were added or
  // removed (one posted update for a whole batch); a call has it at once.
  void UpdateRange();
  // Scrolls so that content row `position` is at the top (clamped).
  void ScrollTo(int position);
  int Position() const { return position_; }
  int ContentHeight() const { return content_; }
  TZeDaraScrollBar& ScrollBar() { return bar_; }

 protected:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  int ClientHeight() const;
  ScrollBoxArgs args_;
  TZeDaraScrollBar bar_;
  int position_ = 0;
  int content_ = 0;
  WheelAccumulator wheel_{20};  // takes the step per notch when the box is made
  bool rangePending_ = false;  // controls came or went since the last update
};

}  // namespace lum::win
