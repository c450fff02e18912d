// Files and folders on the simulated drives: real files under the machine's
// root, with Windows' answers where they are cheap to give.
#include <algorithm>
#include <cstdio>
#include <system_error>

#include "platform/sim/sim_parts.h"

namespace fs = std::filesystem;

namespace lum::sim {

constexpr std::uint32_t kErrDirectory = 267;      // ERROR_DIRECTORY
constexpr std::uint32_t kErrDirNotEmpty = 145;    // ERROR_DIR_NOT_EMPTY

static bool IsUnder(const std::string& key, const std::string& base) {
  if (key.size() < base.size() || key.compare(0, base.size(), base) != 0) return false;
  return key.size() == base.size() || base.back() == '\\' || key[base.size()] == '\\';
}

std::optional<SimMachine::Resolved> SimMachine::FilesImpl::Open(const std::string& path) {
  std::uint32_t error = 0;
  std::optional<Resolved> r = m_.Resolve(path, error);
  if (!r) m_.SetError(error);
  // Windows asks for a disk when a file call meets a drive without a medium,
  // unless the process turned critical-error dialogs off.
  if (!r && error == err::NotReady && !(m_.errorMode_ & kSemFailCriticalErrors)) ++m_.noDiskPrompts_;
  return r;
}

bool SimMachine::FilesImpl::ReadOnly(const Resolved& r) const {
  auto it = m_.attributes_.find(r.key);
  return it != m_.attributes_.end() && (it->second & kAttrReadOnly);
}

void SimMachine::FilesImpl::Forget(const std::string& key) {
  for (auto it = m_.attributes_.begin(); it != m_.attributes_.end();)
    it = IsUnder(it->first, key) ? m_.attributes_.erase(it) : std::next(it);
  for (auto it = m_.versions_.begin(); it != m_.versions_.end();)
    it = IsUnder(it->first, key) ? m_.versions_.erase(it) : std::next(it);
}

template <typename Map>
static void RenameKeys(Map& map, const std::string& fromKey, const std::string& toKey) {
  Map moved;
  for (auto it = map.begin(); it != map.end();) {
    if (IsUnder(it->first, fromKey)) {
      moved[toKey + it->first.substr(fromKey.size())] = it->second;
      it = map.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& kv : moved) map[kv.first] = kv.second;
}

void SimMachine::FilesImpl::Rename(const std::string& fromKey, const std::string& toKey) {
  Forget(toKey);
  RenameKeys(m_.attributes_, fromKey, toKey);
  RenameKeys(m_.versions_, fromKey, toKey);
}

// The error Windows gives for a missing file: 2 when its folder exists, else 3.
static std::uint32_t MissingError(const fs::path& host) {
  std::error_code ec;
  return fs::is_directory(host.parent_path(), ec) ? err::FileNotFound : err::PathNotFound;
}

bool SimMachine::FilesImpl::FileExists(const std::string& path) {
  if (m_.Failing("files.FileExists", {path})) return false;
  std::optional<Resolved> r = Open(path);
  std::error_code ec;
  return r && fs::is_regular_file(r->host, ec);
}

bool SimMachine::FilesImpl::DirExists(const std::string& path) {
  if (m_.Failing("files.DirExists", {path})) return false;
  std::optional<Resolved> r = Open(path);
  std::error_code ec;
  return r && fs::is_directory(r->host, ec);
}

std::optional<Bytes> SimMachine::FilesImpl::ReadBytes(const std::string& op, const std::string& path,
                                                      std::optional<std::size_t> limit) {
  if (m_.Failing(op, {path})) return std::nullopt;
  std::optional<Resolved> r = Open(path);
  if (!r) return std::nullopt;
  std::error_code ec;
  if (fs::is_directory(r->host, ec)) {
    m_.SetError(err::AccessDenied);
    return std::nullopt;
  }
  std::FILE* f = std::fopen(r->host.c_str(), "rb");
  if (!f) {
    m_.SetError(MissingError(r->host));
    return std::nullopt;
  }
  Bytes out;
  std::uint8_t buf[65536];
  while (!limit || out.size() < *limit) {
    std::size_t want = sizeof buf;
    if (limit) want = std::min(want, *limit - out.size());
    std::size_t n = std::fread(buf, 1, want, f);
    if (n == 0) break;
    out.insert(out.end(), buf, buf + n);
  }
  std::fclose(f);
  return out;
}

std::optional<Bytes> SimMachine::FilesImpl::Read(const std::string& path) {
  return ReadBytes("files.Read", path, std::nullopt);
}

std::optional<Bytes> SimMachine::FilesImpl::ReadPrefix(const std::string& path, std::size_t n) {
  return ReadBytes("files.ReadPrefix", path, n);
}

std::optional<std::uint64_t> SimMachine::FilesImpl::Size(const std::string& path) {
  if (m_.Failing("files.Size", {path})) return std::nullopt;
  std::optional<Resolved> r = Open(path);
  if (!r) return std::nullopt;
  std::error_code ec;
  if (!fs::is_regular_file(r->host, ec)) {
    m_.SetError(fs::is_directory(r->host, ec) ? err::AccessDenied : MissingError(r->host));
    return std::nullopt;
  }
  return fs::file_size(r->host, ec);
}

bool SimMachine::FilesImpl::WriteBytes(const std::string& op, const std::string& path,
                                       const Bytes& data, bool append) {
  if (m_.Failing(op, {path})) return false;
  std::optional<Resolved> r = Open(path);
  if (!r) return false;
  std::error_code ec;
  if (r->isRoot || fs::is_directory(r->host, ec) || ReadOnly(*r)) {
    m_.SetError(err::AccessDenied);
    return false;
  }
  if (!fs::is_directory(r->host.parent_path(), ec)) {
    m_.SetError(err::PathNotFound);
    return false;
  }
  std::FILE* f = std::fopen(r->host.c_str(), append ? "ab" : "wb");
  if (!f) {
    m_.SetError(err::AccessDenied);
    return false;
  }
  bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) m_.SetError(err::WriteFault);
  return ok;
}

bool SimMachine::FilesImpl::Write(const std::string& path, const Bytes& data) {
  return WriteBytes("files.Write", path, data, false);
}

bool SimMachine::FilesImpl::Append(const std::string& path, const Bytes& data) {
  return WriteBytes("files.Append", path, data, true);
}

bool SimMachine::FilesImpl::Copy(const std::string& from, const std::string& to,
                                 bool failIfExists) {
  if (m_.Failing("files.Copy", {from, to})) return false;
  std::optional<Resolved> src = Open(from);
  if (!src) return false;
  std::error_code ec;
  if (!fs::is_regular_file(src->host, ec)) {
    m_.SetError(fs::is_directory(src->host, ec) ? err::AccessDenied : MissingError(src->host));
    return false;
  }
  std::optional<Resolved> dst = Open(to);
  if (!dst) return false;
  if (!fs::is_directory(dst->host.parent_path(), ec)) {
    m_.SetError(err::PathNotFound);
    return false;
  }
  bool exists = fs::exists(dst->host, ec);
  if (exists && failIfExists) {
    m_.SetError(err::FileExists);
    return false;
  }
  if (dst->isRoot || fs::is_directory(dst->host, ec) || (exists && ReadOnly(*dst))) {
    m_.SetError(err::AccessDenied);
    return false;
  }
  if (src->key == dst->key) {
    m_.SetError(32);  // ERROR_SHARING_VIOLATION: a file cannot be copied onto itself
    return false;
  }
  if (!fs::copy_file(src->host, dst->host, fs::copy_options::overwrite_existing, ec)) {
    m_.SetError(err::AccessDenied);
    return false;
  }
  // CopyFile carries the attributes; the version resource is part of the bytes.
  Forget(dst->key);
  if (auto a = m_.attributes_.find(src->key); a != m_.attributes_.end())
    m_.attributes_[dst->key] = a->second;
  if (auto v = m_.versions_.find(src->key); v != m_.versions_.end())
    m_.versions_[dst->key] = v->second;
  return true;
}

bool SimMachine::FilesImpl::Move(const std::string& from, const std::string& to) {
  if (m_.Failing("files.Move", {from, to})) return false;
  std::optional<Resolved> src = Open(from);
  if (!src) return false;
  std::error_code ec;
  if (!fs::exists(src->host, ec) || src->isRoot) {
    m_.SetError(MissingError(src->host));
    return false;
  }
  std::optional<Resolved> dst = Open(to);
  if (!dst) return false;
  if (!fs::is_directory(dst->host.parent_path(), ec)) {
    m_.SetError(err::PathNotFound);
    return false;
  }
  bool srcDir = fs::is_directory(src->host, ec);
  if (fs::exists(dst->host, ec) && src->key != dst->key) {
    if (srcDir || fs::is_directory(dst->host, ec)) {
      m_.SetError(err::AlreadyExists);
      return false;
    }
    if (ReadOnly(*dst)) {
      m_.SetError(err::AccessDenied);
      return false;
    }
  }
  if (srcDir && src->letter != dst->letter) {
    m_.SetError(17);  // ERROR_NOT_SAME_DEVICE
    return false;
  }
  fs::rename(src->host, dst->host, ec);
  if (ec) {
    // Across host file systems a rename is a copy and a delete.
    ec.clear();
    fs::copy_file(src->host, dst->host, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::remove(src->host, ec);
    if (ec) {
      m_.SetError(err::AccessDenied);
      return false;
    }
  }
  if (src->key != dst->key) Rename(src->key, dst->key);
  return true;
}

bool SimMachine::FilesImpl::Delete(const std::string& path) {
  if (m_.Failing("files.Delete", {path})) return false;
  std::optional<Resolved> r = Open(path);
  if (!r) return false;
  std::error_code ec;
  if (!fs::exists(r->host, ec)) {
    m_.SetError(MissingError(r->host));
    return false;
  }
  if (r->isRoot || fs::is_directory(r->host, ec) || ReadOnly(*r)) {
    m_.SetError(err::AccessDenied);
    return false;
  }
  if (!fs::remove(r->host, ec)) {
    m_.SetError(err::AccessDenied);
    return false;
  }
  Forget(r->key);
  return true;
}

bool SimMachine::FilesImpl::DeleteTree(const std::string& path) {
  if (m_.Failing("files.DeleteTree", {path})) return false;
  std::optional<Resolved> r = Open(path);
  if (!r) return false;
  std::error_code ec;
  if (!fs::exists(r->host, ec)) {
    m_.SetError(MissingError(r->host));
    return false;
  }
  if (r->isRoot) {
    m_.SetError(err::AccessDenied);
    return false;
  }
  fs::remove_all(r->host, ec);
  if (ec) {
    m_.SetError(err::AccessDenied);
    return false;
  }
  Forget(r->key);
  return true;
}

bool SimMachine::FilesImpl::CreateDir(const std::string& path) {
  if (m_.Failing("files.CreateDir", {path})) return false;
  std::optional<Resolved> r = Open(path);
  if (!r) return false;
  std::error_code ec;
  if (r->isRoot || fs::exists(r->host, ec)) {
    m_.SetError(err::AlreadyExists);
    return false;
  }
  if (!fs::is_directory(r->host.parent_path(), ec)) {
    m_.SetError(err::PathNotFound);
    return false;
  }
  if (!fs::create_directory(r->host, ec)) {
    m_.SetError(err::AccessDenied);
    return false;
  }
  return true;
}

bool SimMachine::FilesImpl::RemoveDir(const std::string& path) {
  if (m_.Failing("files.RemoveDir", {path})) return false;
  std::optional<Resolved> r = Open(path);
  if (!r) return false;
  std::error_code ec;
  if (!fs::exists(r->host, ec)) {
    m_.SetError(MissingError(r->host));
    return false;
  }
  if (!fs::is_directory(r->host, ec)) {
    m_.SetError(kErrDirectory);
    return false;
  }
  if (r->isRoot) {
    m_.SetError(err::AccessDenied);
    return false;
  }
  if (!fs::is_empty(r->host, ec)) {
    m_.SetError(kErrDirNotEmpty);
    return false;
  }
  fs::remove(r->host, ec);
  Forget(r->key);
  return true;
}

std::uint32_t SimMachine::FilesImpl::GetAttributes(const std::string& path) {
  if (m_.Failing("files.GetAttributes", {path})) return kInvalidAttributes;
  std::optional<Resolved> r = Open(path);
  if (!r) return kInvalidAttributes;
  std::error_code ec;
  if (!fs::exists(r->host, ec)) {
    m_.SetError(MissingError(r->host));
    return kInvalidAttributes;
  }
  auto it = m_.attributes_.find(r->key);
  if (it != m_.attributes_.end()) return it->second;
  return fs::is_directory(r->host, ec) ? kAttrDirectory : kAttrArchive;
}

bool SimMachine::FilesImpl::SetAttributes(const std::string& path, std::uint32_t attributes) {
  if (m_.Failing("files.SetAttributes", {path})) return false;
  std::optional<Resolved> r = Open(path);
  if (!r) return false;
  std::error_code ec;
  if (!fs::exists(r->host, ec)) {
    m_.SetError(MissingError(r->host));
    return false;
  }
  // The directory bit follows what the entry is; a file left with no
  // attribute at all reads as FILE_ATTRIBUTE_NORMAL.
  constexpr std::uint32_t kNormal = 0x80;
  if (fs::is_directory(r->host, ec)) {
    attributes |= kAttrDirectory;
  } else {
    attributes &= ~kAttrDirectory;
    if (attributes == 0) attributes = kNormal;
  }
  m_.attributes_[r->key] = attributes;
  return true;
}

std::vector<DirEntry> SimMachine::FilesImpl::List(const std::string& dir) {
  std::vector<DirEntry> out;
  if (m_.Failing("files.List", {dir})) return out;
  std::optional<Resolved> r = Open(dir);
  if (!r) return out;
  std::error_code ec;
  if (!fs::is_directory(r->host, ec)) {
    m_.SetError(err::PathNotFound);
    return out;
  }
  for (const fs::directory_entry& e : fs::directory_iterator(r->host, ec)) {
    DirEntry d;
    d.name = e.path().filename().string();
    d.isDir = e.is_directory(ec);
    d.size = d.isDir ? 0 : e.file_size(ec);
    std::string key = r->key.back() == '\\' ? r->key + UpperKey(d.name) : r->key + "\\" + UpperKey(d.name);
    auto it = m_.attributes_.find(key);
    d.attributes = it != m_.attributes_.end() ? it->second : (d.isDir ? kAttrDirectory : kAttrArchive);
    out.push_back(d);
  }
  std::sort(out.begin(), out.end(), [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return out;
}

}  // namespace lum::sim
