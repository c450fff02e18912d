// The three image probes on a real ISO made by xorriso and on small files
// with the first bytes of each format.
#include <gtest/gtest.h>

#include "boot/image_probe.h"
#include "tests/host/boot/test_support.h"

namespace lum::test {
namespace {

Bytes At(std::size_t size, std::size_t offset, const Bytes& bytes) {
  Bytes b(size, 0);
  std::copy(bytes.begin(), bytes.end(), b.begin() + offset);
  return b;
}

const Bytes kPvd = {1, 'C', 'D', '0', '0', '1', 1, 0};

TEST(ImageProbe, Table) {
  TempDir dir;
  sim::SimMachine m;
  m.AddDrive('D');
  IFiles& files = m.platform().files;
  ASSERT_TRUE(Shell("mkdir -p " + dir.path().string() + "/isosrc && echo setup > " +
                    dir.path().string() + "/isosrc/setup.txt && xorriso -as mkisofs -quiet -o " +
                    m.Host("D:\\real.iso").string() + " " + dir.path().string() + "/isosrc 2>/dev/null"));
  struct Case {
    const char* what;
    Bytes content;  // empty with missing: no file at all
    bool ghost, wim, iso;
    bool missing = false;
  };
  Bytes wimHeader = {'M', 'S', 'W', 'I', 'M', 0, 0, 0, 0xD0, 0, 0, 0};
  Bytes bootRecord = kPvd, supplementary = kPvd, lower = kPvd;
  bootRecord[0] = 0;
  supplementary[0] = 2;
  lower[1] = 'c';
  const Case cases[] = {
      {"ghost", {0xFE, 0xEF, 0x01, 0x02, 0x00}, true, false, false},
      {"ghost, signature only", {0xFE, 0xEF, 0x01}, true, false, false},
      {"two bytes FE EF", {0xFE, 0xEF}, false, false, false},
      {"FE EF 02", {0xFE, 0xEF, 0x02, 0x00}, false, false, false},
      {"wim header", wimHeader, false, true, false},
      {"MSWI only", {'M', 'S', 'W', 'I'}, false, false, false},
      {"empty file", {}, false, false, false},
      {"32767 bytes", Bytes(32767, 0), false, false, false},
      {"32768 bytes", Bytes(32768, 0), false, false, false},
      {"descriptor, 8 bytes read", At(32768 + 8, 32768, kPvd), false, false, true},
      {"descriptor cut to 7 bytes", At(32768 + 7, 32768, kPvd), false, false, false},
      {"boot record", At(40960, 32768, bootRecord), false, false, false},
      {"supplementary descriptor", At(40960, 32768, supplementary), false, false, false},
      {"lower-case identifier", At(40960, 32768, lower), false, false, false},
      {"zip archive", {'P', 'K', 3, 4, 20, 0}, false, false, false},
      {"missing", {}, false, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    files.Delete("D:\\x.img");
    if (!c.missing) PutBytes(m, "D:\\x.img", c.content);
    EXPECT_EQ(IsGhostImage(files, "D:\\x.img"), c.ghost);
    EXPECT_EQ(IsWimImage(files, "D:\\x.img"), c.wim);
    EXPECT_EQ(IsIsoImage(files, "D:\\x.img"), c.iso);
  }
  EXPECT_TRUE(IsIsoImage(files, "D:\\real.iso"));
  EXPECT_FALSE(IsGhostImage(files, "D:\\real.iso"));
  EXPECT_FALSE(IsWimImage(files, "D:\\real.iso"));

  // A file that cannot be opened or read reads as a negative answer.
  PutBytes(m, "D:\\x.img", {0xFE, 0xEF, 0x01});
  m.Fail("files.ReadPrefix", "x.img");
  EXPECT_FALSE(IsGhostImage(files, "D:\\x.img"));
  m.ClearFailures();
  m.Fail("files.FileExists", "real.iso");
  EXPECT_FALSE(IsIsoImage(files, "D:\\real.iso"));
}

}  // namespace
}  // namespace lum::test
