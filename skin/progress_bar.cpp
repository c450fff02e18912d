#include "skin/progress_bar.h"

#include <algorithm>

#include "skin/image_store.h"
#include "skin/stretch.h"

namespace lum {

ProgressGeometry ComputeProgressGeometry(const TZeDaraProgressBar& bar, int backgroundHeight,
                                         int fillHeight) {
  ProgressGeometry g;
  if (bar.Width < 30) return g;
  g.drawsPictures = true;
  // Integer division truncates toward zero, like the bar's own rounding.
  g.backgroundTop = (bar.Height - backgroundHeight) / 2;
  g.fillTop = (bar.Height - fillHeight) / 2;
  long long span = (long long)bar.MaxValue - bar.MinValue;
  if (span == 0) span = 1;
  long long length = ((long long)bar.Value - bar.MinValue) * bar.Width / span;
  g.fillLength = int(std::clamp<long long>(length, 0, bar.Width));
  return g;
}

void DrawProgressBar(const CanvasView& canvas, const TZeDaraProgressBar& bar, TZeDaraResManager& store) {
  DrawProgressBar(canvas, bar, store.GetImageByName(bar.Bar_Background),
                  store.GetImageByName(bar.Bar_Progress));
}

void DrawProgressBar(const CanvasView& canvas, const TZeDaraProgressBar& bar,
                     const TZeDaraImage* background, const TZeDaraImage* fill) {
  ProgressGeometry g = ComputeProgressGeometry(bar, background ? background->height : 0,
                                               fill ? fill->height : 0);
  if (!g.drawsPictures) return;
  if (background && !background->Empty())
    DrawNineSlice(canvas, *background, SkinRect{0, g.backgroundTop, bar.Width, background->height});
  if (fill && !fill->Empty() && g.fillLength > 0 &&
      canvas.Visible(SkinRect{0, g.fillTop, g.fillLength, fill->height}).width > 0) {
    std::vector<int> rows;
    AppendStretched(rows, 0, fill->height, fill->height);
    DrawImageMapped(canvas, *fill, 0, g.fillTop, CapsAxis(fill->width, g.fillLength, bar.BarLeftRightSize),
                    rows);
  }
}

}  // namespace lum
