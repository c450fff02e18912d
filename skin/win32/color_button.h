#pragma once
// The colour button: a plain rectangle filled with its normal colour, or its
// hot colour while the mouse is over it, with a centred caption.
#include <functional>
#include <string>

#include "skin/win32/skin_text.h"
#include "skin/win32/skin_window.h"

namespace lum::win {

struct ColorButtonArgs {
  Bounds bounds{0, 0, 75, 25};
  std::wstring caption;
  COLORREF normalColor = RGB(0, 120, 215);
  COLORREF hotColor = RGB(0, 90, 180);
  COLORREF fontColor = RGB(255, 255, 255);
  FontSpec font;
  bool visible = true;
  std::function<void()> onClick;
};

class TZeDaraColorButton : public SkinWindow {
 public:
  bool Create(HWND parent, const ColorButtonArgs& args);
  void SetOnClick(std::function<void()> onClick) { args_.onClick = std::move(onClick); }

 protected:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void Paint(const Surface& s) override;
  void HoverChanged() override { Invalidate(); }

 private:
  ColorButtonArgs args_;
  SkinFont font_;
};

}  // namespace lum::win
