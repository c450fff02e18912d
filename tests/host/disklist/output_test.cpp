// The output lines, byte for byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/disklist/listing_output.h"

namespace lum::disklist {
namespace {

// Sizes are cut to two places, never rounded up, so the whole part of a cell
// never claims space the volume lacks: the start-up checks need 3 units on
// the system partition and 4 free on the data partition.
TEST(ListingOutput, SizesAreCutToTwoPlacesOfGibibytes) {
  constexpr std::uint64_t kMiB = 1ull << 20, kGiB = 1ull << 30;
  struct Case {
    std::uint64_t sectors;
    std::uint32_t sectorSize;
    std::uint64_t freeBytes;
    const char* sizes;
  };
  const Case cases[] = {
      {1, 512, 0, "0.00GB\tunknown"},
      {1953525168, 512, 1, "931.51GB\t0.00GB"},
      {(4 * kGiB - kMiB) / 512, 512, 4 * kGiB - kMiB, "3.99GB\t3.99GB"},
      {4 * kGiB / 512, 512, 4 * kGiB, "4.00GB\t4.00GB"},
      {(3 * kGiB - kMiB) / 512, 512, 3 * kGiB - kMiB, "2.99GB\t2.99GB"},
      {3 * kGiB / 512, 512, 3 * kGiB, "3.00GB\t3.00GB"},
      {6270000, 512, 3210000000ull, "2.98GB\t2.98GB"},  // 2.9897 GiB
      {(4 * kGiB - 4096) / 4096, 4096, 4 * kGiB - 1, "3.99GB\t3.99GB"},
      {786432, 4096, 5368709120ull, "3.00GB\t5.00GB"},
      {~0ull, 4096, ~0ull, "70368744177663.99GB\t17179869183.99GB"},
  };
  for (const Case& c : cases) {
    DiskListing disk;
    disk.style = DiskStyle::Mbr;
    disk.sectorSize = c.sectorSize;
    PartitionEntry e;
    e.length = c.sectors;
    e.freeBytes = c.freeBytes;
    e.typeName = "NTFS";
    EXPECT_EQ(FormatPartitionLine(disk, 1, e), std::string("1:1\t  \t") + c.sizes + "\tPrimary\tNTFS\t\tMBR\t0\n")
        << c.sectors;
  }
  DynamicVolume v{4 * kGiB - kMiB, 3 * kGiB - kMiB, "F:", "NTFS", "Data"};
  EXPECT_EQ(FormatDynamicLine(v), "  \tF:\t3.99GB\t2.99GB\tDynamic\tNTFS\tData\n");
}

// The BitLocker mark rides in the file system field, after a hidden type's
// prefix, so the line keeps its nine fields.
TEST(ListingOutput, BitLockerPrefixKeepsTheNineFields) {
  struct Case {
    bool hidden, bitLocker;
    const char* field;
  } cases[] = {{false, false, "NTFS"}, {false, true, "FVE_NTFS"}, {true, false, "hidden_NTFS"},
               {true, true, "hidden_FVE_NTFS"}};
  for (const Case& c : cases) {
    DiskListing disk;
    disk.style = DiskStyle::Mbr;
    PartitionEntry e;
    e.length = 2048;
    e.hiddenPrefix = c.hidden ? "hidden_" : "";
    e.bitLocker = c.bitLocker;
    e.typeName = "NTFS";
    e.label = "Data";
    e.letter = "D:";
    EXPECT_EQ(FormatPartitionLine(disk, 2, e),
              std::string("1:2\tD:\t0.00GB\tunknown\tPrimary\t") + c.field + "\tData\tMBR\t0\n");
  }
}

TEST(ListingOutput, PrintsListableEntriesSortedByStartNumberedFromOne) {
  DiskListing disk;
  disk.index = 1;
  disk.style = DiskStyle::Mbr;
  auto entry = [](std::uint64_t start, std::uint64_t length, std::uint8_t type, const char* label) {
    PartitionEntry e;
    e.start = start;
    e.length = length;
    e.typeCode = type;
    e.typeName = "T";
    e.label = label;
    return e;
  };
  disk.entries = {entry(9000, 2097152, 0x07, "late"), entry(100, 2097152, 0x05, "extended"),
                  entry(0, 0, 0, "empty"),             entry(2048, 2097152, 0x07, "early"),
                  entry(9000, 2097152, 0x07, "tie"),   entry(4000, 2097152, 0x0F, "extlba")};
  PartitionEntry hidden = entry(500, 2097152, 0x07, "unlisted");
  hidden.notListed = true;
  disk.entries.push_back(hidden);
  std::vector<DynamicVolume> dyn = {{10 * 1073741824ull, 0, "Q:", "NTFS", "v"}, {0, 0, "R:", "NTFS", "none"}};
  EXPECT_EQ(FormatListing({disk}, dyn),
            "2:1\t  \t1.00GB\tunknown\tPrimary\tT\tearly\tMBR\t0\n"
            "2:2\t  \t1.00GB\tunknown\tPrimary\tT\tlate\tMBR\t0\n"
            "2:3\t  \t1.00GB\tunknown\tPrimary\tT\ttie\tMBR\t0\n"
            "  \tQ:\t10.00GB\t0.00GB\tDynamic\tNTFS\tv\n");
}

}  // namespace
}  // namespace lum::disklist
