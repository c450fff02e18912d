#include "tests/host/boot/folder_machine.h"

#include <iconv.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/text.h"

namespace fs = std::filesystem;

namespace lum::test {

FolderFiles::FolderFiles(fs::path root) : root_(std::move(root)) {
  for (char c = 'A'; c <= 'Z'; ++c) fs::create_directories(root_ / std::string(1, c));
}

fs::path FolderFiles::Host(const std::string& path) const {
  if (path.size() < 2 || path[1] != ':') throw std::invalid_argument("not a drive path: " + path);
  fs::path p = root_ / std::string(1, static_cast<char>(std::toupper(path[0])));
  std::string rest = path.substr(2);
  for (const std::string& part : SplitOn(rest, '\\'))
    for (const std::string& sub : SplitOn(part, '/'))
      if (!sub.empty()) p /= sub;
  return p;
}

bool FolderFiles::Fails(const std::string& path) const {
  return failWritesOf.count(ExtractFileName(path)) != 0;
}

bool FolderFiles::FileExists(const std::string& path) { return fs::is_regular_file(Host(path)); }
bool FolderFiles::DirExists(const std::string& path) { return fs::is_directory(Host(path)); }

std::optional<Bytes> FolderFiles::Read(const std::string& path) {
  if (!FileExists(path)) return std::nullopt;
  return ReadHostFile(Host(path));
}

std::optional<Bytes> FolderFiles::ReadPrefix(const std::string& path, std::size_t n) {
  std::optional<Bytes> all = Read(path);
  if (all && all->size() > n) all->resize(n);
  return all;
}

std::optional<std::uint64_t> FolderFiles::Size(const std::string& path) {
  if (!FileExists(path)) return std::nullopt;
  return fs::file_size(Host(path));
}

bool FolderFiles::Write(const std::string& path, const Bytes& data) {
  if (Fails(path) || !fs::is_directory(Host(path).parent_path())) return false;
  std::ofstream f(Host(path), std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(f);
}

bool FolderFiles::Append(const std::string& path, const Bytes& data) {
  if (Fails(path)) return false;
  auto it = failAppendAfter.find(ExtractFileName(path));
  if (it != failAppendAfter.end() && it->second-- <= 0) {
    // A full disk: part of the data lands before the write fails.
    std::ofstream f(Host(path), std::ios::binary | std::ios::app);
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size() / 2));
    return false;
  }
  std::ofstream f(Host(path), std::ios::binary | std::ios::app);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(f);
}

bool FolderFiles::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  if (Fails(to) || (failIfExists && FileExists(to))) return false;
  std::error_code ec;
  fs::copy_file(Host(from), Host(to), fs::copy_options::overwrite_existing, ec);
  return !ec;
}

bool FolderFiles::Move(const std::string& from, const std::string& to) {
  if (Fails(to) || !FileExists(from)) return false;
  std::error_code ec;
  fs::rename(Host(from), Host(to), ec);
  return !ec;
}

bool FolderFiles::Delete(const std::string& path) {
  if (!FileExists(path)) return false;
  return fs::remove(Host(path));
}

bool FolderFiles::DeleteTree(const std::string& path) {
  std::error_code ec;
  return fs::remove_all(Host(path), ec) > 0 && !ec;
}

bool FolderFiles::CreateDir(const std::string& path) {
  std::error_code ec;
  return fs::create_directory(Host(path), ec);
}

bool FolderFiles::RemoveDir(const std::string& path) {
  std::error_code ec;
  return fs::remove(Host(path), ec);
}

std::uint32_t FolderFiles::GetAttributes(const std::string& path) {
  if (DirExists(path)) return kAttrDirectory;
  return FileExists(path) ? kAttrArchive : kInvalidAttributes;
}

bool FolderFiles::SetAttributes(const std::string& path, std::uint32_t) { return FileExists(path); }

std::vector<DirEntry> FolderFiles::List(const std::string& dir) {
  std::vector<DirEntry> out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(Host(dir), ec)) {
    DirEntry d;
    d.name = e.path().filename().string();
    d.isDir = e.is_directory();
    d.size = d.isDir ? 0 : e.file_size();
    out.push_back(d);
  }
  return out;
}

namespace {

std::string Convert(const char* to, const char* from, const std::string& in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  std::string out;
  char* src = const_cast<char*>(in.data());
  std::size_t left = in.size();
  char buf[256];
  while (left > 0) {
    char* dst = buf;
    std::size_t room = sizeof buf;
    if (iconv(cd, &src, &left, &dst, &room) == static_cast<std::size_t>(-1) && errno != E2BIG) {
      out.append(buf, dst);
      out += '?';  // an unmappable character
      ++src, --left;
      while (left > 0 && (static_cast<unsigned char>(*src) & 0xC0) == 0x80) ++src, --left;
      continue;
    }
    out.append(buf, dst);
  }
  iconv_close(cd);
  return out;
}

}  // namespace

Bytes IconvCodePage::ToAnsi(const std::string& utf8) {
  std::string s = Convert("CP936", "UTF-8", utf8);
  return Bytes(s.begin(), s.end());
}

std::string IconvCodePage::FromAnsi(const Bytes& ansi) {
  return Convert("UTF-8", "CP936", std::string(ansi.begin(), ansi.end()));
}

std::string MapEnvironment::Get(const std::string& name) {
  for (const auto& [k, v] : vars)
    if (SameTextAscii(k, name)) return v;
  return {};
}

TempDir::TempDir() {
  std::string tmpl = (fs::temp_directory_path() / "lumora-boot-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

Bytes ReadHostFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteHostFile(const fs::path& p, const Bytes& data) {
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void WriteHostFile(const fs::path& p, const std::string& data) {
  WriteHostFile(p, Bytes(data.begin(), data.end()));
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

}  // namespace lum::test
