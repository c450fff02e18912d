#pragma once
// Random-access input and sequential output for the ISO reader, so that the
// same code reads a file on Windows, a file on the host and a buffer in a
// fuzzer, and streams a file of any size without holding it in memory.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace lum {

class IReadAt {
 public:
  virtual ~IReadAt() = default;
  virtual std::uint64_t Size() const = 0;
  // Reads exactly n bytes at offset; false on a short read or an I/O error.
  virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n) = 0;
};

class IWriteSink {
 public:
  virtual ~IWriteSink() = default;
  virtual bool Write(const void* data, std::size_t n) = 0;
};

// An image held in memory (tests and the fuzzer).
class MemoryReadAt final : public IReadAt {
 public:
  MemoryReadAt(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t n) override {
    if (offset > size_ || n > size_ - offset) return false;
    if (n) std::memcpy(buffer, data_ + offset, n);
    return true;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

class MemorySink final : public IWriteSink {
 public:
  bool Write(const void* data, std::size_t n) override {
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + n);
    return true;
  }
  std::vector<std::uint8_t> bytes;
};

}  // namespace lum
