#include "engine/state_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <sstream>

namespace lum::engine {
namespace {

// Changed whenever the lines change meaning: a file of another version is not
// read, and its download starts over.
constexpr const char* kMagic = "LUMORA-TD 2";

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
  for (const RangeSum& p : st.proofs) {
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(p.crc));
    body += "proof=" + std::to_string(p.range.from) + " " + std::to_string(p.range.to) + " " + crc + "\n";
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
    } else if (key == "proof") {
      auto sp1 = value.find(' ');
      auto sp2 = sp1 == std::string::npos ? sp1 : value.find(' ', sp1 + 1);
      RangeSum p;
      std::int64_t crc = 0;
      if (sp2 == std::string::npos || !Int(value.substr(0, sp1), &p.range.from) ||
          !Int(value.substr(sp1 + 1, sp2 - sp1 - 1), &p.range.to) || value.size() - sp2 - 1 != 8)
        return std::nullopt;
      auto [end, ec] = std::from_chars(value.data() + sp2 + 1, value.data() + value.size(), crc, 16);
      if (ec != std::errc() || end != value.data() + value.size()) return std::nullopt;
      p.crc = static_cast<std::uint32_t>(crc);
      st.proofs.push_back(p);
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
  // Proofs only of pieces of the present bytes, each once, in order.
  const std::vector<ByteRange> pieces = ProofPieces(st.total, st.missing);
  std::size_t at = 0;
  for (const RangeSum& p : st.proofs) {
    while (at < pieces.size() && pieces[at].from < p.range.from) ++at;
    if (at == pieces.size() || pieces[at] != p.range) return std::nullopt;
    ++at;
  }
  return st;
}

std::vector<ByteRange> ProofPieces(std::int64_t total, const std::vector<ByteRange>& missing) {
  std::vector<ByteRange> out;
  auto cut = [&](std::int64_t from, std::int64_t to) {
    while (from < to) {
      const std::int64_t end = std::min(to, (from / kProofBlock + 1) * kProofBlock);
      out.push_back({from, end});
      from = end;
    }
  };
  std::int64_t pos = 0;
  for (const ByteRange& m : missing) {
    cut(pos, std::min(m.from, total));
    pos = std::max(pos, m.to);
  }
  cut(pos, total);
  return out;
}

std::vector<ByteRange> RangesOutside(std::int64_t total, const std::vector<ByteRange>& covered) {
  std::vector<ByteRange> out;
  std::int64_t pos = 0;
  for (const ByteRange& c : covered) {
    if (c.from > pos) out.push_back({pos, c.from});
    pos = std::max(pos, c.to);
  }
  if (pos < total) out.push_back({pos, total});
  return out;
}

}  // namespace lum::engine
