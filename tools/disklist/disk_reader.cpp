#include "tools/disklist/disk_reader.h"

#include <vector>

#include "tools/disklist/fs_sniff.h"
#include "tools/disklist/type_tables.h"

namespace lum::disklist {

namespace {

constexpr std::size_t kTableOffset = 446;
constexpr std::size_t kEntrySize = 16;
constexpr std::uint8_t kDynamicMbrType = 0x42;
constexpr std::uint8_t kProtectiveType = 0xEE;
// A sector that carries the signature but no table is listed as one partition
// starting where DOS put its first partition.
constexpr std::uint64_t kWholeDiskStart = 63;

bool IsAllZero(const std::uint8_t* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] != 0) return false;
  return true;
}

}  // namespace

bool IsUsableSectorSize(std::uint32_t bytes) {
  return bytes >= 512 && bytes <= 65536 && (bytes & (bytes - 1)) == 0;
}

DiskListing ReadDisk(ISectorSource& disk, unsigned index) {
  DiskListing out;
  out.index = index;
  out.sectorSize = disk.SectorSize();
  out.sectorCount = disk.SectorCount();
  if (!IsUsableSectorSize(out.sectorSize)) {
    out.sectorSize = 512;  // never used for sizes: the disk lists nothing
    return out;
  }

  std::vector<std::uint8_t> sector0(out.sectorSize);
  if (!disk.ReadSector(0, sector0.data())) return out;
  if (sector0[510] != 0x55 || sector0[511] != 0xAA) return out;

  const std::uint8_t* table = sector0.data() + kTableOffset;
  const std::uint8_t boot = table[0];
  const std::uint8_t firstType = table[4];
  if (boot != 0x00 && boot != 0x80) {
    out.style = DiskStyle::Mbr;
    PartitionEntry whole;
    whole.start = kWholeDiskStart;
    whole.length = out.sectorCount;
    whole.kind = PartitionKind::Primary;
    whole.typeName = MbrTypeName(0);
    out.entries.push_back(whole);
    return out;
  }
  if (firstType == kProtectiveType && IsAllZero(table + kEntrySize, 3 * kEntrySize)) {
    out.style = DiskStyle::Gpt;
    ReadGptPartitions(disk, out);
  } else if (firstType == kDynamicMbrType) {
    out.style = DiskStyle::DynMbr;
    return out;
  } else {
    out.style = DiskStyle::Mbr;
    ReadMbrPartitions(disk, sector0.data(), out);
  }
  MarkBitLockerVolumes(disk, out);
  return out;
}

}  // namespace lum::disklist
