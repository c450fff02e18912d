#pragma once
// The fonts of the program's windows. Sizes in points are turned into pixel
// heights at 96 dots per inch: the windows are laid out in pixels and do not
// grow with the screen's text size.
#include "skin/win32/skin_text.h"

namespace lum::win {

inline constexpr wchar_t kSimSun[] = L"\u5B8B\u4F53";  // 宋体

inline int PointsToPixels(int points) { return (points * 96 + 36) / 72; }

inline FontSpec TahomaPoints(int points, bool bold = false) {
  return FontSpec{L"Tahoma", PointsToPixels(points), bold};
}

inline FontSpec SimSunPixels(int pixels) { return FontSpec{kSimSun, pixels, false}; }

}  // namespace lum::win
