#pragma once
// The container that carries the skin images inside the program (resource
// SKIN/STORE). Little-endian throughout:
//
//   "LSKN"  u32 version (1)  u32 count
//   count × { u8 id length, id (ASCII), u8 draw mode (0 blend, 1 opaque),
//             i32 width, i32 height, u32 packed length,
//             packed: the zlib stream of width × height pixels (4 bytes each,
//             blue, green, red, alpha), rows from the top }
//
// The packer is payloads/skin/pack_store.py; the reader only needs zlib.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skin/image.h"

namespace lum {

struct SkinStoreEntry {
  std::string ResID;
  std::shared_ptr<TZeDaraImage> image;
};

// Entries in store order, or nothing when the data is not a well-formed
// store (bad magic or version, truncated, sizes out of range, a pixel stream
// that does not inflate to exactly width × height × 4 bytes).
std::optional<std::vector<SkinStoreEntry>> DecodeSkinStore(const std::uint8_t* data, std::size_t size);

// The inverse; used by tests to build small stores.
std::vector<std::uint8_t> EncodeSkinStore(const std::vector<SkinStoreEntry>& entries);

// Largest image the reader accepts, in pixels (keeps a damaged header from
// asking for gigabytes).
constexpr std::int64_t kMaxSkinPixels = 16 * 1024 * 1024;

}  // namespace lum
