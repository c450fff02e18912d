#include "skin/stretch.h"

#include <algorithm>

namespace lum {

void AppendStretched(std::vector<int>& map, int srcStart, int srcLen, int dstLen) {
  if (srcLen <= 0 || dstLen <= 0) return;
  // Sample at the centre of each target position.
  for (int i = 0; i < dstLen; ++i) {
    long long s = (2LL * i + 1) * srcLen / (2LL * dstLen);
    map.push_back(srcStart + int(s));
  }
}

std::vector<int> NineSliceAxis(int srcLen, int dstLen) {
  std::vector<int> map;
  if (srcLen <= 0 || dstLen <= 0) return map;
  map.reserve(dstLen);
  if (srcLen == dstLen) {
    for (int i = 0; i < dstLen; ++i) map.push_back(i);
    return map;
  }
  int cell = std::max(1, srcLen / 3);
  int near = cell, far = srcLen - 2 * cell;
  if (far < 1) {  // too small to slice: stretch it whole
    AppendStretched(map, 0, srcLen, dstLen);
    return map;
  }
  if (dstLen >= near + far) {
    AppendStretched(map, 0, near, near);
    AppendStretched(map, cell, cell, dstLen - near - far);
    AppendStretched(map, 2 * cell, far, far);
    return map;
  }
  // Smaller than the two corners: share the room between them.
  int keepNear = int((long long)dstLen * near / (near + far));
  for (int i = 0; i < keepNear; ++i) map.push_back(i);
  for (int i = keepNear; i < dstLen; ++i) map.push_back(srcLen - (dstLen - i));
  return map;
}

std::vector<int> CapsAxis(int srcLen, int dstLen, int cap) {
  std::vector<int> map;
  if (srcLen <= 0 || dstLen <= 0) return map;
  map.reserve(dstLen);
  cap = std::clamp(cap, 0, srcLen / 2);
  if (dstLen >= 2 * cap) {
    AppendStretched(map, 0, cap, cap);
    int mid = srcLen - 2 * cap;
    if (mid > 0)
      AppendStretched(map, cap, mid, dstLen - 2 * cap);
    else  // no middle to stretch: repeat the last column of the left cap
      map.insert(map.end(), dstLen - 2 * cap, std::max(cap - 1, 0));
    AppendStretched(map, srcLen - cap, cap, cap);
    return map;
  }
  int left = (dstLen + 1) / 2, right = dstLen - left;
  for (int i = 0; i < left; ++i) map.push_back(i);
  for (int i = 0; i < right; ++i) map.push_back(srcLen - right + i);
  return map;
}

void DrawNineSlice(const CanvasView& canvas, const TZeDaraImage& image, const SkinRect& r) {
  DrawNineSlice(canvas, image, SkinRect{0, 0, image.width, image.height}, r);
}

void DrawNineSlice(const CanvasView& canvas, const TZeDaraImage& image, const SkinRect& src,
                   const SkinRect& r) {
  if (image.Empty() || src.width <= 0 || src.height <= 0 || r.width <= 0 || r.height <= 0) return;
  // Nothing of r is visible: the maps need not be made.
  if (canvas.Visible(r).width <= 0 || canvas.Visible(r).height <= 0) return;
  std::vector<int> cols = NineSliceAxis(src.width, r.width);
  std::vector<int> rows = NineSliceAxis(src.height, r.height);
  for (int& c : cols) c += src.left;
  for (int& y : rows) y += src.top;
  DrawImageMapped(canvas, image, r.left, r.top, cols, rows);
}

}  // namespace lum
