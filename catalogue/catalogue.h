#pragma once
// The catalogue of installable systems: seven lines of nine "|"-separated
// fields each, in the order of the list rows.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lum {

// Positions of the fields of a catalogue line.
enum CatalogField : std::size_t {
  kCatName = 0,     // display name
  kCatPicture,      // 100 x 60 picture in the skin image store
  kCatImageUrl,     // BaseUrl + image file name
  kCatUpdateNote,
  kCatFamily,       // "WinXP", "Win7", "Win8" or "Win10"
  kCatArch,         // "x86" or "x64"
  kCatImageTag,     // the image file name in capitals
  kCatDescription,
  kCatSizeNote,
  kCatFieldCount
};

// The seven lines with baseUrl (the server's base URL followed by "/a/")
// in front of each image file name.
std::vector<std::string> BuildSysCatalog(const std::string& baseUrl);

// The fields of a line, split at every "|"; blanks belong to the fields.
std::vector<std::string> SplitCatalogLine(std::string_view line);

}  // namespace lum
