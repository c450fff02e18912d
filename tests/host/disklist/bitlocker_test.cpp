// BitLocker volumes on disks made by sfdisk and sgdisk: Windows reports an
// unlocked one with its inner file system, so the listing reads each listed
// partition's first sector and marks the file system field "FVE_".
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "disk_fixtures.h"
#include "tools/disklist/disk_listing.h"
#include "tools/disklist/disk_reader.h"
#include "tools/disklist/listing_output.h"

namespace lum::disklist::test {
namespace {

using ::testing::ElementsAre;

// C: (active, BitLocker), D: (plain NTFS), a hidden NTFS partition and a
// logical drive, both BitLocker, without letters.
TEST(BitLockerListing, MbrPartitionsWithTheOemIdAreMarked) {
  const std::string path = SfdiskImage("fve-mbr.img", 16 * kGiB,
                                       "label: dos\nunit: sectors\n"
                                       "start=2048, size=8388608, type=7, bootable\n"
                                       "size=4194304, type=7\n"
                                       "size=2097152, type=17\n"
                                       "type=f\n"
                                       "size=1048576, type=7\n");
  constexpr std::uint64_t kC = 2048, kD = kC + 8388608, kHidden = kD + 4194304;
  WriteBytes(path, kC * 512, BitLockerBootSector());
  WriteBytes(path, kD * 512, NtfsBootSector());
  WriteBytes(path, kHidden * 512, BitLockerBootSector());
  // The logical drive starts one track after its boot record.
  const std::uint64_t extended = kHidden + 2097152;
  const std::vector<std::uint8_t> rel = ReadBytes(path, extended * 512 + 446 + 8, 4);
  const std::uint64_t logical = extended + (rel[0] | rel[1] << 8 | rel[2] << 16 | std::uint64_t{rel[3]} << 24);
  WriteBytes(path, logical * 512, BitLockerBootSector());

  FakeDiskSystem sys;
  sys.disks[0] = {path};
  sys.volumes['C'] = {3, DiskExtent{0, kC * 512}, DeviceNumber{0, 1}, VolumeSpace{4 * kGiB, 2 * kGiB},
                      VolumeDetails{"System", "NTFS"}};
  sys.volumes['D'] = {3, DiskExtent{0, static_cast<std::int64_t>(kD * 512)}, DeviceNumber{0, 2},
                      VolumeSpace{2 * kGiB, kGiB}, VolumeDetails{"Data", "NTFS"}};
  EXPECT_THAT(Lines(RunDiskListing(sys)),
              ElementsAre("1:1\tC:\t4.00GB\t2.00GB\tPrimary\tFVE_NTFS\tSystem\tMBR\t1",
                          "1:2\tD:\t2.00GB\t1.00GB\tPrimary\tNTFS\tData\tMBR\t0",
                          "1:3\t  \t1.00GB\tunknown\tPrimary\thidden_FVE_NTFS\t\tMBR\t0",
                          "1:4\t  \t0.50GB\tunknown\tLogical\tFVE_NTFS\t\tMBR\t0"));
}

// A lettered basic data partition takes Windows's file system name, a
// letterless one the sniff's; both carry the mark. The EFI partition and the
// plain NTFS one do not, and an unreadable first sector leaves no mark.
TEST(BitLockerListing, GptPartitionsWithTheOemIdAreMarked) {
  const std::string path = SgdiskImage("fve-gpt.img", 16 * kGiB,
                                       "-n 1:2048:+100M -t 1:ef00 -n 2:0:+16M -t 2:0c01 -n 3:0:+6G -t 3:0700 "
                                       "-n 4:0:+4G -t 4:0700 -n 5:0:+2G -t 5:0700");
  constexpr std::uint64_t kEsp = 2048, kSystem = 239616;
  constexpr std::uint64_t kData = kSystem + 6 * kGiB / 512, kSpare = kData + 4 * kGiB / 512;
  WriteBytes(path, kEsp * 512, Fat32BootSector());
  WriteBytes(path, kSystem * 512, BitLockerBootSector());
  WriteBytes(path, kData * 512, NtfsBootSector());
  WriteBytes(path, kSpare * 512, BitLockerBootSector());

  FakeDiskSystem sys;
  sys.disks[0] = {path};
  sys.rawAllowed = false;
  sys.volumes['C'] = {3, DiskExtent{0, static_cast<std::int64_t>(kSystem * 512)}, std::nullopt,
                      VolumeSpace{6 * kGiB, 3 * kGiB}, VolumeDetails{"", "NTFS"}};
  sys.volumes['D'] = {3, DiskExtent{0, static_cast<std::int64_t>(kData * 512)}, std::nullopt,
                      VolumeSpace{4 * kGiB, 4 * kGiB}, VolumeDetails{"", "NTFS"}};
  EXPECT_THAT(Lines(RunDiskListing(sys)),
              ElementsAre("1:1\t  \t0.09GB\tunknown\tEFI\tFAT32\t\tGPT\t0",
                          "1:2\tC:\t6.00GB\t3.00GB\tPrimary\tFVE_NTFS\t\tGPT\t0",
                          "1:3\tD:\t4.00GB\t4.00GB\tPrimary\tNTFS\t\tGPT\t0",
                          "1:4\t  \t2.00GB\tunknown\tPrimary\tFVE_NTFS\t\tGPT\t0"));

  ImageDisk unreadable(path, 512);
  unreadable.failing = {kSystem};
  const auto listed = ListedPartitions(ReadDisk(unreadable, 0));
  ASSERT_EQ(listed.size(), 4u);
  EXPECT_FALSE(listed[1]->bitLocker);
  EXPECT_TRUE(listed[3]->bitLocker);
}

}  // namespace
}  // namespace lum::disklist::test
