#include "tools/disklist/fs_sniff.h"

#include <cstring>
#include <vector>

#include "tools/disklist/type_tables.h"

namespace lum::disklist {

std::string FieldText(const char* text, std::size_t size, std::size_t limit) {
  std::string out;
  for (std::size_t i = 0; i < size && out.size() < limit; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == 0) break;
    out.push_back(c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c));
  }
  return out;
}

bool IsBitLockerBootSector(const std::uint8_t* s) {
  static constexpr char kOemId[8] = {'-', 'F', 'V', 'E', '-', 'F', 'S', '-'};
  return std::memcmp(s + 3, kOemId, sizeof kOemId) == 0;
}

std::string SniffFileSystem(const std::uint8_t* s) {
  if (IsBitLockerBootSector(s)) return "NTFS";
  auto name = [s](std::size_t offset) {
    return FieldText(reinterpret_cast<const char*>(s + offset), 5, 5);
  };
  if (s[0] == 0xEB && s[2] == 0x90) {
    if (s[1] == 0x52) return name(3);   // NTFS: the OEM name "NTFS    "
    if (s[1] == 0x3C) return name(54);  // FAT12/16: "FAT16   "
    if (s[1] == 0x58) return name(82);  // FAT32: "FAT32   "
  }
  return "Linux";
}

std::string SniffPartition(ISectorSource& disk, std::uint64_t startSector) {
  std::vector<std::uint8_t> sector(disk.SectorSize());
  if (!disk.ReadSector(startSector, sector.data())) return {};
  return SniffFileSystem(sector.data());
}

void MarkBitLockerVolumes(ISectorSource& disk, DiskListing& listing) {
  std::vector<std::uint8_t> sector(disk.SectorSize());
  for (PartitionEntry& e : listing.entries) {
    if (e.length == 0 || e.notListed || IsExtendedType(e.typeCode)) continue;
    if (listing.sectorCount != 0 && e.start >= listing.sectorCount) continue;
    if (disk.ReadSector(e.start, sector.data())) e.bitLocker = IsBitLockerBootSector(sector.data());
  }
}

}  // namespace lum::disklist
