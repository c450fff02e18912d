#pragma once
// A picture panel: an optional fill colour at the panel's alpha, a
// background image, and border lines on chosen sides.
#include <cstdint>
#include <string>

#include "skin/canvas.h"
#include "skin/image.h"

namespace lum {

class TZeDaraResManager;

enum class PanelFillType { Normal, Stretch, Tile };

enum BorderSide : unsigned { kBorderLeft = 1, kBorderTop = 2, kBorderRight = 4, kBorderBottom = 8 };

struct TZeDaraPanel {
  std::string BackgroundImage;
  int BackgroundOffsetX = 0;
  int BackgroundOffsetY = 0;
  PanelFillType BackgroundFillType = PanelFillType::Normal;
  std::uint32_t Color = 0xFFFFFF;        // fill colour, a COLORREF
  int Alpha = 192;                       // of the fill; 0: no fill
  unsigned BorderSides = 0;              // BorderSide bits
  std::uint32_t BorderColor = 0xC0C0C0;  // a COLORREF
  int Width = 0;
  int Height = 0;
};

// Draws the panel into canvas, whose origin is the panel's top left: the
// fill, then the image (normal: natural size at the offset, with its draw
// mode; stretch: nine-slice over the panel; tile: repeated from the offset),
// then the border lines. Nothing is drawn outside the panel. image is the
// picture the panel's BackgroundImage named when it was set (null: none).
void DrawPanel(const CanvasView& canvas, const TZeDaraPanel& panel, const TZeDaraImage* image);
// The same with the picture looked up in store now.
void DrawPanel(const CanvasView& canvas, const TZeDaraPanel& panel, TZeDaraResManager& store);

// True when the panel's drawing hides everything under it: an opaque fill,
// or a picture that is opaque (image->CoversOpaquely(), passed in so that
// it is worked out once) and covers the whole panel.
bool PanelCoversOpaquely(const TZeDaraPanel& panel, const TZeDaraImage* image, bool imageOpaque);

}  // namespace lum
