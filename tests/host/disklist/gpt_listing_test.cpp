// GPT disks made by sgdisk and fdisk: the partition types, the file system
// sniff, 4 KiB sectors, dynamic (LDM) disks and hostile headers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "disk_fixtures.h"
#include "tools/disklist/disk_listing.h"
#include "tools/disklist/disk_reader.h"
#include "tools/disklist/listing_output.h"

namespace lum::disklist::test {
namespace {

using ::testing::ElementsAre;

constexpr std::uint64_t kEspStart = 2048, kBasicStart = 239616;
constexpr std::uint64_t kBareNtfsStart = 100902912, kBareStart = 103000064;

// EFI system (FAT32 boot sector), Microsoft reserved, basic data (NTFS),
// Linux swap, LVM, RAID, Apple HFS+, Linux file system, and two more basic
// data partitions: one with an NTFS boot sector, one with none.
const std::string& GptImage() {
  static const std::string path = [] {
    std::string p = SgdiskImage("gpt.img", 64 * kGiB,
                                "-n 1:2048:+100M -t 1:ef00 -n 2:0:+16M -t 2:0c01 -n 3:0:+40G -t 3:0700 "
                                "-n 4:0:+4G -t 4:8200 -n 5:0:+1G -t 5:8e00 -n 6:0:+1G -t 6:fd00 "
                                "-n 7:0:+1G -t 7:af00 -n 8:0:+1G -t 8:8300 -n 9:0:+1G -t 9:0700 "
                                "-n 10:0:+1G -t 10:0700");
    WriteBytes(p, kEspStart * 512, Fat32BootSector());
    WriteBytes(p, kBasicStart * 512, NtfsBootSector());
    WriteBytes(p, kBareNtfsStart * 512, NtfsBootSector());
    return p;
  }();
  return path;
}

std::string CopyOf(const std::string& from, const std::string& name) {
  const std::string to = ScratchDir() + "/" + name;
  RunCommand("cp --sparse=always " + from + " " + to);
  return to;
}

std::string ListAlone(const std::string& image, std::uint32_t sectorSize = 512) {
  FakeDiskSystem sys;
  sys.disks[0] = {image, sectorSize};
  return RunDiskListing(sys);
}

const std::vector<std::string> kUnletteredGpt = {
    "1:1\t  \t0.09GB\tunknown\tEFI\tFAT32\t\tGPT\t0",
    "1:2\t  \t40.00GB\tunknown\tPrimary\tNTFS \t\tGPT\t0",
    "1:3\t  \t4.00GB\tunknown\tPrimary\tLinux_Swap\t\tGPT\t0",
    "1:4\t  \t1.00GB\tunknown\tPrimary\tLinux_LVM\t\tGPT\t0",
    "1:5\t  \t1.00GB\tunknown\tPrimary\tLinux_RAID\t\tGPT\t0",
    "1:6\t  \t1.00GB\tunknown\tPrimary\tAppleHFS+\t\tGPT\t0",
    "1:7\t  \t1.00GB\tunknown\tPrimary\tNTFS \t\tGPT\t0",
    "1:8\t  \t1.00GB\tunknown\tPrimary\tLinux\t\tGPT\t0",
};

TEST(GptListing, TypesSniffAndLettersIncludingARawEfiDevice) {
  FakeDiskSystem sys;
  sys.disks[0] = {GptImage()};
  sys.volumes['C'] = {3, DiskExtent{0, static_cast<std::int64_t>(kBasicStart * 512)}, DeviceNumber{0, 3},
                      VolumeSpace{40 * kGiB, 20 * kGiB}, VolumeDetails{"Windows", "NTFS"}};
  // E: by partition number: the numbers count every entry, the reserved and
  // the Linux file system partitions too, so 9 is the ninth entry.
  sys.volumes['E'] = {3, std::nullopt, DeviceNumber{0, 9}, VolumeSpace{kGiB, kGiB / 2},
                      VolumeDetails{"Backup", "NTFS"}};
  // The first raw target leads elsewhere; the second is the EFI partition.
  sys.rawTargets["\\Device\\Harddisk0\\Partition1"] = {3, DiskExtent{0, 999 * 512}, std::nullopt, std::nullopt, std::nullopt};
  sys.rawTargets["\\Device\\Harddisk0\\Partition2"] = {3, DiskExtent{0, static_cast<std::int64_t>(kEspStart * 512)},
                                                       std::nullopt, VolumeSpace{100 * kMiB, 60 * kMiB},
                                                       VolumeDetails{"", "FAT32"}};
  EXPECT_THAT(Lines(RunDiskListing(sys)),
              ElementsAre("1:1\tD:\t0.09GB\t0.05GB\tEFI\tFAT32\t\tGPT\t0",
                          "1:2\tC:\t40.00GB\t20.00GB\tPrimary\tNTFS\tWindows\tGPT\t0",
                          "1:3\t  \t4.00GB\tunknown\tPrimary\tLinux_Swap\t\tGPT\t0",
                          "1:4\t  \t1.00GB\tunknown\tPrimary\tLinux_LVM\t\tGPT\t0",
                          "1:5\t  \t1.00GB\tunknown\tPrimary\tLinux_RAID\t\tGPT\t0",
                          "1:6\t  \t1.00GB\tunknown\tPrimary\tAppleHFS+\t\tGPT\t0",
                          "1:7\tE:\t1.00GB\t0.50GB\tPrimary\tNTFS\tBackup\tGPT\t0",
                          "1:8\t  \t1.00GB\tunknown\tPrimary\tLinux\t\tGPT\t0"));
  EXPECT_THAT(sys.defined, ElementsAre("D: \\Device\\Harddisk0\\Partition1", "D: \\Device\\Harddisk0\\Partition2"));
  EXPECT_THAT(sys.removed, ElementsAre("D: \\Device\\Harddisk0\\Partition1"));
}

TEST(GptListing, RawEfiDevicesOnlyWhereTheSystemAllowsThem) {
  FakeDiskSystem sys;
  sys.disks[0] = {GptImage()};
  sys.rawAllowed = false;
  EXPECT_THAT(Lines(RunDiskListing(sys)), ::testing::ElementsAreArray(kUnletteredGpt));
  EXPECT_TRUE(sys.defined.empty());
  // Allowed, but no partition number leads to the EFI partition: every try
  // is taken back and the partition stays without letter.
  FakeDiskSystem none;
  none.disks[0] = {GptImage()};
  EXPECT_THAT(Lines(RunDiskListing(none)), ::testing::ElementsAreArray(kUnletteredGpt));
  EXPECT_EQ(none.defined.size(), 128u);
  EXPECT_EQ(none.removed.size(), 128u);
}

TEST(GptListing, FourKibSectorsReadEveryEntryOfTheSector) {
  const std::string path = MakeImage("gpt4k.img", 16 * kGiB);
  RunCommand("printf 'g\\nn\\n1\\n\\n+100M\\nt\\nC12A7328-F81F-11D2-BA4B-00A0C93EC93B\\n"
      "n\\n2\\n\\n+16M\\nt\\n2\\nE3C9E316-0B5C-4DB8-817D-F92DF00215AE\\n"
      "n\\n3\\n\\n+8G\\nt\\n3\\nEBD0A0A2-B9E5-4433-87C0-68B6B72699C7\\n"
      "n\\n4\\n\\n+1G\\nt\\n4\\n0657FD6D-A4AB-43C4-84E5-0933C84B4F4F\\n"
      "n\\n5\\n\\n+1G\\nt\\n5\\nE6D6D379-F507-44C2-A23C-238F2A3DF928\\n"
      "n\\n6\\n\\n+1G\\nt\\n6\\nA19D880F-05FC-4D3B-A006-743F0F84911E\\nw\\n' | /usr/sbin/fdisk -b 4096 " +
      path);
  auto ntfs = NtfsBootSector();
  ntfs.resize(4096, 0);
  WriteBytes(path, 29952ull * 4096, ntfs);
  FakeDiskSystem sys;
  sys.disks[0] = {path, 4096};
  sys.volumes['C'] = {3, DiskExtent{0, static_cast<std::int64_t>(29952ull * 4096)}, std::nullopt,
                      VolumeSpace{8 * kGiB, 3 * kGiB}, VolumeDetails{"Win", "NTFS"}};
  sys.rawAllowed = false;
  EXPECT_THAT(Lines(RunDiskListing(sys)), ElementsAre("1:1\t  \t0.09GB\tunknown\tEFI\tLinux\t\tGPT\t0",
                                                      "1:2\tC:\t8.00GB\t3.00GB\tPrimary\tNTFS\tWin\tGPT\t0",
                                                      "1:3\t  \t1.00GB\tunknown\tPrimary\tLinux_Swap\t\tGPT\t0",
                                                      "1:4\t  \t1.00GB\tunknown\tPrimary\tLinux_LVM\t\tGPT\t0",
                                                      "1:5\t  \t1.00GB\tunknown\tPrimary\tLinux_RAID\t\tGPT\t0"));
}

TEST(GptListing, LdmMetadataOf2048SectorsMakesTheDiskDynamic) {
  const std::string dyn = SgdiskImage("ldm.img", 8 * kGiB,
                                      "-n 1:2048:4095 -t 1:4201 -n 2:0:+16M -t 2:0c01 -n 3:0:0 -t 3:4200");
  ImageDisk disk(dyn, 512);
  DiskListing listing = ReadDisk(disk, 0);
  EXPECT_EQ(listing.style, DiskStyle::DynGpt);
  EXPECT_TRUE(listing.entries.empty());
  // Behind an EFI partition (the system disk's layout) it counts as well.
  const std::string sys = SgdiskImage("ldm2.img", 8 * kGiB,
                                      "-n 1:2048:+100M -t 1:ef00 -n 2:0:+16M -t 2:0c01 -n 3:0:+1M -t 3:4201 "
                                      "-n 4:0:0 -t 4:4200");
  ImageDisk sysDisk(sys, 512);
  EXPECT_EQ(ReadDisk(sysDisk, 0).style, DiskStyle::DynGpt);
  // Another size is not LDM's metadata: the disk stays GPT, the entry unlisted.
  const std::string other = SgdiskImage("ldm3.img", 8 * kGiB, "-n 1:2048:6143 -t 1:4201 -n 2:0:+1G -t 2:8200");
  EXPECT_THAT(Lines(ListAlone(other)), ElementsAre("1:1\t  \t1.00GB\tunknown\tPrimary\tLinux_Swap\t\tGPT\t0"));
}

TEST(GptListing, HostileHeadersListNothingOrTheSaneEntriesQuickly) {
  struct Case {
    const char* what;
    std::uint64_t offset;  // within the header sector
    std::uint64_t value;
    int width;
    std::size_t lines;
  };
  const Case cases[] = {
      {"2^31 entries", 80, 0x80000000u, 4, 8},
      {"2^32-1 entries", 80, 0xFFFFFFFFu, 4, 8},
      {"no entries", 80, 0, 4, 0},
      {"entry size 0", 84, 0, 4, 0},
      {"entry size 64", 84, 64, 4, 0},
      {"entry size 200", 84, 200, 4, 0},
      {"entry size above the sector", 84, 1024, 4, 0},
      {"entry size 2^32-1", 84, 0xFFFFFFFFu, 4, 0},
      {"entries past the disk", 72, 0xFFFFFFFFFFFFFFF0ull, 8, 0},
      {"entries on sector 0", 72, 0, 8, 0},
      {"no signature", 0, 0, 8, 0},
  };
  for (const Case& c : cases) {
    const std::string path = CopyOf(GptImage(), "hostile.img");
    if (c.width == 4)
      PutLe32(path, 512 + c.offset, static_cast<std::uint32_t>(c.value));
    else
      PutLe64(path, 512 + c.offset, c.value);
    ImageDisk disk(path, 512);
    DiskListing listing = ReadDisk(disk, 0);
    EXPECT_EQ(listing.style, DiskStyle::Gpt) << c.what;
    EXPECT_EQ(ListedPartitions(listing).size(), c.lines) << c.what;
    EXPECT_LE(disk.reads, 2u + 32u + 32u) << c.what;  // header, entry sectors, sniffs
  }
}

// An unused entry between used ones (entry 2 of 4 here, where a partition was
// deleted) does not end the list. Windows numbers the used entries in order,
// so E:'s partition number 3 is the fourth entry.
TEST(GptListing, UnusedEntryBetweenUsedOnesHidesNothing) {
  const std::string path = SgdiskImage("gap.img", 8 * kGiB,
                                       "-n 1:2048:+100M -t 1:ef00 -n 3:0:+2G -t 3:0700 -n 4:0:+1G -t 4:0700 "
                                       "-n 6:0:+1G -t 6:8200");
  ASSERT_EQ(ReadBytes(path, 1024 + 128, 128), std::vector<std::uint8_t>(128, 0));  // entry 2 is unused
  FakeDiskSystem sys;
  sys.disks[0] = {path};
  sys.rawAllowed = false;
  sys.volumes['E'] = {3, std::nullopt, DeviceNumber{0, 3}, VolumeSpace{kGiB, kGiB / 2}, VolumeDetails{"Gap", "NTFS"}};
  EXPECT_THAT(Lines(RunDiskListing(sys)),
              ElementsAre("1:1\t  \t0.09GB\tunknown\tEFI\tLinux\t\tGPT\t0",
                          "1:2\t  \t2.00GB\tunknown\tPrimary\tLinux\t\tGPT\t0",
                          "1:3\tE:\t1.00GB\t0.50GB\tPrimary\tNTFS\tGap\tGPT\t0",
                          "1:4\t  \t1.00GB\tunknown\tPrimary\tLinux_Swap\t\tGPT\t0"));
}

// With gaps, up to 32 used entries are kept; the entries after them are not.
TEST(GptListing, GapsDoNotLiftTheLimitOfThirtyTwoEntries) {
  std::string args;
  for (int n = 1; n <= 80; n += 2) args += " -n " + std::to_string(n) + ":0:+1M -t " + std::to_string(n) + ":8200";
  ImageDisk disk(SgdiskImage("gaps.img", kGiB, args), 512);
  EXPECT_EQ(ListedPartitions(ReadDisk(disk, 0)).size(), 32u);
}

TEST(GptListing, EntryEndingBeforeItStartsHasNoLength) {
  const std::string path = CopyOf(GptImage(), "backwards.img");
  PutLe64(path, 1024 + 3 * 128 + 40, 5);  // swap's last sector before its first
  const auto lines = Lines(ListAlone(path));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[2], "1:3\t  \t1.00GB\tunknown\tPrimary\tLinux_LVM\t\tGPT\t0");
}

TEST(GptListing, UnreadableEntrySectorDropsOnlyItsEntries) {
  ImageDisk disk(GptImage(), 512);
  disk.failing = {2};  // entries 1 to 4
  DiskListing listing = ReadDisk(disk, 0);
  const auto listed = ListedPartitions(listing);
  ASSERT_EQ(listed.size(), 5u);
  EXPECT_EQ(listed[0]->typeName, "Linux_LVM");
  // An unreadable boot sector leaves the name empty, the partition listed.
  ImageDisk sniffFails(GptImage(), 512);
  sniffFails.failing = {kEspStart};
  DiskListing l2 = ReadDisk(sniffFails, 0);
  ASSERT_EQ(ListedPartitions(l2).size(), 8u);
  EXPECT_EQ(ListedPartitions(l2)[0]->typeName, "");
  EXPECT_EQ(ListedPartitions(l2)[0]->kind, PartitionKind::Efi);
}

TEST(GptListing, SniffReadsTheNameFieldsOfEachKindOfBootSector) {
  const std::string path = CopyOf(GptImage(), "sniff.img");
  WriteBytes(path, kBareStart * 512, Fat16BootSector());
  auto odd = NtfsBootSector();
  odd[3] = '\t';  // a control character never reaches the output as such
  odd[4] = '\n';
  WriteBytes(path, kBareNtfsStart * 512, odd);
  const auto lines = Lines(ListAlone(path));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[6], "1:7\t  \t1.00GB\tunknown\tPrimary\t??FS \t\tGPT\t0");
  EXPECT_EQ(lines[7], "1:8\t  \t1.00GB\tunknown\tPrimary\tFAT16\t\tGPT\t0");
}

}  // namespace
}  // namespace lum::disklist::test
