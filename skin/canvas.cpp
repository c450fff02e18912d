#include "skin/canvas.h"

#include <algorithm>

namespace lum {

namespace {

SkinRect Intersect(const SkinRect& a, const SkinRect& b) {
  int l = std::max(a.left, b.left), t = std::max(a.top, b.top);
  int r = std::min(a.Right(), b.Right()), btm = std::min(a.Bottom(), b.Bottom());
  return SkinRect{l, t, std::max(0, r - l), std::max(0, btm - t)};
}

// Rounded division by 255 of a value up to 255 * 255 * 2.
inline std::uint32_t Div255(std::uint32_t v) { return (v + 127) / 255; }

}  // namespace

CanvasView::CanvasView(std::uint32_t* bits, int width, int height, int stride,
                       std::uint64_t* visits)
    : bits_(bits), stride_(stride), width_(width), height_(height),
      clip_{0, 0, width, height}, visits_(visits) {}

CanvasView CanvasView::Sub(const SkinRect& r) const {
  CanvasView v = *this;
  v.originX_ = originX_ + r.left;
  v.originY_ = originY_ + r.top;
  v.width_ = r.width;
  v.height_ = r.height;
  v.clip_ = Intersect(clip_, SkinRect{v.originX_, v.originY_, r.width, r.height});
  return v;
}

CanvasView CanvasView::Clipped(const SkinRect& r) const {
  CanvasView v = *this;
  v.clip_ = Intersect(clip_, SkinRect{originX_ + r.left, originY_ + r.top, r.width, r.height});
  return v;
}

SkinRect CanvasView::Visible(const SkinRect& r) const {
  SkinRect v = Intersect(clip_, SkinRect{originX_ + r.left, originY_ + r.top, r.width, r.height});
  v.left -= originX_;
  v.top -= originY_;
  return v;
}

std::uint32_t* CanvasView::PixelAt(int x, int y) const {
  int bx = originX_ + x, by = originY_ + y;
  if (bx < clip_.left || bx >= clip_.Right() || by < clip_.top || by >= clip_.Bottom()) return nullptr;
  return bits_ + static_cast<std::ptrdiff_t>(by) * stride_ + bx;
}

Canvas32::Canvas32(int width, int height, std::uint32_t fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, fill) {}

std::uint32_t BlendOver(std::uint32_t dst, std::uint32_t src) {
  std::uint32_t sa = PixelA(src);
  if (sa == 255) return src;
  if (sa == 0) return dst;
  std::uint32_t da = PixelA(dst);
  std::uint32_t inv = 255 - sa;
  if (da == 255) {
    // The common case: an opaque window surface.
    std::uint32_t r = Div255(PixelR(src) * sa + PixelR(dst) * inv);
    std::uint32_t g = Div255(PixelG(src) * sa + PixelG(dst) * inv);
    std::uint32_t b = Div255(PixelB(src) * sa + PixelB(dst) * inv);
    return MakePixel(255, r, g, b);
  }
  // General case: weights sa and da·(1 − sa) over the resulting alpha.
  std::uint32_t dw = Div255(da * inv);
  std::uint32_t oa = sa + dw;
  auto mix = [&](std::uint32_t s, std::uint32_t d) { return (s * sa + d * dw + oa / 2) / oa; };
  return MakePixel(std::uint8_t(oa), std::uint8_t(mix(PixelR(src), PixelR(dst))),
                   std::uint8_t(mix(PixelG(src), PixelG(dst))), std::uint8_t(mix(PixelB(src), PixelB(dst))));
}

void FillRectBlend(const CanvasView& canvas, const SkinRect& r, std::uint32_t colour) {
  const SkinRect v = canvas.Visible(r);
  canvas.CountVisits((long long)v.width * v.height);
  for (int y = v.top; y < v.Bottom(); ++y) {
    std::uint32_t* row = canvas.RowAt(v.left, y);
    for (int i = 0; i < v.width; ++i) row[i] = BlendOver(row[i], colour);
  }
}

namespace {

// One row of image pixels onto the canvas under the image's draw mode.
inline void PutRow(std::uint32_t* dst, const std::uint32_t* src, int n, DrawMode mode) {
  if (mode == DrawMode::dmOpaque) {
    std::copy(src, src + n, dst);
    return;
  }
  for (int i = 0; i < n; ++i) dst[i] = BlendOver(dst[i], src[i]);
}

}  // namespace

void DrawImage(const CanvasView& canvas, const TZeDaraImage& image, int x, int y) {
  const SkinRect v = canvas.Visible(SkinRect{x, y, image.width, image.height});
  canvas.CountVisits((long long)v.width * v.height);
  for (int dy = v.top; dy < v.Bottom(); ++dy)
    PutRow(canvas.RowAt(v.left, dy), image.Row(dy - y) + (v.left - x), v.width, image.drawMode);
}

void DrawImageMapped(const CanvasView& canvas, const TZeDaraImage& image, int x, int y,
                     const std::vector<int>& cols, const std::vector<int>& rows) {
  const SkinRect v = canvas.Visible(SkinRect{x, y, int(cols.size()), int(rows.size())});
  canvas.CountVisits((long long)v.width * v.height);
  const bool opaque = image.drawMode == DrawMode::dmOpaque;
  const int* col = cols.data() + (v.left - x);
  for (int dy = v.top; dy < v.Bottom(); ++dy) {
    const std::uint32_t* src = image.Row(rows[std::size_t(dy - y)]);
    std::uint32_t* dst = canvas.RowAt(v.left, dy);
    if (opaque)
      for (int i = 0; i < v.width; ++i) dst[i] = src[col[i]];
    else
      for (int i = 0; i < v.width; ++i) dst[i] = BlendOver(dst[i], src[col[i]]);
  }
}

void SetOpaque(const CanvasView& canvas, const SkinRect& r) {
  const SkinRect v = canvas.Visible(r);
  canvas.CountVisits((long long)v.width * v.height);
  for (int y = v.top; y < v.Bottom(); ++y) {
    std::uint32_t* row = canvas.RowAt(v.left, y);
    for (int i = 0; i < v.width; ++i) row[i] |= 0xFF000000u;
  }
}

}  // namespace lum
