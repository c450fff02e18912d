#pragma once
// ISO images for the tests, made by xorriso from a small tree at test time,
// and helpers to read and patch them byte by byte.
#include <cstdint>
#include <string>
#include <vector>

namespace lum::test {

using ByteVec = std::vector<std::uint8_t>;

// A temporary folder removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const ByteVec& data);
void WriteText(const std::string& path, const std::string& text);
ByteVec ReadFile(const std::string& path);
bool FileExists(const std::string& path);
std::vector<std::string> ListDir(const std::string& dir);  // names, sorted
ByteVec Pattern(std::size_t n, std::uint32_t seed);          // reproducible bytes

// Runs xorriso -as mkisofs over srcDir with the given options ("-J -R" etc.)
// into image; fails the test when xorriso fails.
void MakeIso(const std::string& srcDir, const std::string& image, const std::string& options);

// Offset of the directory record whose identifier is exactly name (as stored,
// "KRP8PE6L.WIM;1" or "BOOT"), searched in the whole image; -1 when none.
long FindRecord(const ByteVec& image, const std::string& name, std::size_t from = 0);

void PutLe32(ByteVec& b, std::size_t at, std::uint32_t v);   // both-endian field: LE half
void PutBoth32(ByteVec& b, std::size_t at, std::uint32_t v); // both halves
std::uint32_t GetLe32(const ByteVec& b, std::size_t at);

}  // namespace lum::test
