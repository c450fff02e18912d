#include "tools/bootstore/posix/store_files_posix.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace lum {

bool PosixStoreFiles::Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::optional<std::string> PosixStoreFiles::Read(const std::string& path, std::size_t maxBytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::nullopt;
  std::string out;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    out.append(buf, n);
    if (out.size() > maxBytes) {
      std::fclose(f);
      errno = EFBIG;
      return std::nullopt;
    }
  }
  bool bad = std::ferror(f) != 0;
  std::fclose(f);
  if (bad) return std::nullopt;
  return out;
}

bool PosixStoreFiles::Replace(const std::string& path, const std::string& data) {
  for (std::size_t p = path.find('/', 1); p != std::string::npos; p = path.find('/', p + 1))
    ::mkdir(path.substr(0, p).c_str(), 0755);
  std::string temp = path + ".~new";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  ok = (std::fclose(f) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    int keep = errno;
    ::unlink(temp.c_str());
    errno = keep;
  }
  return ok;
}

std::string PosixStoreFiles::Env(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? v : "";
}

std::string PosixStoreFiles::LastErrorText() { return std::strerror(errno); }

}  // namespace lum
