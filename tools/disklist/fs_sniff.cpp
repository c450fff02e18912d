#include "tools/disklist/fs_sniff.h"

#include <vector>

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

std::string SniffFileSystem(const std::uint8_t* s) {
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

}  // namespace lum::disklist
