// Version resources registered per file. Load hands out an opaque block that
// only this machine's QueryString and QueryBinary read.
#include <cstdio>
#include <cstring>
#include <system_error>

#include "platform/sim/sim_parts.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace lum::sim {

static constexpr char kMagic[8] = {'S', 'I', 'M', 'V', 'E', 'R', '1', 0};

FileVersion MakeFileVersion(unsigned a, unsigned b, unsigned c, unsigned d) {
  FileVersion v;
  std::string text = std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c) + "." +
                     std::to_string(d);
  v.strings = {{"FileVersion", text}, {"ProductVersion", text}};
  std::uint32_t ms = (a << 16) | (b & 0xFFFF), ls = (c << 16) | (d & 0xFFFF);
  v.fixed = {0xFEEF04BDu, 0x00010000u, ms, ls, ms, ls, 0x3Fu, 0, 0x00040004u, 1, 0, 0, 0};
  return v;
}

void SimMachine::SetFileVersion(const std::string& winPath, const FileVersion& version) {
  std::optional<Resolved> r = Resolve(winPath);
  if (!r) throw std::invalid_argument("no such drive: " + winPath);
  versions_[r->key] = version;
}

void SimMachine::UseWindows(unsigned major, unsigned minor, unsigned build, unsigned spMajor,
                            bool x64, const std::string& ntdllVersion) {
  OsVersionRecord v;
  v.major = major;
  v.minor = minor;
  v.build = build;
  v.platformId = 2;
  v.spMajor = static_cast<std::uint16_t>(spMajor);
  v.csdVersion = spMajor ? "Service Pack " + std::to_string(spMajor) : "";
  v.productType = 1;
  sys.version = v;
  sys.nativeArch = x64 ? kArchAmd64 : kArchIntel;
  sys.wow64 = x64;
  const std::string ntdll = "C:\\Windows\\system32\\ntdll.dll";
  if (!Exists(ntdll)) PutFile(ntdll, "MZ");
  std::optional<Resolved> r = Resolve(ntdll);
  if (ntdllVersion.empty()) {
    versions_.erase(r->key);
    return;
  }
  unsigned n[4] = {0, 0, 0, 0};
  std::vector<std::string> parts = SplitOn(ntdllVersion, '.');
  for (std::size_t i = 0; i < 4 && i < parts.size(); ++i)
    n[i] = static_cast<unsigned>(std::strtoul(parts[i].c_str(), nullptr, 10));
  FileVersion fv = MakeFileVersion(n[0], n[1], n[2], n[3]);
  fv.strings = {{"CompanyName", "Microsoft Corporation"},
                {"FileDescription", "NT Layer DLL"},
                {"FileVersion", ntdllVersion},
                {"InternalName", "ntdll.dll"},
                {"OriginalFilename", "ntdll.dll"},
                {"ProductName", "Microsoft® Windows® Operating System"},
                {"ProductVersion", ntdllVersion}};
  versions_[r->key] = fv;
}

static void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

static void PutText(Bytes& b, const std::string& s) {
  Put32(b, static_cast<std::uint32_t>(s.size()));
  b.insert(b.end(), s.begin(), s.end());
}

static Bytes Serialize(const FileVersion& v) {
  Bytes b(kMagic, kMagic + sizeof kMagic);
  Put32(b, v.language | (static_cast<std::uint32_t>(v.codePage) << 16));
  b.push_back(v.hasTranslation ? 1 : 0);
  for (std::uint32_t w : v.fixed) Put32(b, w);
  Put32(b, static_cast<std::uint32_t>(v.strings.size()));
  for (const auto& kv : v.strings) {
    PutText(b, kv.first);
    PutText(b, kv.second);
  }
  return b;
}

namespace {
struct Reader {
  const Bytes& b;
  std::size_t at = 0;
  bool ok = true;
  std::uint32_t U32() {
    if (at + 4 > b.size()) { ok = false; return 0; }
    std::uint32_t v = b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                      (static_cast<std::uint32_t>(b[at + 3]) << 24);
    at += 4;
    return v;
  }
  std::string Text() {
    std::uint32_t n = U32();
    if (!ok || at + n > b.size()) { ok = false; return {}; }
    std::string s(b.begin() + at, b.begin() + at + n);
    at += n;
    return s;
  }
};
}  // namespace

static std::optional<FileVersion> Deserialize(const Bytes& b) {
  if (b.size() < sizeof kMagic || std::memcmp(b.data(), kMagic, sizeof kMagic) != 0)
    return std::nullopt;
  Reader r{b, sizeof kMagic};
  FileVersion v;
  std::uint32_t t = r.U32();
  v.language = static_cast<std::uint16_t>(t & 0xFFFF);
  v.codePage = static_cast<std::uint16_t>(t >> 16);
  if (r.at >= b.size()) return std::nullopt;
  v.hasTranslation = b[r.at++] != 0;
  for (std::uint32_t& w : v.fixed) w = r.U32();
  std::uint32_t n = r.U32();
  for (std::uint32_t i = 0; r.ok && i < n; ++i) {
    std::string k = r.Text();
    std::string val = r.Text();
    v.strings.emplace_back(k, val);
  }
  if (!r.ok) return std::nullopt;
  return v;
}

std::optional<Bytes> SimMachine::VersionsImpl::Load(const std::string& path) {
  if (m_.Failing("versions.Load", {path})) return std::nullopt;
  std::uint32_t error = 0;
  std::optional<Resolved> r = m_.Resolve(path, error);
  if (!r) {
    m_.SetError(error);
    return std::nullopt;
  }
  std::error_code ec;
  if (!fs::is_regular_file(r->host, ec)) {
    m_.SetError(err::FileNotFound);
    return std::nullopt;
  }
  auto it = m_.versions_.find(r->key);
  if (it == m_.versions_.end()) {
    m_.SetError(err::ResourceTypeNotFound);
    return std::nullopt;
  }
  return Serialize(it->second);
}

std::optional<std::string> SimMachine::VersionsImpl::QueryString(const Bytes& block,
                                                                 const std::string& subBlock) {
  if (m_.Failing("versions.QueryString", {subBlock})) return std::nullopt;
  std::optional<FileVersion> v = Deserialize(block);
  if (!v) {
    m_.SetError(err::InvalidParameter);
    return std::nullopt;
  }
  // "\StringFileInfo\040904b0\CompanyName", letter case ignored.
  std::vector<std::string> parts;
  for (std::string& p : SplitOn(subBlock, '\\'))
    if (!p.empty()) parts.push_back(std::move(p));
  char table[16];
  std::snprintf(table, sizeof table, "%04X%04X", v->language, v->codePage);
  if (parts.size() == 3 && SameTextAscii(parts[0], "StringFileInfo") &&
      SameTextAscii(parts[1], table)) {
    for (const auto& kv : v->strings)
      if (SameTextAscii(kv.first, parts[2])) return kv.second;
  }
  m_.SetError(err::ResourceTypeNotFound);
  return std::nullopt;
}

std::optional<Bytes> SimMachine::VersionsImpl::QueryBinary(const Bytes& block,
                                                           const std::string& subBlock) {
  if (m_.Failing("versions.QueryBinary", {subBlock})) return std::nullopt;
  std::optional<FileVersion> v = Deserialize(block);
  if (!v) {
    m_.SetError(err::InvalidParameter);
    return std::nullopt;
  }
  Bytes out;
  if (subBlock == "\\") {
    for (std::uint32_t w : v->fixed) Put32(out, w);
    return out;
  }
  if (SameTextAscii(subBlock, "\\VarFileInfo\\Translation") && v->hasTranslation) {
    Put32(out, v->language | (static_cast<std::uint32_t>(v->codePage) << 16));
    return out;
  }
  m_.SetError(err::ResourceTypeNotFound);
  return std::nullopt;
}

}  // namespace lum::sim
