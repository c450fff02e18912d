#include "tests/host/isoextract/iso_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace lum::test {

TempDir::TempDir() {
  std::string tmpl = (fs::temp_directory_path() / "lumora-iso-XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  char* made = mkdtemp(buf.data());
  if (!made) throw std::runtime_error("mkdtemp failed");
  path_ = made;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void WriteFile(const std::string& path, const ByteVec& data) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  if (!f) throw std::runtime_error("cannot write " + path);
}

void WriteText(const std::string& path, const std::string& text) {
  WriteFile(path, ByteVec(text.begin(), text.end()));
}

ByteVec ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return ByteVec(std::istreambuf_iterator<char>(f), {});
}

bool FileExists(const std::string& path) { return fs::is_regular_file(path); }

std::vector<std::string> ListDir(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

ByteVec Pattern(std::size_t n, std::uint32_t seed) {
  ByteVec out(n);
  std::uint32_t x = seed * 2654435761u + 1;
  for (auto& b : out) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = std::uint8_t(x);
  }
  return out;
}

void MakeIso(const std::string& srcDir, const std::string& image, const std::string& options) {
  std::string cmd = "xorriso -as mkisofs " + options + " -quiet -o '" + image + "' '" + srcDir +
                    "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
}

long FindRecord(const ByteVec& image, const std::string& name, std::size_t from) {
  if (name.empty()) return -1;
  auto it = image.begin() + long(from);
  while (true) {
    it = std::search(it, image.end(), name.begin(), name.end());
    if (it == image.end()) return -1;
    long pos = long(it - image.begin());
    if (pos >= 33 && image[std::size_t(pos - 1)] == name.size() &&
        image[std::size_t(pos - 33)] >= 33 + name.size())
      return pos - 33;
    ++it;
  }
}

void PutLe32(ByteVec& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}

void PutBoth32(ByteVec& b, std::size_t at, std::uint32_t v) {
  PutLe32(b, at, v);
  for (int i = 0; i < 4; ++i) b[at + 4 + i] = std::uint8_t(v >> (8 * (3 - i)));
}

std::uint32_t GetLe32(const ByteVec& b, std::size_t at) {
  return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
         std::uint32_t(b[at + 3]) << 24;
}

}  // namespace lum::test
