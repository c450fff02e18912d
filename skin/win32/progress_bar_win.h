#pragma once
// The two-image progress bar as a window: the background picture across
// the bar and the fill picture as long as the value says, over its parent's
// picture, with an optional caption on top.
#include <string>

#include "skin/progress_bar.h"
#include "skin/win32/skin_text.h"
#include "skin/win32/skin_window.h"

namespace lum::win {

struct ProgressBarArgs {
  Bounds bounds{0, 0, 150, 17};
  lum::TZeDaraProgressBar bar;  // its Width and Height follow the window
  std::wstring caption;
  bool captionVisible = false;
  FontSpec font;
  COLORREF fontColor = RGB(0, 0, 0);
  bool visible = true;
};

class TZeDaraProgressBar : public SkinWindow {
 public:
  bool Create(HWND parent, const ProgressBarArgs& args);
  void SetValue(int value);
  void SetMaxValue(int maxValue);
  int MaxValue() const { return args_.bar.MaxValue; }
  int Value() const { return args_.bar.Value; }
  void SetCaption(const std::wstring& caption);
  // Columns the fill takes at the present value and size.
  int FillLength() const;

 protected:
  void Paint(const Surface& s) override;

 private:
  lum::TZeDaraProgressBar Sized() const;
  ProgressBarArgs args_;
  // The two pictures, looked up once when the bar is made.
  const TZeDaraImage* background_ = nullptr;
  const TZeDaraImage* fill_ = nullptr;
  SkinFont font_;
};

}  // namespace lum::win
