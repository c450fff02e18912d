#pragma once
// A 32-bit skin image: width × height pixels, row by row from the top. Each
// pixel holds alpha in the top byte, then red, green and blue (so in memory,
// little-endian: blue, green, red, alpha). Colours are not premultiplied.
#include <cstdint>
#include <vector>

namespace lum {

enum class DrawMode : std::uint8_t {
  dmBlend,   // composited over what lies below, using the alpha
  dmOpaque,  // copied unchanged, alpha ignored
};

struct TZeDaraImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> pixels;  // width * height values
  DrawMode drawMode = DrawMode::dmBlend;

  TZeDaraImage() = default;
  TZeDaraImage(std::int32_t w, std::int32_t h, std::uint32_t fill = 0,
               DrawMode mode = DrawMode::dmBlend);

  bool Empty() const { return width <= 0 || height <= 0; }
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  std::uint32_t& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  const std::uint32_t* Row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
  // Every pixel is drawn as it is: the draw mode is opaque, or every alpha is 255.
  bool CoversOpaquely() const;
};

// Pixel helpers.
constexpr std::uint32_t MakePixel(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return (std::uint32_t(a) << 24) | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | b;
}
constexpr std::uint8_t PixelA(std::uint32_t p) { return std::uint8_t(p >> 24); }
constexpr std::uint8_t PixelR(std::uint32_t p) { return std::uint8_t(p >> 16); }
constexpr std::uint8_t PixelG(std::uint32_t p) { return std::uint8_t(p >> 8); }
constexpr std::uint8_t PixelB(std::uint32_t p) { return std::uint8_t(p); }

// A Windows COLORREF (0x00BBGGRR, red in the low byte) as an opaque pixel.
constexpr std::uint32_t PixelFromColorRef(std::uint32_t colorRef, std::uint8_t alpha = 255) {
  return MakePixel(alpha, std::uint8_t(colorRef), std::uint8_t(colorRef >> 8),
                   std::uint8_t(colorRef >> 16));
}

// A copy of the rectangle (x, y, w, h) of src, with src's draw mode; the
// rectangle must lie inside src.
TZeDaraImage CopyRegion(const TZeDaraImage& src, int x, int y, int w, int h);

}  // namespace lum
