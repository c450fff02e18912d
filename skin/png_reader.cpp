#include "skin/png_reader.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "skin/store_format.h"

namespace lum {

namespace {

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

int Paeth(int a, int b, int c) {
  int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Undoes the per-row filters in place; rows are 1 + stride bytes.
bool Unfilter(std::vector<std::uint8_t>& data, std::size_t stride, int height, int bpp) {
  std::vector<std::uint8_t> prev(stride, 0);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = &data[y * (stride + 1)];
    std::uint8_t type = row[0];
    std::uint8_t* cur = row + 1;
    for (std::size_t i = 0; i < stride; ++i) {
      int a = i >= std::size_t(bpp) ? cur[i - bpp] : 0;
      int b = prev[i];
      int c = i >= std::size_t(bpp) ? prev[i - bpp] : 0;
      int add;
      switch (type) {
        case 0: add = 0; break;
        case 1: add = a; break;
        case 2: add = b; break;
        case 3: add = (a + b) / 2; break;
        case 4: add = Paeth(a, b, c); break;
        default: return false;
      }
      cur[i] = std::uint8_t(cur[i] + add);
    }
    std::memcpy(prev.data(), cur, stride);
  }
  return true;
}

}  // namespace

std::optional<TZeDaraImage> DecodePng(const std::uint8_t* data, std::size_t size) {
  static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size < 8 || std::memcmp(data, kSignature, 8) != 0) return std::nullopt;
  std::size_t pos = 8;
  std::uint32_t width = 0, height = 0;
  int depth = 0, colourType = -1, interlace = 0;
  std::vector<std::uint8_t> idat, palette, trns;
  bool sawHeader = false, sawEnd = false;
  while (!sawEnd) {
    if (size - pos < 12) return std::nullopt;
    std::uint32_t len = BigEndian32(data + pos);
    const std::uint8_t* type = data + pos + 4;
    if (len > size - pos - 12) return std::nullopt;
    const std::uint8_t* body = data + pos + 8;
    if (std::memcmp(type, "IHDR", 4) == 0) {
      if (len != 13) return std::nullopt;
      width = BigEndian32(body);
      height = BigEndian32(body + 4);
      depth = body[8];
      colourType = body[9];
      interlace = body[12];
      sawHeader = true;
    } else if (!sawHeader) {
      return std::nullopt;
    } else if (std::memcmp(type, "PLTE", 4) == 0) {
      palette.assign(body, body + len);
    } else if (std::memcmp(type, "tRNS", 4) == 0) {
      trns.assign(body, body + len);
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      idat.insert(idat.end(), body, body + len);
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      sawEnd = true;
    }
    pos += 12 + std::size_t(len);
  }
  if (!sawHeader || depth != 8 || interlace != 0) return std::nullopt;
  if (width == 0 || height == 0 || std::int64_t(width) * height > kMaxSkinPixels) return std::nullopt;
  int channels;
  switch (colourType) {
    case 0: channels = 1; break;
    case 2: channels = 3; break;
    case 3: channels = 1; break;
    case 4: channels = 2; break;
    case 6: channels = 4; break;
    default: return std::nullopt;
  }
  if (colourType == 3 && (palette.empty() || palette.size() % 3 != 0)) return std::nullopt;

  std::size_t stride = std::size_t(width) * channels;
  std::vector<std::uint8_t> raw((stride + 1) * height + 1);
  uLongf got = uLongf(raw.size());
  if (uncompress(raw.data(), &got, idat.data(), uLong(idat.size())) != Z_OK || got != raw.size() - 1)
    return std::nullopt;
  if (!Unfilter(raw, stride, int(height), channels)) return std::nullopt;

  TZeDaraImage image(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = &raw[y * (stride + 1) + 1];
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint8_t* p = row + std::size_t(x) * channels;
      std::uint8_t r, g, b, a = 255;
      switch (colourType) {
        case 0:
          r = g = b = p[0];
          if (trns.size() >= 2 && p[0] == trns[1] && trns[0] == 0) a = 0;
          break;
        case 2:
          r = p[0], g = p[1], b = p[2];
          if (trns.size() >= 6 && trns[0] == 0 && trns[1] == r && trns[2] == 0 && trns[3] == g &&
              trns[4] == 0 && trns[5] == b)
            a = 0;
          break;
        case 3:
          if (std::size_t(p[0]) * 3 + 2 >= palette.size()) return std::nullopt;
          r = palette[p[0] * 3], g = palette[p[0] * 3 + 1], b = palette[p[0] * 3 + 2];
          if (p[0] < trns.size()) a = trns[p[0]];
          break;
        case 4: r = g = b = p[0], a = p[1]; break;
        default: r = p[0], g = p[1], b = p[2], a = p[3]; break;
      }
      image.At(int(x), int(y)) = MakePixel(a, r, g, b);
    }
  }
  return image;
}

}  // namespace lum
