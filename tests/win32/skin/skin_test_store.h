#pragma once
// A small image store for the control tests: solid, easily told apart
// colours, so that a sampled pixel says which picture (and which frame of a
// strip) was drawn.
#include <cstdint>

#include "skin/image.h"

namespace lum::test {

constexpr std::uint32_t kBand = MakePixel(255, 27, 129, 251);   // the form's upper band
constexpr std::uint32_t kWhite = MakePixel(255, 255, 255, 255);
constexpr std::uint32_t kFrameNormal = MakePixel(255, 200, 0, 0);
constexpr std::uint32_t kFrameHot = MakePixel(255, 0, 200, 0);
constexpr std::uint32_t kFramePressed = MakePixel(255, 0, 0, 200);
constexpr std::uint32_t kBarBase = MakePixel(255, 90, 90, 90);
constexpr std::uint32_t kBarFill = MakePixel(255, 250, 160, 0);
constexpr int kBandHeight = 40;

// Installs the test store as the process-wide one:
//   "T_Form" 320 × 240: kBand for rows 0 .. 39, white below;
//   "T_Strip" 60 × 20: three 20 × 20 frames, kFrameNormal, kFrameHot, kFramePressed;
//   "T_Half" 50 × 30: black at alpha 128;
//   "T_Base", "T_Fill" 102 × 13: kBarBase and kBarFill;
//   the soft frame and the scroll bar pictures at their sizes.
void InstallTestStore();

inline std::uint32_t Rgb(std::uint32_t p) { return p & 0xFFFFFFu; }

}  // namespace lum::test
