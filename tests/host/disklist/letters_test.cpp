// Letter lists, attaching letters by extent and by partition number, and the
// dynamic volumes' letters, over hand-made disk listings.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "disk_fixtures.h"
#include "tools/disklist/dynamic_volumes.h"
#include "tools/disklist/letters.h"

namespace lum::disklist::test {
namespace {

using ::testing::ElementsAre;

PartitionEntry Entry(std::uint64_t start, std::uint64_t length, std::uint8_t type = 0x07) {
  PartitionEntry e;
  e.start = start;
  e.length = length;
  e.typeCode = type;
  e.typeName = "NTFS";
  return e;
}

DiskListing Disk(unsigned index, DiskStyle style, std::vector<PartitionEntry> entries) {
  DiskListing d;
  d.index = index;
  d.style = style;
  d.entries = std::move(entries);
  return d;
}

FakeVolume Volume(std::optional<DiskExtent> extent, std::optional<DeviceNumber> number = std::nullopt) {
  return {3, extent, number, VolumeSpace{10 * kGiB, kGiB}, VolumeDetails{"L", "NTFS"}};
}

TEST(Letters, InUseLeavesOutNetworkAndOpticalDrivesWhichStayTaken) {
  // A: C: D:(cdrom) E:(network) F: present.
  const std::uint32_t mask = 1u << 0 | 1u << 2 | 1u << 3 | 1u << 4 | 1u << 5;
  LetterLists lists = BuildLetterLists(mask, [](char c) { return c == 'D' ? 5u : c == 'E' ? 4u : 3u; });
  EXPECT_THAT(lists.inUse, ElementsAre('A', 'C', 'F'));
  ASSERT_EQ(lists.free.size(), 21u);
  EXPECT_EQ(lists.free.front(), 'G');
  EXPECT_EQ(lists.free[19], 'Z');
  EXPECT_EQ(lists.free.back(), 'B');
}

TEST(Letters, ByExtentSkipsWhatCannotBeTrusted) {
  struct Case {
    const char* what;
    DiskExtent extent;
    DiskStyle style;
    const char* expected;  // letter of the entry at sector 2048
  };
  const Case cases[] = {
      {"matching extent", {0, 2048 * 512}, DiskStyle::Mbr, "C:"},
      {"offset 0", {0, 0}, DiskStyle::Mbr, ""},
      {"negative offset", {0, -512}, DiskStyle::Mbr, ""},
      {"disk 24", {24, 2048 * 512}, DiskStyle::Mbr, ""},
      {"another disk", {1, 2048 * 512}, DiskStyle::Mbr, ""},
      {"no entry starts there", {0, 4096 * 512}, DiskStyle::Mbr, ""},
      {"dynamic disk", {0, 2048 * 512}, DiskStyle::DynMbr, ""},
  };
  for (const Case& c : cases) {
    std::vector<DiskListing> disks = {Disk(0, c.style, {Entry(2048, 100)})};
    FakeDiskSystem sys;
    sys.volumes['C'] = Volume(c.extent);
    AttachByExtents(disks, sys, {'C'});
    EXPECT_EQ(disks[0].entries[0].letter, c.expected) << c.what;
  }
}

TEST(Letters, TwoEntriesAtOneStartGetOneLetterEach) {
  std::vector<DiskListing> disks = {Disk(0, DiskStyle::Mbr, {Entry(2048, 100), Entry(2048, 100)})};
  FakeDiskSystem sys;
  sys.volumes['C'] = Volume(DiskExtent{0, 2048 * 512});
  sys.volumes['D'] = Volume(DiskExtent{0, 2048 * 512});
  AttachByExtents(disks, sys, {'C', 'D'});
  EXPECT_EQ(disks[0].entries[0].letter, "C:");
  EXPECT_EQ(disks[0].entries[1].letter, "D:");
}

TEST(Letters, FreeSpaceFailureTakesTheLetterOffOnlyFromAGptDisksFirstEntry) {
  for (DiskStyle style : {DiskStyle::Gpt, DiskStyle::Mbr}) {
    std::vector<DiskListing> disks = {Disk(0, style, {Entry(2048, 100), Entry(8192, 100)})};
    FakeDiskSystem sys;
    sys.volumes['C'] = {3, DiskExtent{0, 2048 * 512}, std::nullopt, std::nullopt, VolumeDetails{"X", "FAT32"}};
    sys.volumes['D'] = {3, DiskExtent{0, 8192 * 512}, std::nullopt, std::nullopt, VolumeDetails{"Y", "FAT32"}};
    AttachByExtents(disks, sys, {'C', 'D'});
    EXPECT_EQ(disks[0].entries[0].letter, style == DiskStyle::Gpt ? "" : "C:");
    EXPECT_EQ(disks[0].entries[1].letter, "D:");
    EXPECT_EQ(disks[0].entries[1].freeBytes, 0u);  // prints "unknown"
    EXPECT_EQ(disks[0].entries[1].typeName, "FAT32");
    EXPECT_EQ(disks[0].entries[1].label, "Y");
  }
}

TEST(Letters, ByPartitionNumberCountsListablePartitionsInTheOrderFound) {
  // Found order: primary, extended, empty slot, primary, logical, logical.
  std::vector<DiskListing> disks = {Disk(0, DiskStyle::Mbr,
                                         {Entry(2048, 100), Entry(10000, 900, 0x0F), Entry(0, 0, 0),
                                          Entry(5000, 100), Entry(10100, 100), Entry(10300, 100)})};
  FakeDiskSystem sys;
  sys.volumes['C'] = Volume(std::nullopt, DeviceNumber{0, 1});
  sys.volumes['D'] = Volume(std::nullopt, DeviceNumber{0, 2});
  sys.volumes['E'] = Volume(std::nullopt, DeviceNumber{0, 4});
  sys.volumes['F'] = Volume(std::nullopt, DeviceNumber{0, 9});   // no such partition
  sys.volumes['G'] = Volume(std::nullopt, DeviceNumber{0, 0});   // a whole disk
  sys.volumes['H'] = Volume(std::nullopt, DeviceNumber{30, 1});  // beyond disk 23
  AttachByPartitionNumber(disks, sys, {'C', 'D', 'E', 'F', 'G', 'H'});
  std::vector<std::string> letters;
  for (const auto& e : disks[0].entries) letters.push_back(e.letter);
  EXPECT_THAT(letters, ElementsAre("C:", "", "", "D:", "", "E:"));
}

TEST(Letters, ByPartitionNumberLeavesLettersAlreadyOnTheDisk) {
  std::vector<DiskListing> disks = {Disk(0, DiskStyle::Mbr, {Entry(2048, 100), Entry(4096, 100)})};
  FakeDiskSystem sys;
  // C: was attached by its extent to partition 2; its device number says 1.
  sys.volumes['C'] = Volume(DiskExtent{0, 4096 * 512}, DeviceNumber{0, 1});
  // D: names partition 2, which already has a letter: it keeps C:.
  sys.volumes['D'] = Volume(std::nullopt, DeviceNumber{0, 2});
  AttachByExtents(disks, sys, {'C', 'D'});
  AttachByPartitionNumber(disks, sys, {'C', 'D'});
  EXPECT_EQ(disks[0].entries[0].letter, "");
  EXPECT_EQ(disks[0].entries[1].letter, "C:");
}

TEST(Letters, RawEfiLetterIsUsedUpOnlyWhenItFoundThePartition) {
  PartitionEntry esp1 = Entry(2048, 100);
  esp1.kind = PartitionKind::Efi;
  PartitionEntry esp2 = Entry(2048, 100);
  esp2.kind = PartitionKind::Efi;
  std::vector<DiskListing> disks = {Disk(0, DiskStyle::Gpt, {esp1}), Disk(1, DiskStyle::Gpt, {esp2})};
  FakeDiskSystem sys;
  // Disk 0's EFI partition is not reachable; disk 1's is partition 1.
  sys.rawTargets["\\Device\\Harddisk1\\Partition1"] = Volume(DiskExtent{1, 2048 * 512});
  std::deque<char> free = {'M', 'N'};
  AttachRawEfiLetters(disks, sys, free);
  EXPECT_EQ(disks[0].entries[0].letter, "");
  EXPECT_EQ(disks[1].entries[0].letter, "M:");
  EXPECT_EQ(disks[1].entries[0].freeBytes, kGiB);
  EXPECT_THAT(free, ElementsAre('N'));
  // Without a GPT disk nothing is defined.
  std::vector<DiskListing> mbr = {Disk(0, DiskStyle::Mbr, {esp1})};
  FakeDiskSystem quiet;
  std::deque<char> free2 = {'M'};
  AttachRawEfiLetters(mbr, quiet, free2);
  EXPECT_TRUE(quiet.defined.empty());
}

TEST(DynamicVolumes, MountedDevicesValuesThatNameDynamicVolumes) {
  const char dmio[] = "DMIO:ID:0123456789abcdef";
  const std::vector<std::uint8_t> full(dmio, dmio + 24);
  struct Case {
    const char* what;
    RegistryValue value;
    std::optional<char> letter;
  };
  const Case cases[] = {
      {"dynamic volume", {"\\DosDevices\\E:", kRegBinary, full}, 'E'},
      {"lower-case letter", {"\\DosDevices\\e:", kRegBinary, full}, 'E'},
      {"15 characters", {"\\DosDevices\\\\E:", kRegBinary, full}, 'E'},
      {"16 characters", {"\\DosDevices\\\\\\E:", kRegBinary, full}, std::nullopt},
      {"volume GUID name", {"\\??\\Volume{1234}", kRegBinary, full}, std::nullopt},
      {"basic volume data", {"\\DosDevices\\C:", kRegBinary, {1, 2, 3, 4, 0, 0, 16, 0, 0, 0, 0, 0}}, std::nullopt},
      {"not binary", {"\\DosDevices\\E:", 1, full}, std::nullopt},
      {"data too short", {"\\DosDevices\\E:", kRegBinary, {'D', 'M', 'I', 'O'}}, std::nullopt},
      {"no backslash", {"E:", kRegBinary, full}, std::nullopt},
      {"ends in a backslash", {"\\DosDevices\\", kRegBinary, full}, std::nullopt},
      {"not a letter", {"\\DosDevices\\1:", kRegBinary, full}, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(DynamicVolumeLetter(c.value), c.letter) << c.what;
}

TEST(DynamicVolumes, NothingHappensWithoutDynamicDisks) {
  std::vector<DiskListing> disks = {Disk(0, DiskStyle::Mbr, {Entry(2048, 100)})};
  FakeDiskSystem sys;
  sys.unmounted = {"\\\\?\\Volume{1}\\"};
  std::deque<char> free = {'M'};
  EXPECT_TRUE(ReadDynamicVolumes(disks, sys, free).empty());
  EXPECT_TRUE(sys.mounts.empty());
}

TEST(DynamicVolumes, MountingStopsWhenTheFreeLettersRunOut) {
  std::vector<DiskListing> disks = {Disk(3, DiskStyle::DynGpt, {})};
  FakeDiskSystem sys;
  sys.unmounted = {"\\\\?\\Volume{1}\\", "\\\\?\\Volume{2}\\", "\\\\?\\Volume{3}\\"};
  sys.volumeByName["\\\\?\\Volume{2}\\"] = Volume(std::nullopt);
  sys.volumeByName["\\\\?\\Volume{3}\\"] = Volume(std::nullopt);
  std::deque<char> free = {'Y', 'Z'};
  ReadDynamicVolumes(disks, sys, free);
  // Volume 1 fails to mount and keeps its letter free for volume 2.
  EXPECT_THAT(sys.mounts, ElementsAre("Y: \\\\?\\Volume{1}\\", "Y: \\\\?\\Volume{2}\\", "Z: \\\\?\\Volume{3}\\"));
  EXPECT_TRUE(free.empty());
  EXPECT_THAT(sys.askedDynamicDisks, ElementsAre(3u));
}

}  // namespace
}  // namespace lum::disklist::test
