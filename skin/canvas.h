#pragma once
// A 32-bit canvas (the pixel layout of a top-down 32-bit DIB section) and the
// primitive drawing operations of the skin: blending a pixel, filling a
// rectangle, drawing an image at natural size or through column and row maps
// (nearest-neighbour resampling).
#include <cstdint>
#include <vector>

#include "skin/image.h"

namespace lum {

struct SkinRect {
  int left = 0, top = 0, width = 0, height = 0;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
};

// A view onto pixels owned elsewhere. Coordinates are relative to the view's
// origin; everything drawn is clipped to the view's clip rectangle, so a
// sub-view of a child control's area never paints outside it. The drawing
// operations go through the clipped part only: a parent drawn under a small
// child costs the child's area, not the parent's.
class CanvasView {
 public:
  CanvasView() = default;
  // visits, when given, counts the pixels the drawing operations go through.
  CanvasView(std::uint32_t* bits, int width, int height, int stride,
             std::uint64_t* visits = nullptr);

  // A view whose origin is (r.left, r.top) of this one and whose clip is the
  // part of r that lies inside this view's clip.
  CanvasView Sub(const SkinRect& r) const;
  // The same view (same origin) with its clip cut down to r, in view coordinates.
  CanvasView Clipped(const SkinRect& r) const;
  // The part of r (view coordinates) that drawing may touch.
  SkinRect Visible(const SkinRect& r) const;

  int Width() const { return width_; }    // of the area the view stands for
  int Height() const { return height_; }
  // The pixel at (x, y), or nullptr when it lies outside the clip.
  std::uint32_t* PixelAt(int x, int y) const;
  // The pixel at (x, y) without the clip test; for points inside Visible().
  std::uint32_t* RowAt(int x, int y) const {
    return bits_ + static_cast<std::ptrdiff_t>(originY_ + y) * stride_ + (originX_ + x);
  }
  void CountVisits(long long n) const {
    if (visits_ && n > 0) *visits_ += std::uint64_t(n);
  }

 private:
  std::uint32_t* bits_ = nullptr;
  int stride_ = 0;             // pixels per buffer row
  int originX_ = 0, originY_ = 0;  // buffer position of the view's (0, 0)
  int width_ = 0, height_ = 0;
  SkinRect clip_;              // in buffer coordinates
  std::uint64_t* visits_ = nullptr;
};

// A canvas that owns its pixels (tests, off-screen drawing).
class Canvas32 {
 public:
  Canvas32(int width, int height, std::uint32_t fill = 0);
  int Width() const { return width_; }
  int Height() const { return height_; }
  std::uint32_t At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  std::uint32_t* Bits() { return pixels_.data(); }
  CanvasView View() { return CanvasView(pixels_.data(), width_, height_, width_, &visits_); }
  // Pixels the drawing operations went through on this canvas so far.
  std::uint64_t Visits() const { return visits_; }

 private:
  int width_, height_;
  std::uint64_t visits_ = 0;
  std::vector<std::uint32_t> pixels_;
};

// Non-premultiplied "source over destination".
std::uint32_t BlendOver(std::uint32_t dst, std::uint32_t src);

// Writes one image pixel onto the canvas under the image's draw mode.
inline void PutPixel(std::uint32_t& dst, std::uint32_t src, DrawMode mode) {
  dst = mode == DrawMode::dmOpaque ? src : BlendOver(dst, src);
}

// Fills r with colour (a pixel value; its alpha says how strongly) by blending.
void FillRectBlend(const CanvasView& canvas, const SkinRect& r, std::uint32_t colour);

// Draws the image at natural size with its top left corner at (x, y).
void DrawImage(const CanvasView& canvas, const TZeDaraImage& image, int x, int y);

// Draws cols.size() × rows.size() pixels at (x, y): the pixel (i, j) comes
// from the image's pixel (cols[i], rows[j]), which must lie in the image.
void DrawImageMapped(const CanvasView& canvas, const TZeDaraImage& image, int x, int y,
                     const std::vector<int>& cols, const std::vector<int>& rows);

// Makes r's pixels opaque (alpha 255), keeping their colour.
void SetOpaque(const CanvasView& canvas, const SkinRect& r);

}  // namespace lum
