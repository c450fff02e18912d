#include "download/digests.h"

#include "platform/text.h"

namespace lum {
namespace {

struct TableRow {
  const char* name;
  std::uint64_t size;
  const char* sha256;
};

// Generated from the build input LUMORA_IMAGE_DIGESTS; checked by the build.
const TableRow kTable[] = {
#include "image_digests_table.inc"
    {nullptr, 0, nullptr}};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// sha256sum writes a backslash before a line whose name holds one; such names
// are never the program's files, so those lines are not taken.
bool ParseLine(std::string_view line, std::string& name, Sha256Digest& digest) {
  if (line.size() < 66) return false;
  std::optional<Sha256Digest> d = ParseSha256Hex(line.substr(0, 64));
  if (!d || line[64] != ' ' || (line[65] != ' ' && line[65] != '*')) return false;
  std::string_view rest = line.substr(66);
  if (rest.substr(0, 2) == "./") rest.remove_prefix(2);
  if (rest.empty() || rest.find_first_of("\\/\t") != std::string_view::npos) return false;
  name = std::string(rest);
  digest = *d;
  return true;
}

}  // namespace

std::optional<Sha256Digest> ParseSha256Hex(std::string_view hex) {
  if (hex.size() != 64) return std::nullopt;
  Sha256Digest d{};
  for (std::size_t i = 0; i < d.size(); ++i) {
    const int hi = HexValue(hex[2 * i]), lo = HexValue(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    d[i] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  return d;
}

std::string Sha256Hex(const Sha256Digest& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s;
  for (std::uint8_t b : digest) {
    s += kDigits[b >> 4];
    s += kDigits[b & 15];
  }
  return s;
}

const DigestList& BuiltInDigests() {
  static const DigestList list = [] {
    DigestList l;
    for (const TableRow* row = kTable; row->name; ++row) {
      if (std::optional<Sha256Digest> d = ParseSha256Hex(row->sha256))
        l[AsciiUpper(row->name)] = FileDigest{row->size, *d};
    }
    return l;
  }();
  return list;
}

std::optional<FileDigest> FindDigest(const DigestList& list, const std::string& fileName) {
  auto it = list.find(AsciiUpper(fileName));
  if (it == list.end()) return std::nullopt;
  return it->second;
}

bool ParseSha256Sums(std::string_view text, DigestList& out) {
  out.clear();
  DigestList parsed;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
    std::string name;
    Sha256Digest digest{};
    if (!ParseLine(line, name, digest)) return false;
    parsed[AsciiUpper(name)] = FileDigest{std::nullopt, digest};
  }
  if (parsed.empty()) return false;
  out = std::move(parsed);
  return true;
}

}  // namespace lum
