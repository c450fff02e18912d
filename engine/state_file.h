#pragma once
// The ".td.cfg" file beside a partial ".td": what is still missing of the file,
// which version of it the present bytes belong to, and a CRC-32 of every
// whole block of kProofBlock bytes that is present. It is rewritten whole
// (atomically) after the data it describes has been flushed. Since a disk may
// still lose or reorder writes in a power cut, a resumed task keeps only the
// blocks whose bytes match their CRC and fetches everything else again.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lum::engine {

struct ByteRange {
  std::int64_t from = 0, to = 0;  // [from, to)
  bool operator==(const ByteRange&) const = default;
};

// The blocks are aligned at multiples of kProofBlock; the last one ends
// with the file.
constexpr std::int64_t kProofBlock = 1 << 20;

struct BlockSum {
  std::int64_t index = 0;
  std::uint32_t crc = 0;
  bool operator==(const BlockSum&) const = default;
};

struct TransferState {
  std::string url;           // the URL after redirects
  std::int64_t total = -1;
  std::string etag;
  std::string lastModified;
  std::vector<ByteRange> missing;  // ranges not yet on the disk, in file order
  std::vector<BlockSum> blocks;    // proofs of present whole blocks, by index
  bool operator==(const TransferState&) const = default;
};

std::string FormatState(const TransferState& state);
// Rejects text that is damaged, cut short, or inconsistent with its total.
std::optional<TransferState> ParseState(const std::string& text);

// The whole blocks [index * kProofBlock, ...) that lie outside every missing
// range of a file of `total` bytes, in order. `missing` is sorted.
std::vector<std::int64_t> PresentBlocks(std::int64_t total, const std::vector<ByteRange>& missing);
// The byte range of a block.
ByteRange BlockRange(std::int64_t total, std::int64_t index);
// The ranges of [0, total) not covered by the given blocks (sorted indexes).
std::vector<ByteRange> RangesOutside(std::int64_t total, const std::vector<std::int64_t>& blocks);

}  // namespace lum::engine
