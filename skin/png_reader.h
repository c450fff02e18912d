#pragma once
// Reads a PNG file into a skin image, with zlib only: 8-bit grey, grey with
// alpha, RGB, RGBA and palette images (with a tRNS chunk), not interlaced.
// Anything else, or a damaged file, gives nothing.
#include <cstdint>
#include <optional>
#include <vector>

#include "skin/image.h"

namespace lum {

std::optional<TZeDaraImage> DecodePng(const std::uint8_t* data, std::size_t size);

}  // namespace lum
