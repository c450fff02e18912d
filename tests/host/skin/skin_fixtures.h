#pragma once
// Small images for the skin tests: every pixel tells where it came from.
#include <cstdint>
#include <memory>

#include "skin/image.h"

namespace lum::test {

// Pixel (x, y) = opaque, red x, green y, blue tag.
inline std::shared_ptr<TZeDaraImage> CoordImage(int w, int h, std::uint8_t tag = 0,
                                                DrawMode mode = DrawMode::dmBlend) {
  auto im = std::make_shared<TZeDaraImage>(w, h, 0, mode);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) im->At(x, y) = MakePixel(255, std::uint8_t(x), std::uint8_t(y), tag);
  return im;
}

inline int SrcX(std::uint32_t p) { return PixelR(p); }
inline int SrcY(std::uint32_t p) { return PixelG(p); }

}  // namespace lum::test
