// Volume counting and the free drive letter in a prefix of their own, where
// D:, X: and Y: are folders linked as fixed drives beside C: (Wine numbers
// them as partitions 2 to 4 of disk 0) and Z: is the host's root.
#include <gtest/gtest.h>

#include "inspect/volumes.h"
#include "tests/win32/platform/machine_support.h"

namespace lum::win32::test {
namespace {

class DrivesTest : public ::testing::Test {
 protected:
  Win32Machine machine;
  Platform p = machine.platform();
};

TEST_F(DrivesTest, CountFixedVolumesSkipsTheHostRoot) {
  EXPECT_EQ(CountFixedVolumes(p), 4);  // C:, D:, X:, Y:
  EXPECT_EQ(GetVolumePartitionNumber(p, "D:"), 2);
  EXPECT_EQ(GetVolumeDiskNumber(p, "D"), 0);
  EXPECT_FALSE(IsUsbVolume(p, "D:"));
  EXPECT_EQ(p.volumes.DriveType("Z:\\"), kDriveFixed);
  EXPECT_EQ(GetVolumeDiskNumber(p, "Z:"), -1);
}

TEST_F(DrivesTest, FreeLetterIsSearchedFromZDown) {
  for (char c : {'Z', 'Y', 'X', 'D', 'C'}) EXPECT_TRUE(DriveExists(p, c)) << c;
  EXPECT_FALSE(DriveExists(p, 'W'));
  EXPECT_EQ(GetFreeDriveLetter(p), "W:");
}

}  // namespace
}  // namespace lum::win32::test
