#include "skin/image.h"

#include <algorithm>

namespace lum {

TZeDaraImage::TZeDaraImage(std::int32_t w, std::int32_t h, std::uint32_t fill, DrawMode mode)
    : width(std::max(w, 0)), height(std::max(h, 0)),
      pixels(static_cast<std::size_t>(std::max(w, 0)) * std::max(h, 0), fill), drawMode(mode) {}

bool TZeDaraImage::CoversOpaquely() const {
  if (drawMode == DrawMode::dmOpaque) return true;
  return std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return PixelA(p) == 255; });
}

TZeDaraImage CopyRegion(const TZeDaraImage& src, int x, int y, int w, int h) {
  TZeDaraImage out(w, h, 0, src.drawMode);
  for (int row = 0; row < h; ++row) {
    const std::uint32_t* from = &src.pixels[static_cast<std::size_t>(y + row) * src.width + x];
    std::copy(from, from + w, &out.pixels[static_cast<std::size_t>(row) * w]);
  }
  return out;
}

}  // namespace lum
