#pragma once
// The ".td.cfg" file beside a partial ".td": what is still missing of the file
// and which version of it the present bytes belong to. It is rewritten whole
// (atomically) after the data it describes has been flushed, so after a crash
// it never claims bytes that are not on the disk.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lum::engine {

struct ByteRange {
  std::int64_t from = 0, to = 0;  // [from, to)
  bool operator==(const ByteRange&) const = default;
};

struct TransferState {
  std::string url;           // the URL after redirects
  std::int64_t total = -1;
  std::string etag;
  std::string lastModified;
  std::vector<ByteRange> missing;  // ranges not yet on the disk, in file order
  bool operator==(const TransferState&) const = default;
};

std::string FormatState(const TransferState& state);
// Rejects text that is damaged, cut short, or inconsistent with its total.
std::optional<TransferState> ParseState(const std::string& text);

}  // namespace lum::engine
