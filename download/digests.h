#pragma once
// The expected SHA-256 (and, where known, the size) of the files the program
// downloads. Two sources, in this order: a table compiled into the program
// (a packager's build input, empty by default), and the "SHA256SUMS" list
// that the download server publishes beside the images, in sha256sum's format.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace lum {

struct FileDigest {
  std::optional<std::uint64_t> size;  // the compiled table knows it; SHA256SUMS does not
  Sha256Digest sha256{};
};

// By file name, upper-cased (Windows file names ignore letter case).
using DigestList = std::map<std::string, FileDigest>;

// The table compiled into the program.
const DigestList& BuiltInDigests();

// The digest listed for a file name, if any.
std::optional<FileDigest> FindDigest(const DigestList& list, const std::string& fileName);

// Parses a SHA256SUMS text: one "<64 hex digits> <blank or *><name>" line per
// file, blank lines allowed, CR LF or LF. Anything else (an HTML page served
// in its place, a truncated line, a list without a single entry) is not a
// digest list: false, and out is left empty.
bool ParseSha256Sums(std::string_view text, DigestList& out);

std::optional<Sha256Digest> ParseSha256Hex(std::string_view hex);
std::string Sha256Hex(const Sha256Digest& digest);  // lower case, as sha256sum prints

}  // namespace lum
