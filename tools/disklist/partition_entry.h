#pragma once
// What the listing knows of one disk and its partitions.
#include <cstdint>
#include <string>
#include <vector>

namespace lum::disklist {

constexpr unsigned kMaxDisks = 24;           // PhysicalDrive0 to PhysicalDrive23
constexpr unsigned kMaxEntriesPerDisk = 32;  // entries found after the 32nd are not kept
constexpr std::size_t kMaxTextBytes = 25;    // labels, type and file system names

enum class DiskStyle { None, Mbr, Gpt, DynMbr, DynGpt };
enum class PartitionKind { Primary, Logical, Efi };

const char* StyleName(DiskStyle style);  // "MBR", "GPT", "DYNMBR", "DYNGPT" ("" for None)
const char* KindName(PartitionKind kind);  // "Primary", "Logical", "EFI"
bool IsDynamic(DiskStyle style);

struct PartitionEntry {
  bool active = false;          // MBR boot indicator 0x80
  std::uint8_t typeCode = 0;    // MBR partition type, 0 for GPT entries
  bool notListed = false;       // GPT entry of a type the listing does not show
  std::uint64_t start = 0;      // first sector
  std::uint64_t length = 0;     // number of sectors
  std::uint64_t freeBytes = 0;  // 0 when the volume gave none
  std::string letter;           // "X:" or empty
  std::string hiddenPrefix;     // "hidden_" or empty
  bool bitLocker = false;       // the first sector carries BitLocker's OEM id
  PartitionKind kind = PartitionKind::Primary;
  std::string typeName;
  std::string label;
};

struct DiskListing {
  unsigned index = 0;  // 0 for PhysicalDrive0
  DiskStyle style = DiskStyle::None;
  std::uint32_t sectorSize = 512;
  std::uint64_t sectorCount = 0;
  std::vector<PartitionEntry> entries;  // in the order they were found
};

struct DynamicVolume {
  std::uint64_t totalBytes = 0;
  std::uint64_t freeBytes = 0;
  std::string letter;  // "X:"
  std::string fileSystem;
  std::string label;
};

}  // namespace lum::disklist
