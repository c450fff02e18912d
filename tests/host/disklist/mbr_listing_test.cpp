// MBR disks made by sfdisk: primaries, an extended partition with logical
// drives, hidden and active partitions, boot sectors without a table, dynamic
// disks, and hostile extended chains.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "disk_fixtures.h"
#include "tools/disklist/disk_listing.h"
#include "tools/disklist/disk_reader.h"
#include "tools/disklist/listing_output.h"

namespace lum::disklist::test {
namespace {

using ::testing::ElementsAre;

// 30 GiB NTFS (active), 10 GiB hidden NTFS, and an extended partition with
// 5 GiB NTFS, 3 GiB FAT32 and 4 GiB Linux logical drives.
constexpr std::uint64_t kExtendedStart = 83888128;
const std::string& MbrImage() {
  static const std::string path = SfdiskImage("mbr.img", 64 * kGiB,
                                              "label: dos\nunit: sectors\n"
                                              "start=2048, size=62914560, type=7, bootable\n"
                                              "size=20971520, type=17\n"
                                              "type=f\n"
                                              "size=10485760, type=7\n"
                                              "size=6291456, type=b\n"
                                              "size=8388608, type=83\n");
  return path;
}

std::string ListAlone(const std::string& image, std::uint32_t sectorSize = 512, bool tellLength = true) {
  FakeDiskSystem sys;
  sys.disks[0] = {image, sectorSize, tellLength};
  return RunDiskListing(sys);
}

TEST(MbrListing, MachineWithLettersHiddenLogicalBootSectorAndDynamicDisk) {
  FakeDiskSystem sys;
  sys.disks[0] = {MbrImage()};
  // Disk 1: a boot sector without a partition table over an 8 GiB disk.
  const std::string bare = MakeImage("bare.img", 8 * kGiB);
  auto boot = NtfsBootSector();
  boot[446] = 0x33;
  WriteBytes(bare, 0, boot);
  sys.disks[1] = {bare};
  // Disk 2: a dynamic MBR disk.
  sys.disks[2] = {SfdiskImage("dynmbr.img", 16 * kGiB, "label: dos\nstart=2048, type=42\n")};

  // C: by its extent; D: and E: by partition number (the extended partition
  // and the empty slot are not counted); a network drive F: is passed over.
  sys.volumes['C'] = {3, DiskExtent{0, 2048 * 512}, DeviceNumber{0, 1}, VolumeSpace{30 * kGiB, 12 * kGiB + kGiB / 2},
                      VolumeDetails{"System", "NTFS"}};
  sys.volumes['D'] = {3, std::nullopt, DeviceNumber{0, 3}, VolumeSpace{5 * kGiB, kGiB + kGiB / 4},
                      VolumeDetails{"Data", "NTFS"}};
  sys.volumes['E'] = {3, std::nullopt, DeviceNumber{0, 4}, VolumeSpace{3 * kGiB, 0},
                      VolumeDetails{"\xca\xfd\xbe\xdd", "FAT32"}};
  sys.volumes['F'] = {4, std::nullopt, DeviceNumber{0, 5}, VolumeSpace{kGiB, kGiB}, VolumeDetails{"Net", "NTFS"}};
  sys.volumes['Z'] = FakeVolume{};
  // The dynamic disk's volume: one without mount point gets the first free
  // letter; G: is a dynamic volume in MountedDevices.
  sys.unmounted = {"\\\\?\\Volume{aaaa}\\"};
  sys.volumeByName["\\\\?\\Volume{aaaa}\\"] = {3, std::nullopt, std::nullopt, VolumeSpace{2 * kGiB, kGiB},
                                               VolumeDetails{"New", "FAT32"}};
  sys.volumes['G'] = {3, std::nullopt, std::nullopt, VolumeSpace{100 * kGiB, 50 * kGiB},
                      VolumeDetails{"Dyn", "NTFS"}};
  const char dmio[] = "DMIO:ID:0123456789abcdef";
  sys.mountedDevices = {
      {"\\DosDevices\\G:", 3, std::vector<std::uint8_t>(dmio, dmio + 24)},
      {"\\DosDevices\\H:", 3, std::vector<std::uint8_t>(dmio, dmio + 24)},
      {"\\DosDevices\\C:", 3, {0x12, 0x34, 0x56, 0x78, 0, 0, 0x10, 0, 0, 0, 0, 0}},
  };

  EXPECT_THAT(Lines(RunDiskListing(sys)),
              ElementsAre("1:1\tC:\t30.00GB\t12.50GB\tPrimary\tNTFS\tSystem\tMBR\t1",
                          "1:2\t  \t10.00GB\tunknown\tPrimary\thidden_NTFS\t\tMBR\t0",
                          "1:3\tD:\t5.00GB\t1.25GB\tLogical\tNTFS\tData\tMBR\t0",
                          "1:4\tE:\t3.00GB\tunknown\tLogical\tFAT32\t\xca\xfd\xbe\xdd\tMBR\t0",
                          "1:5\t  \t4.00GB\tunknown\tLogical\tLinux\t\tMBR\t0",
                          "2:1\t  \t8.00GB\tunknown\tPrimary\tunknown\t\tMBR\t0",
                          "  \tG:\t100.00GB\t50.00GB\tDynamic\tNTFS\tDyn",
                          "  \tH:\t2.00GB\t1.00GB\tDynamic\tFAT32\tNew"));
  EXPECT_THAT(sys.mounts, ElementsAre("H: \\\\?\\Volume{aaaa}\\"));
  EXPECT_THAT(sys.askedDynamicDisks, ElementsAre(2u));
}

TEST(MbrListing, NoSignatureListsNothingAndDiskWithoutLengthStillLists) {
  const std::string blank = MakeImage("blank.img", 64 * kMiB);
  EXPECT_EQ(ListAlone(blank), "");
  // A disk that did not tell its length (Wine's) still lists its table.
  EXPECT_EQ(Lines(ListAlone(MbrImage(), 512, false)).size(), 5u);
}

TEST(MbrListing, ReadsOnlyTheTableWhenNoExtendedPartition) {
  const std::string path = SfdiskImage("mbr4.img", 8 * kGiB,
                                       "label: dos\nstart=2048, size=2097152, type=c\n"
                                       "size=2097152, type=82\nsize=2097152, type=1c, bootable\n"
                                       "size=2097152, type=ee\n");
  EXPECT_THAT(Lines(ListAlone(path)), ElementsAre("1:1\t  \t1.00GB\tunknown\tPrimary\tFAT32LBA\t\tMBR\t0",
                                                  "1:2\t  \t1.00GB\tunknown\tPrimary\tLinux_Swap\t\tMBR\t0",
                                                  "1:3\t  \t1.00GB\tunknown\tPrimary\thidden_FAT32LBA\t\tMBR\t1",
                                                  "1:4\t  \t1.00GB\tunknown\tPrimary\tEFI_GPT\t\tMBR\t0"));
}

// Writes one extended boot record: a logical drive (type 0 for none) and a
// link to the next record relative to the extended partition (0 for none).
void WriteEbr(const std::string& path, std::uint64_t lba, std::uint8_t logicalType, std::uint32_t logicalRel,
              std::uint32_t logicalSize, std::uint32_t linkRel, std::uint32_t linkSize) {
  std::vector<std::uint8_t> s(512, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  s[446 + 4] = logicalType;
  put32(446 + 8, logicalRel);
  put32(446 + 12, logicalSize);
  if (linkSize) {
    s[462 + 4] = 0x05;
    put32(462 + 8, linkRel);
    put32(462 + 12, linkSize);
  }
  s[510] = 0x55;
  s[511] = 0xAA;
  WriteBytes(path, lba * 512, s);
}

std::string CopyOf(const std::string& from, const std::string& name) {
  const std::string to = ScratchDir() + "/" + name;
  RunCommand("cp --sparse=always " + from + " " + to);
  return to;
}

TEST(MbrListing, ExtendedChainThatLoopsEndsAndListsEachLogicalOnce) {
  // The second record's link points back at the first record.
  const std::string path = CopyOf(MbrImage(), "loop.img");
  const std::uint64_t second = 94377984 - 2048;
  WriteEbr(path, second, 0x0B, 2048, 6291456, 0, 2048);
  EXPECT_THAT(Lines(ListAlone(path)), ElementsAre("1:1\t  \t30.00GB\tunknown\tPrimary\tNTFS\t\tMBR\t1",
                                                  "1:2\t  \t10.00GB\tunknown\tPrimary\thidden_NTFS\t\tMBR\t0",
                                                  "1:3\t  \t5.00GB\tunknown\tLogical\tNTFS\t\tMBR\t0",
                                                  "1:4\t  \t3.00GB\tunknown\tLogical\tFAT32\t\tMBR\t0"));
  // A record that links to itself.
  WriteEbr(path, kExtendedStart, 0x07, 2048, 10485760, 0, 2048);
  EXPECT_EQ(Lines(ListAlone(path)).size(), 3u);
}

TEST(MbrListing, ExtendedChainPointingOutsideTheDiskEnds) {
  const std::string path = CopyOf(MbrImage(), "outside.img");
  WriteEbr(path, kExtendedStart, 0x07, 2048, 10485760, 0xFFFFF000u, 2048);
  FakeDiskSystem sys;
  sys.disks[0] = {path};
  EXPECT_EQ(Lines(RunDiskListing(sys)).size(), 3u);
  ImageDisk disk(path, 512);
  const DiskListing listing = ReadDisk(disk, 0);
  // Sector 0 and the one record (the link is never followed), then the first
  // sector of each listed partition for the BitLocker check.
  EXPECT_EQ(disk.reads, 2u + ListedPartitions(listing).size());
}

TEST(MbrListing, EndlessChainIsCutAfterABoundedNumberOfLinks) {
  // 300 records that only link on; a logical drive waits in the last one.
  const std::string path = MakeImage("endless.img", 2 * kGiB);
  RunCommand("printf 'label: dos\\nstart=2048, size=2048, type=7\\nstart=4096, type=5\\n' | "
      "/usr/sbin/sfdisk --no-reread --no-tell-kernel " + path);
  const std::uint64_t ext = 4096;
  for (std::uint32_t i = 0; i < 300; ++i) WriteEbr(path, ext + i, 0, 0, 0, i + 1, 1);
  WriteEbr(path, ext + 300, 0x07, 1, 2048, 0, 0);
  ImageDisk disk(path, 512);
  DiskListing listing = ReadDisk(disk, 0);
  EXPECT_EQ(ListedPartitions(listing).size(), 1u);
  EXPECT_LE(disk.reads, 1u + 128u + ListedPartitions(listing).size());
}

TEST(MbrListing, ThirtyTwoEntriesAtMost) {
  // 40 logical drives of 1 MiB after one primary: four table places and 28
  // logical drives are kept.
  const std::string path = MakeImage("many.img", 2 * kGiB);
  RunCommand("printf 'label: dos\\nstart=2048, size=2048, type=7\\nstart=4096, type=f\\n' | "
      "/usr/sbin/sfdisk --no-reread --no-tell-kernel " + path);
  for (std::uint32_t i = 0; i < 40; ++i)
    WriteEbr(path, 4096 + i * 4096, 0x83, 2048, 2048, i < 39 ? (i + 1) * 4096 : 0, i < 39 ? 4096 : 0);
  ImageDisk disk(path, 512);
  DiskListing listing = ReadDisk(disk, 0);
  EXPECT_EQ(listing.entries.size(), 32u);
  const auto lines = Lines(ListAlone(path));
  ASSERT_EQ(lines.size(), 29u);
  EXPECT_EQ(lines.back(), "1:29\t  \t0.00GB\tunknown\tLogical\tLinux\t\tMBR\t0");
}

TEST(MbrListing, FailedReadOfARecordKeepsTheDrivesBeforeIt) {
  ImageDisk disk(MbrImage(), 512);
  disk.failing = {94377984 - 2048};  // the second record
  DiskListing listing = ReadDisk(disk, 0);
  ASSERT_EQ(ListedPartitions(listing).size(), 3u);
  EXPECT_EQ(ListedPartitions(listing)[2]->start, 83890176u);
  disk.failing = {0};
  EXPECT_EQ(ReadDisk(disk, 0).style, DiskStyle::None);
}

TEST(MbrListing, UnusableSectorSizesListNothing) {
  for (std::uint32_t size : {0u, 256u, 520u, 1u << 20}) {
    ImageDisk disk(MbrImage(), size);
    EXPECT_TRUE(ReadDisk(disk, 0).entries.empty()) << size;
    // A letter whose extent lies on such a disk finds nothing there.
    FakeDiskSystem sys;
    sys.disks[0] = {MbrImage(), size};
    sys.volumes['C'] = FakeVolume{3, DiskExtent{0, 2048 * 512}, DeviceNumber{0, 1}, std::nullopt, std::nullopt};
    EXPECT_EQ(RunDiskListing(sys), "") << size;
  }
}

}  // namespace
}  // namespace lum::disklist::test
