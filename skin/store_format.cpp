#include "skin/store_format.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace lum {

namespace {

class Reader {
 public:
  Reader(const std::uint8_t* d, std::size_t n) : d_(d), n_(n) {}
  bool Bytes(std::size_t k, const std::uint8_t*& out) {
    if (n_ - pos_ < k) return false;
    out = d_ + pos_;
    pos_ += k;
    return true;
  }
  bool U8(std::uint8_t& v) {
    const std::uint8_t* p;
    if (!Bytes(1, p)) return false;
    v = *p;
    return true;
  }
  bool U32(std::uint32_t& v) {
    const std::uint8_t* p;
    if (!Bytes(4, p)) return false;
    v = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
    return true;
  }
  bool AtEnd() const { return pos_ == n_; }

 private:
  const std::uint8_t* d_;
  std::size_t n_, pos_ = 0;
};

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

}  // namespace

std::optional<std::vector<SkinStoreEntry>> DecodeSkinStore(const std::uint8_t* data, std::size_t size) {
  Reader r(data, size);
  const std::uint8_t* magic;
  std::uint32_t version, count;
  if (!r.Bytes(4, magic) || std::memcmp(magic, "LSKN", 4) != 0) return std::nullopt;
  if (!r.U32(version) || version != 1 || !r.U32(count)) return std::nullopt;
  std::vector<SkinStoreEntry> entries;
  for (std::uint32_t k = 0; k < count; ++k) {
    std::uint8_t idLen, mode;
    const std::uint8_t* id;
    std::uint32_t w, h, packedLen;
    const std::uint8_t* packed;
    if (!r.U8(idLen) || !r.Bytes(idLen, id) || !r.U8(mode) || mode > 1 || !r.U32(w) || !r.U32(h) ||
        !r.U32(packedLen) || !r.Bytes(packedLen, packed))
      return std::nullopt;
    std::int32_t sw = std::int32_t(w), sh = std::int32_t(h);
    if (sw < 0 || sh < 0 || std::int64_t(sw) * sh > kMaxSkinPixels) return std::nullopt;
    auto image = std::make_shared<TZeDaraImage>(sw, sh, 0, mode ? DrawMode::dmOpaque : DrawMode::dmBlend);
    std::size_t want = image->pixels.size() * 4;
    std::vector<std::uint8_t> raw(want + 1);  // one spare byte shows a stream that is too long
    uLongf got = uLongf(raw.size());
    int rc = uncompress(raw.data(), &got, packed, uLong(packedLen));
    if (rc != Z_OK || got != want) return std::nullopt;
    for (std::size_t i = 0; i < image->pixels.size(); ++i)
      image->pixels[i] = std::uint32_t(raw[4 * i]) | std::uint32_t(raw[4 * i + 1]) << 8 |
                         std::uint32_t(raw[4 * i + 2]) << 16 | std::uint32_t(raw[4 * i + 3]) << 24;
    entries.push_back({std::string(reinterpret_cast<const char*>(id), idLen), std::move(image)});
  }
  if (!r.AtEnd()) return std::nullopt;
  return entries;
}

std::vector<std::uint8_t> EncodeSkinStore(const std::vector<SkinStoreEntry>& entries) {
  std::vector<std::uint8_t> out{'L', 'S', 'K', 'N'};
  PutU32(out, 1);
  PutU32(out, std::uint32_t(entries.size()));
  for (const auto& e : entries) {
    std::size_t idLen = std::min<std::size_t>(e.ResID.size(), 255);
    out.push_back(std::uint8_t(idLen));
    out.insert(out.end(), e.ResID.begin(), e.ResID.begin() + idLen);
    const TZeDaraImage& im = *e.image;
    out.push_back(im.drawMode == DrawMode::dmOpaque ? 1 : 0);
    PutU32(out, std::uint32_t(im.width));
    PutU32(out, std::uint32_t(im.height));
    std::vector<std::uint8_t> raw;
    raw.reserve(im.pixels.size() * 4);
    for (std::uint32_t p : im.pixels)
      for (int i = 0; i < 4; ++i) raw.push_back(std::uint8_t(p >> (8 * i)));
    uLongf packedLen = compressBound(uLong(raw.size()));
    std::vector<std::uint8_t> packed(packedLen);
    compress2(packed.data(), &packedLen, raw.data(), uLong(raw.size()), 9);
    PutU32(out, std::uint32_t(packedLen));
    out.insert(out.end(), packed.begin(), packed.begin() + packedLen);
  }
  return out;
}

}  // namespace lum
