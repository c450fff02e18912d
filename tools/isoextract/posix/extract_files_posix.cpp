// Host implementation of the extraction tool's file operations (POSIX calls).
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/isoextract/posix/extract_files_posix.h"

namespace lum {
namespace {

class PosixImage final : public IReadAt {
 public:
  PosixImage(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  ~PosixImage() override { ::close(fd_); }
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n) override {
    auto* p = static_cast<char*>(buffer);
    while (n > 0) {
      ssize_t got = ::pread(fd_, p, n, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      p += got;
      n -= std::size_t(got);
      offset += std::uint64_t(got);
    }
    return true;
  }

 private:
  int fd_;
  std::uint64_t size_;
};

class PosixOutput final : public IOutputFile {
 public:
  PosixOutput(int fd, std::string temp, std::string target)
      : fd_(fd), temp_(std::move(temp)), target_(std::move(target)) {}
  ~PosixOutput() override {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(temp_.c_str());
  }
  bool Write(const void* data, std::size_t n) override {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
      ssize_t put = ::write(fd_, p, n);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      p += put;
      n -= std::size_t(put);
    }
    return true;
  }
  bool Commit() override {
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return false;
    if (::rename(temp_.c_str(), target_.c_str()) != 0) return false;
    committed_ = true;
    return true;
  }

 private:
  int fd_;
  std::string temp_, target_;
  bool committed_ = false;
};

}  // namespace

std::unique_ptr<IReadAt> PosixExtractFiles::OpenImage(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (errno == 0) errno = EISDIR;
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixImage>(fd, std::uint64_t(st.st_size));
}

bool PosixExtractFiles::IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::unique_ptr<IOutputFile> PosixExtractFiles::CreateOutput(const std::string& target) {
  std::string temp = target + ".~part";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixOutput>(fd, temp, target);
}

bool PosixExtractFiles::Remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::string PosixExtractFiles::JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty() || dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

bool PosixExtractFiles::SamePath(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return a == b;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string PosixExtractFiles::LastErrorText() { return std::strerror(errno); }

}  // namespace lum
