#pragma once
// Writes small PNG files for the reader tests: rows given unfiltered (each
// row starts with its filter type byte, which the caller chooses; the bytes
// after it are the raw samples), filtered here as that type says.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace lum::test {

inline void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(std::uint8_t(v >> (8 * i)));
}

inline void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& body) {
  PutBe32(out, std::uint32_t(body.size()));
  std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  PutBe32(out, std::uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

// rows: height × (1 + width × channels) bytes: filter type, then raw samples.
inline std::vector<std::uint8_t> MakePng(std::uint32_t w, std::uint32_t h, int colourType,
                                         std::vector<std::uint8_t> rows,
                                         const std::vector<std::uint8_t>& palette = {},
                                         const std::vector<std::uint8_t>& trns = {}) {
  int ch = colourType == 6 ? 4 : colourType == 2 ? 3 : colourType == 4 ? 2 : 1;
  std::size_t stride = std::size_t(w) * ch;
  std::vector<std::uint8_t> raw = rows;
  auto at = [&](std::vector<std::uint8_t>& v, std::size_t y, long i) -> int {
    return i < 0 ? 0 : v[y * (stride + 1) + 1 + std::size_t(i)];
  };
  for (std::size_t y = 0; y < h; ++y) {
    int type = rows[y * (stride + 1)];
    for (std::size_t i = 0; i < stride; ++i) {
      int a = at(rows, y, long(i) - ch), b = y ? at(rows, y - 1, long(i)) : 0,
          c = y ? at(rows, y - 1, long(i) - ch) : 0, pred = 0;
      if (type == 1) pred = a;
      if (type == 2) pred = b;
      if (type == 3) pred = (a + b) / 2;
      if (type == 4) {
        int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
      }
      raw[y * (stride + 1) + 1 + i] = std::uint8_t(rows[y * (stride + 1) + 1 + i] - pred);
    }
  }
  uLongf packedLen = compressBound(uLong(raw.size()));
  std::vector<std::uint8_t> packed(packedLen);
  compress(packed.data(), &packedLen, raw.data(), uLong(raw.size()));
  packed.resize(packedLen);

  std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<std::uint8_t> ihdr;
  PutBe32(ihdr, w);
  PutBe32(ihdr, h);
  ihdr.insert(ihdr.end(), {8, std::uint8_t(colourType), 0, 0, 0});
  PutChunk(out, "IHDR", ihdr);
  if (!palette.empty()) PutChunk(out, "PLTE", palette);
  if (!trns.empty()) PutChunk(out, "tRNS", trns);
  // Split the data over two IDAT chunks, as writers may.
  std::size_t half = packed.size() / 2;
  PutChunk(out, "IDAT", std::vector<std::uint8_t>(packed.begin(), packed.begin() + half));
  PutChunk(out, "IDAT", std::vector<std::uint8_t>(packed.begin() + half, packed.end()));
  PutChunk(out, "IEND", {});
  return out;
}

}  // namespace lum::test
