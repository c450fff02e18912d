#include "skin/win32/back_buffer.h"

namespace lum::win {

BackBuffer::~BackBuffer() { Release(); }

void BackBuffer::Release() {
  if (dc_) {
    SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  oldBitmap_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
}

bool BackBuffer::Resize(int w, int h) {
  if (w < 1) w = 1;
  if (h < 1) h = 1;
  if (dc_ && w == width_ && h == height_) return true;
  Release();
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // rows from the top, like the canvas
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp) return false;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) {
    DWORD err = GetLastError();
    DeleteObject(bmp);
    SetLastError(err);
    return false;
  }
  bitmap_ = bmp;
  dc_ = dc;
  oldBitmap_ = SelectObject(dc_, bitmap_);
  bits_ = static_cast<std::uint32_t*>(bits);
  width_ = w;
  height_ = h;
  return true;
}

std::uint32_t BackBuffer::At(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  GdiFlush();
  return bits_[static_cast<std::size_t>(y) * width_ + x];
}

}  // namespace lum::win
