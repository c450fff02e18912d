#pragma once
// One window's back buffer: a top-down 32-bit DIB section selected into a
// memory DC. The portable canvas draws into its bits, GDI draws text into
// its DC, and the finished picture is copied to the screen in one blit.
#include <windows.h>

#include <cstdint>

#include "skin/canvas.h"

namespace lum::win {

// Where a control draws: a canvas view and the DC of the same pixels, with
// the DC's logical coordinates equal to the view's (a parent drawing under a
// child gets both shifted together).
struct Surface {
  CanvasView view;
  HDC dc = nullptr;
};

// What drawing into a buffer has cost so far: whole renders, the pixels
// they covered (the buffer's area each time) and the pixels the drawing
// operations went through (the window's own and its ancestors' pictures
// under it). The figures only grow; a benchmark reads differences.
struct PaintStats {
  std::uint64_t renders = 0;
  std::uint64_t area = 0;
  std::uint64_t pixelVisits = 0;
};

class BackBuffer {
 public:
  BackBuffer() = default;
  BackBuffer(const BackBuffer&) = delete;
  BackBuffer& operator=(const BackBuffer&) = delete;
  ~BackBuffer();

  // Makes the buffer w × h (kept when it already is); false when GDI refuses.
  bool Resize(int w, int h);
  HDC Dc() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  CanvasView View() { return CanvasView(bits_, width_, height_, width_, &stats_.pixelVisits); }
  Surface AsSurface() { return Surface{View(), dc_}; }
  // The pixel at (x, y) (0 outside the buffer); flushes pending GDI drawing.
  std::uint32_t At(int x, int y) const;
  const PaintStats& Stats() const { return stats_; }
  // Counts one render of the whole buffer.
  void CountRender() {
    ++stats_.renders;
    stats_.area += std::uint64_t(width_) * std::uint64_t(height_);
  }

 private:
  void Release();
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  int width_ = 0, height_ = 0;
  PaintStats stats_;
};

}  // namespace lum::win
