#pragma once
// The ".td.cfg" file beside a partial ".td": what is still missing of the file,
// which version of it the present bytes belong to, and a CRC-32 of every
// present byte, piece by piece: the present ranges cut at every multiple of
// kProofBlock, so a piece is a whole block or the part of one at the edge of
// a present range. It is rewritten whole (atomically) after the data it
// describes has been flushed. Since a disk may still lose or reorder writes in
// a power cut, a resumed task keeps only the pieces whose bytes match their
// CRC and fetches everything else again.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lum::engine {

struct ByteRange {
  std::int64_t from = 0, to = 0;  // [from, to)
  bool operator==(const ByteRange&) const = default;
};

// Proofs never span a multiple of kProofBlock, so a wrong proof costs at
// most one block.
constexpr std::int64_t kProofBlock = 1 << 20;

struct RangeSum {
  ByteRange range;
  std::uint32_t crc = 0;
  bool operator==(const RangeSum&) const = default;
};

struct TransferState {
  std::string url;           // the URL after redirects
  std::int64_t total = -1;
  std::string etag;
  std::string lastModified;
  std::vector<ByteRange> missing;  // ranges not yet on the disk, in file order
  std::vector<RangeSum> proofs;    // one per piece of ProofPieces, in file order
  bool operator==(const TransferState&) const = default;
};

std::string FormatState(const TransferState& state);
// Rejects text that is damaged, cut short, or inconsistent with its total.
std::optional<TransferState> ParseState(const std::string& text);

// The present bytes of a file of `total` bytes (everything outside the
// sorted `missing` ranges) cut at every multiple of kProofBlock, in order.
std::vector<ByteRange> ProofPieces(std::int64_t total, const std::vector<ByteRange>& missing);
// The ranges of [0, total) not covered by the given sorted, disjoint ranges,
// with neighbours joined.
std::vector<ByteRange> RangesOutside(std::int64_t total, const std::vector<ByteRange>& covered);

}  // namespace lum::engine
