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
  CanvasView View() { return CanvasView(bits_, width_, height_, width_); }
  Surface AsSurface() { return Surface{View(), dc_}; }
  // The pixel at (x, y) (0 outside the buffer); flushes pending GDI drawing.
  std::uint32_t At(int x, int y) const;

 private:
  void Release();
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  int width_ = 0, height_ = 0;
};

}  // namespace lum::win
