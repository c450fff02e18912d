#pragma once
// The two-image progress bar: a background image stretched across the bar,
// and a fill image whose length follows the value, both vertically centred.
#include <string>

#include "skin/canvas.h"
#include "skin/image.h"

namespace lum {

class TZeDaraResManager;

struct TZeDaraProgressBar {
  std::string Bar_Background = "ZeDaraBar_base";
  std::string Bar_Progress = "ZeDaraBar_cur";
  int BarLeftRightSize = 6;
  int MinValue = 0;
  int MaxValue = 100;
  int Value = 50;
  int Width = 150;
  int Height = 17;
};

struct ProgressGeometry {
  bool drawsPictures = false;  // false for bars narrower than 30
  int backgroundTop = 0;       // y of the background image
  int fillLength = 0;          // columns of the fill, 0 .. width
  int fillTop = 0;             // y of the fill image
};

// Where the pictures go for a bar of the given size and value, given the
// heights of the background and fill images. The fill is
// trunc((Value − MinValue) ÷ (MaxValue − MinValue) × width) columns (the
// divisor is 1 when the two are equal), never below 0 nor beyond the bar.
ProgressGeometry ComputeProgressGeometry(const TZeDaraProgressBar& bar, int backgroundHeight,
                                         int fillHeight);

// Draws the bar's pictures into canvas, whose origin is the bar's top left:
// background and fill are the images the bar's ids named when they were set
// (null: not drawn).
void DrawProgressBar(const CanvasView& canvas, const TZeDaraProgressBar& bar,
                     const TZeDaraImage* background, const TZeDaraImage* fill);
// The same with both images looked up in store now; an id that finds
// nothing is simply not drawn.
void DrawProgressBar(const CanvasView& canvas, const TZeDaraProgressBar& bar, TZeDaraResManager& store);

}  // namespace lum
