#include "skin/panel.h"

#include <algorithm>

#include "skin/image_store.h"
#include "skin/stretch.h"

namespace lum {

void DrawPanel(const CanvasView& canvas, const TZeDaraPanel& panel, TZeDaraResManager& store) {
  DrawPanel(canvas, panel, store.GetImageByName(panel.BackgroundImage));
}

bool PanelCoversOpaquely(const TZeDaraPanel& panel, const TZeDaraImage* image, bool imageOpaque) {
  if (panel.Alpha >= 255) return true;
  if (!image || image->Empty() || !imageOpaque) return false;
  switch (panel.BackgroundFillType) {
    case PanelFillType::Normal:
      return panel.BackgroundOffsetX <= 0 && panel.BackgroundOffsetY <= 0 &&
             panel.BackgroundOffsetX + image->width >= panel.Width &&
             panel.BackgroundOffsetY + image->height >= panel.Height;
    case PanelFillType::Stretch:
    case PanelFillType::Tile:
      return true;
  }
  return false;
}

void DrawPanel(const CanvasView& parent, const TZeDaraPanel& panel, const TZeDaraImage* image) {
  CanvasView canvas = parent.Sub(SkinRect{0, 0, panel.Width, panel.Height});
  if (panel.Alpha > 0)
    FillRectBlend(canvas, SkinRect{0, 0, panel.Width, panel.Height},
                  PixelFromColorRef(panel.Color, std::uint8_t(std::min(panel.Alpha, 255))));
  if (image && !image->Empty()) {
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
        // Only the tiles that meet the visible part of the panel.
        const SkinRect v = canvas.Visible(SkinRect{0, 0, panel.Width, panel.Height});
        if (v.width <= 0 || v.height <= 0) break;
        for (int y = y0 + (v.top - y0) / image->height * image->height; y < v.Bottom(); y += image->height)
          for (int x = x0 + (v.left - x0) / image->width * image->width; x < v.Right(); x += image->width)
            DrawImage(canvas, *image, x, y);
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
