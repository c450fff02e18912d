// SHA-256 of files through CryptoAPI (the AES provider) under Wine, against
// known digests; the progress callback sees every block and can stop it.
#include <gtest/gtest.h>

#include <vector>

#include "tests/win32/platform/machine_support.h"

namespace lum::win32::test {
namespace {

std::string Hex(const Sha256Digest& d) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s;
  for (std::uint8_t b : d) (s += kDigits[b >> 4]) += kDigits[b & 15];
  return s;
}

class DigestsTest : public ::testing::Test {
 protected:
  Win32Machine machine;
  Platform p = machine.platform();
  ScratchDir dir;
};

TEST_F(DigestsTest, KnownDigestsOfSmallAndMultiBlockFiles) {
  struct Case {
    const char* name;
    Bytes content;
    const char* sha256;
  };
  Bytes pattern(2621440);  // two and a half blocks of 1 MiB
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<std::uint8_t>(i % 251);
  const std::vector<Case> cases = {
      {"empty", {}, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", {'a', 'b', 'c'}, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"pattern", pattern, "35aeff7e048974ee23c365c8faf6bcb868ca0529c69309a00f6cde98bfbf89ce"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string f = dir / (std::string(c.name) + ".bin");
    ASSERT_TRUE(p.files.Write(f, c.content));
    std::vector<std::uint64_t> seen;
    std::optional<Sha256Digest> d = p.digests.Sha256File(f, [&](std::uint64_t done) {
      seen.push_back(done);
      return true;
    });
    ASSERT_TRUE(d) << p.system.LastError();
    EXPECT_EQ(Hex(*d), c.sha256);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), c.content.size());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  }
}

TEST_F(DigestsTest, StoppedByProgressOrMissingFileGivesNothing) {
  const std::string f = dir / "big.bin";
  ASSERT_TRUE(p.files.Write(f, Bytes(3u << 20, 0x5A)));
  int calls = 0;
  EXPECT_FALSE(p.digests.Sha256File(f, [&](std::uint64_t) { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(p.system.LastError(), 1223u);  // ERROR_CANCELLED

  EXPECT_FALSE(p.digests.Sha256File(dir / "missing.bin", nullptr));
  EXPECT_EQ(p.system.LastError(), 2u);
}

}  // namespace
}  // namespace lum::win32::test
