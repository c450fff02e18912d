// The engine's files on a POSIX host: positional writes with pwrite, durable
// state through write-to-temporary, fsync and rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "engine/files.h"

namespace lum::engine {
namespace {

class PosixDataFile : public IDataFile {
 public:
  explicit PosixDataFile(int fd) : fd_(fd) {}
  ~PosixDataFile() override { ::close(fd_); }

  bool WriteAt(std::int64_t offset, const void* data, std::size_t size) override {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
      ssize_t n = ::pwrite(fd_, p, size, offset);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      p += n, size -= static_cast<std::size_t>(n), offset += n;
    }
    return true;
  }
  bool ReadAt(std::int64_t offset, void* data, std::size_t size) override {
    char* p = static_cast<char*>(data);
    while (size > 0) {
      ssize_t n = ::pread(fd_, p, size, offset);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      p += n, size -= static_cast<std::size_t>(n), offset += n;
    }
    return true;
  }
  bool Truncate(std::int64_t size) override { return ::ftruncate(fd_, size) == 0; }
  std::optional<std::int64_t> Size() override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return std::nullopt;
    return st.st_size;
  }
  bool Sync() override { return ::fdatasync(fd_) == 0; }

 private:
  int fd_;
};

class PosixFiles : public IEngineFiles {
 public:
  std::unique_ptr<IDataFile> OpenData(const std::string& path, bool truncate) override {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : 0), 0644);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixDataFile>(fd);
  }

  std::optional<std::string> ReadSmall(const std::string& path) override {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::string s;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && s.size() < (1u << 24)) s.append(buf, n);
    std::fclose(f);
    return s;
  }

  bool WriteSmallAtomic(const std::string& path, const std::string& data) override {
    std::string tmp = path + ".new";
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    PosixDataFile f(fd);
    bool ok = f.WriteAt(0, data.data(), data.size()) && f.Sync();
    return ok && ::rename(tmp.c_str(), path.c_str()) == 0;
  }

  bool Rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0;
  }
  bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }
  bool Exists(const std::string& path) override { return ::access(path.c_str(), F_OK) == 0; }
};

}  // namespace

std::unique_ptr<IEngineFiles> MakeNativeFiles() { return std::make_unique<PosixFiles>(); }

}  // namespace lum::engine
