// The output lines, byte for byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/disklist/listing_output.h"

namespace lum::disklist {
namespace {

TEST(ListingOutput, SizesRoundToTwoPlacesOfGibibytes) {
  struct Case {
    std::uint64_t sectors;
    std::uint32_t sectorSize;
    std::uint64_t freeBytes;
    const char* sizes;
  };
  const Case cases[] = {
      {1, 512, 0, "0.00GB\tunknown"},
      {1953525168, 512, 1, "931.51GB\t0.00GB"},
      {6291456, 512, 3221225472ull, "3.00GB\t3.00GB"},
      {6270000, 512, 3210000000ull, "2.99GB\t2.99GB"},
      {786432, 4096, 5368709120ull, "3.00GB\t5.00GB"},
      {~0ull, 4096, ~0ull, "70368744177664.00GB\t17179869184.00GB"},
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
