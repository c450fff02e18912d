#pragma once
// How skin images are stretched to a target size: nine-slice stretching
// (corners at natural size, edges stretched along their length, centre both
// ways) and the three-slice stretch of a progress fill (fixed end caps).
// Both are expressed as axis maps: for each target column (or row), the image
// column (or row) it takes its pixel from.
#include <vector>

#include "skin/canvas.h"
#include "skin/image.h"

namespace lum {

// Nearest-neighbour map of `dstLen` target positions onto the `srcLen` image
// positions starting at `srcStart`; one to one when the lengths are equal.
void AppendStretched(std::vector<int>& map, int srcStart, int srcLen, int dstLen);

// The nine-slice map of one axis: corner cell = srcLen div 3 (at least 1),
// centre cell from one cell to two; the far cell keeps the remainder. Equal
// lengths map one to one.
std::vector<int> NineSliceAxis(int srcLen, int dstLen);

// The map of a bar of dstLen columns cut from an image srcLen wide whose
// `cap` columns at each end keep their natural size; the middle is stretched.
// A bar shorter than its two caps takes the left part of the left cap and the
// right part of the right cap.
std::vector<int> CapsAxis(int srcLen, int dstLen, int cap);

// Draws the image nine-slice stretched into r.
void DrawNineSlice(const CanvasView& canvas, const TZeDaraImage& image, const SkinRect& r);
// Draws the part src of the image (a frame of a strip) nine-slice stretched
// into r, as if that part were an image of its own.
void DrawNineSlice(const CanvasView& canvas, const TZeDaraImage& image, const SkinRect& src,
                   const SkinRect& r);

}  // namespace lum
