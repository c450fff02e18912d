// Volume queries over simulated drives.
#include <gtest/gtest.h>

#include "inspect/volumes.h"
#include "platform/sim/sim_machine.h"

using namespace lum;
using lum::sim::SimMachine;
using lum::sim::DriveSpec;

namespace {

TEST(Volumes, LetterToDeviceBusDiskAndPartition) {
  SimMachine m;
  m.AddDrive('D', {.disk = 0, .partition = 2, .dosDevice = "\\Device\\HarddiskVolume2"});
  m.AddDrive('F', {.type = kDriveRemovable, .disk = 1, .partition = 1, .bus = kBusTypeUsb});
  m.AddDrive('Z', {.disk = -1, .bus = -1});  // like Wine's Z: over the host's root
  Platform& p = m.platform();
  EXPECT_EQ(VolumeDevicePath("c"), "\\\\.\\C: ");
  EXPECT_EQ(VolumeDevicePath("d:\\"), "\\\\.\\D: ");
  EXPECT_EQ(GetDosDeviceName(p, "D:"), "\\Device\\HarddiskVolume2");
  EXPECT_EQ(GetDosDeviceName(p, "Q:"), "");
  for (const char* drive : {"D", "d:", "D:\\"}) {
    EXPECT_EQ(GetVolumeDiskNumber(p, drive), 0) << drive;
    EXPECT_EQ(GetVolumePartitionNumber(p, drive), 2) << drive;
  }
  EXPECT_EQ(GetVolumeDiskNumber(p, "F:"), 1);
  EXPECT_EQ(GetVolumeDiskNumber(p, "Z:"), -1);
  EXPECT_EQ(GetVolumePartitionNumber(p, "Q"), -1);
  EXPECT_EQ(GetVolumeDiskNumber(p, ""), -1);
  EXPECT_TRUE(IsUsbVolume(p, "f"));
  EXPECT_FALSE(IsUsbVolume(p, "C:"));
  EXPECT_FALSE(IsUsbVolume(p, "Z:"));
  EXPECT_FALSE(IsUsbVolume(p, "Q:"));
}

TEST(Volumes, CountFixedVolumes) {
  struct Case {
    const char* what;
    std::vector<std::pair<char, DriveSpec>> extra;
    int want;
  };
  const Case cases[] = {
      {"C only", {}, 1},
      {"C and D", {{'D', {.partition = 2}}}, 2},
      {"fixed disk on USB", {{'D', {.partition = 2}}, {'E', {.disk = 1, .bus = kBusTypeUsb}}}, 2},
      {"no device number", {{'D', {.partition = 2}}, {'Z', {.disk = -1}}}, 2},
      {"optical and removable",
       {{'D', {.type = kDriveCdrom, .disk = -1, .media = false}}, {'E', {.type = kDriveRemovable, .disk = 1}}}, 1},
      {"A and B are not counted", {{'A', {.disk = 2}}, {'B', {.disk = 3}}}, 1},
      {"bus query fails but the disk answers", {{'D', {.partition = 2, .bus = -1}}}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimMachine m;
    for (const auto& [letter, setup] : c.extra) m.AddDrive(letter, setup);
    EXPECT_EQ(CountFixedVolumes(m.platform()), c.want);
  }
}

TEST(Volumes, DriveExistsAndFreeLetter) {
  SimMachine m;
  Platform& p = m.platform();
  EXPECT_TRUE(DriveExists(p, 'C'));
  EXPECT_FALSE(DriveExists(p, 'D'));
  EXPECT_EQ(GetFreeDriveLetter(p), "Z:");
  m.AddDrive('Z');
  m.AddDrive('Y');
  EXPECT_EQ(GetFreeDriveLetter(p), "X:");
  // An optical drive without a disc does not count as existing.
  m.AddDrive('X', {.type = kDriveCdrom, .media = false});
  EXPECT_EQ(GetFreeDriveLetter(p), "X:");
  for (char c = 'A'; c <= 'Z'; ++c) m.AddDrive(c, {.partition = c - 'A' + 1});
  EXPECT_EQ(GetFreeDriveLetter(p), "");
  m.Fail("volumes.FreeSpace", "M:\\", err::NotReady, 1);
  EXPECT_EQ(GetFreeDriveLetter(p), "M:");
}

}  // namespace
