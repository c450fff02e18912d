#include "skin/panel.h"

#include <algorithm>

#include "skin/image_store.h"
#include "skin/stretch.h"

namespace lum {

void DrawPanel(const CanvasView& parent, const TZeDaraPanel& panel, TZeDaraResManager& store) {
  CanvasView canvas = parent.Sub(SkinRect{0, 0, panel.Width, panel.Height});
  if (panel.Alpha > 0)
    FillRectBlend(canvas, SkinRect{0, 0, panel.Width, panel.Height},
                  PixelFromColorRef(panel.Color, std::uint8_t(std::min(panel.Alpha, 255))));
  if (const TZeDaraImage* image = store.GetImageByName(panel.BackgroundImage); image && !image->Empty()) {
    switch (panel.BackgroundFillType) {
      case PanelFillType::Normal:
        DrawImage(canvas, *image, panel.BackgroundOffsetX, panel.BackgroundOffsetY);
        break;
      case PanelFillType::Stretch:
        DrawNineSlice(canvas, *image, SkinRect{0, 0, panel.Width, panel.Height});
        break;
      case PanelFillType::Tile: {
        // Start at the offset moved back into the first tile, so the pattern covers the panel.
        int x0 = panel.BackgroundOffsetX % image->width, y0 = panel.BackgroundOffsetY % image->height;
        if (x0 > 0) x0 -= image->width;
        if (y0 > 0) y0 -= image->height;
        for (int y = y0; y < panel.Height; y += image->height)
          for (int x = x0; x < panel.Width; x += image->width) DrawImage(canvas, *image, x, y);
        break;
      }
    }
  }
  std::uint32_t line = PixelFromColorRef(panel.BorderColor);
  if (panel.BorderSides & kBorderLeft) FillRectBlend(canvas, {0, 0, 1, panel.Height}, line);
  if (panel.BorderSides & kBorderTop) FillRectBlend(canvas, {0, 0, panel.Width, 1}, line);
  if (panel.BorderSides & kBorderRight) FillRectBlend(canvas, {panel.Width - 1, 0, 1, panel.Height}, line);
  if (panel.BorderSides & kBorderBottom) FillRectBlend(canvas, {0, panel.Height - 1, panel.Width, 1}, line);
}

}  // namespace lum
