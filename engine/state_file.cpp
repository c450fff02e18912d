#include "engine/state_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <sstream>

namespace lum::engine {
namespace {

constexpr const char* kMagic = "LUMORA-TD 1";

std::uint64_t Fnv1a(const std::string& s) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : s) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

bool Int(const std::string& s, std::int64_t* out) {
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), *out);
  return ec == std::errc() && p == s.data() + s.size();
}

}  // namespace

std::string FormatState(const TransferState& st) {
  std::string body = std::string(kMagic) + "\n";
  body += "url=" + st.url + "\n";
  body += "total=" + std::to_string(st.total) + "\n";
  body += "etag=" + st.etag + "\n";
  body += "modified=" + st.lastModified + "\n";
  for (const ByteRange& r : st.missing) {
    body += "missing=" + std::to_string(r.from) + " " + std::to_string(r.to) + "\n";
  }
  for (const BlockSum& b : st.blocks) {
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(b.crc));
    body += "block=" + std::to_string(b.index) + " " + crc + "\n";
  }
  char sum[32];
  std::snprintf(sum, sizeof sum, "%016llx", static_cast<unsigned long long>(Fnv1a(body)));
  return body + "sum=" + sum + "\n";
}

std::optional<TransferState> ParseState(const std::string& text) {
  auto sumAt = text.rfind("sum=");
  if (sumAt == std::string::npos || text.empty() || text.back() != '\n') return std::nullopt;
  std::string body = text.substr(0, sumAt);
  char sum[32];
  std::snprintf(sum, sizeof sum, "%016llx", static_cast<unsigned long long>(Fnv1a(body)));
  if (text.substr(sumAt + 4) != std::string(sum) + "\n") return std::nullopt;

  std::istringstream in(body);
  std::string line;
  if (!std::getline(in, line) || line != kMagic) return std::nullopt;
  TransferState st;
  bool haveUrl = false, haveTotal = false;
  while (std::getline(in, line)) {
    auto eq = line.find('=');
    if (eq == std::string::npos) return std::nullopt;
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "url") {
      st.url = value, haveUrl = true;
    } else if (key == "total") {
      if (!Int(value, &st.total)) return std::nullopt;
      haveTotal = true;
    } else if (key == "etag") {
      st.etag = value;
    } else if (key == "modified") {
      st.lastModified = value;
    } else if (key == "missing") {
      auto sp = value.find(' ');
      ByteRange r;
      if (sp == std::string::npos || !Int(value.substr(0, sp), &r.from) ||
          !Int(value.substr(sp + 1), &r.to)) {
        return std::nullopt;
      }
      st.missing.push_back(r);
    } else if (key == "block") {
      auto sp = value.find(' ');
      BlockSum b;
      std::int64_t crc = 0;
      if (sp == std::string::npos || !Int(value.substr(0, sp), &b.index) || value.size() - sp - 1 != 8)
        return std::nullopt;
      auto [p, ec] = std::from_chars(value.data() + sp + 1, value.data() + value.size(), crc, 16);
      if (ec != std::errc() || p != value.data() + value.size()) return std::nullopt;
      b.crc = static_cast<std::uint32_t>(crc);
      st.blocks.push_back(b);
    } else {
      return std::nullopt;
    }
  }
  if (!haveUrl || !haveTotal || st.total < 0) return std::nullopt;
  std::int64_t prev = 0;
  for (const ByteRange& r : st.missing) {
    if (r.from < prev || r.to <= r.from || r.to > st.total) return std::nullopt;
    prev = r.to;
  }
  // Proofs only of present blocks, each once, in order.
  const std::vector<std::int64_t> present = PresentBlocks(st.total, st.missing);
  std::size_t at = 0;
  for (const BlockSum& b : st.blocks) {
    while (at < present.size() && present[at] < b.index) ++at;
    if (at == present.size() || present[at] != b.index) return std::nullopt;
    ++at;
  }
  return st;
}

ByteRange BlockRange(std::int64_t total, std::int64_t index) {
  return {index * kProofBlock, std::min(total, (index + 1) * kProofBlock)};
}

std::vector<std::int64_t> PresentBlocks(std::int64_t total, const std::vector<ByteRange>& missing) {
  std::vector<std::int64_t> out;
  const std::int64_t count = (total + kProofBlock - 1) / kProofBlock;
  std::size_t m = 0;
  for (std::int64_t i = 0; i < count; ++i) {
    const ByteRange b = BlockRange(total, i);
    while (m < missing.size() && missing[m].to <= b.from) ++m;
    if (m < missing.size() && missing[m].from < b.to) continue;  // a missing range overlaps it
    out.push_back(i);
  }
  return out;
}

std::vector<ByteRange> RangesOutside(std::int64_t total, const std::vector<std::int64_t>& blocks) {
  std::vector<ByteRange> out;
  std::int64_t pos = 0;
  for (std::int64_t i : blocks) {
    const ByteRange b = BlockRange(total, i);
    if (b.from > pos) out.push_back({pos, b.from});
    pos = b.to;
  }
  if (pos < total) out.push_back({pos, total});
  return out;
}

}  // namespace lum::engine
