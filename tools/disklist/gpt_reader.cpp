// The GPT header and its partition entries.
#include <cstdint>
#include <cstring>
#include <vector>

#include "tools/disklist/byte_order.h"
#include "tools/disklist/disk_reader.h"
#include "tools/disklist/fs_sniff.h"
#include "tools/disklist/type_tables.h"

namespace lum::disklist {

namespace {

constexpr char kSignature[8] = {'E', 'F', 'I', ' ', 'P', 'A', 'R', 'T'};
constexpr std::size_t kMinEntrySize = 128;
// The standard entry array holds 128 entries; a header that claims more is
// read no further than that.
constexpr std::uint32_t kMaxEntries = 128;
// LDM keeps its metadata in a 1 MiB partition of 2048 sectors.
constexpr std::uint64_t kLdmMetadataSectors = 2048;

bool IsUnusedType(const std::uint8_t* entry) {
  for (int i = 0; i < 16; ++i)
    if (entry[i] != 0) return false;
  return true;
}

}  // namespace

void ReadGptPartitions(ISectorSource& disk, DiskListing& out) {
  const std::uint32_t sectorSize = out.sectorSize;
  std::vector<std::uint8_t> header(sectorSize);
  if (!disk.ReadSector(1, header.data())) return;
  if (std::memcmp(header.data(), kSignature, sizeof kSignature) != 0) return;

  const std::uint64_t entriesLba = LoadLe64(&header[72]);
  std::uint32_t count = LoadLe32(&header[80]);
  const std::uint32_t entrySize = LoadLe32(&header[84]);
  // Entries must tile the sector exactly: at least 128 bytes and a divisor of
  // the sector size (which is a power of two, so the entry size is one too).
  if (entrySize < kMinEntrySize || entrySize > sectorSize || sectorSize % entrySize != 0) return;
  if (count > kMaxEntries) count = kMaxEntries;
  const std::uint32_t perSector = sectorSize / entrySize;
  // The array lies after the header and, when the disk told its length, on it.
  const std::uint64_t arraySectors = (count + perSector - 1) / perSector;
  if (entriesLba < 2 || entriesLba > UINT64_MAX - arraySectors) return;
  if (out.sectorCount != 0 && entriesLba + arraySectors > out.sectorCount) return;

  std::vector<std::uint8_t> sector(sectorSize);
  std::vector<PartitionEntry> found;
  for (std::uint32_t first = 0; first < count; first += perSector) {
    // A sector that cannot be read drops its own entries only.
    if (!disk.ReadSector(entriesLba + first / perSector, sector.data())) continue;
    for (std::uint32_t k = 0; k < perSector && first + k < count; ++k) {
      const std::uint8_t* p = sector.data() + static_cast<std::size_t>(k) * entrySize;
      const std::uint64_t firstLba = LoadLe64(p + 32);
      const std::uint64_t lastLba = LoadLe64(p + 40);
      // An unused entry (no type, or no first sector) may sit between used
      // ones, for example where a partition was deleted: skip it and go on
      // through every entry the header announces.
      if (firstLba == 0 || IsUnusedType(p)) continue;
      const std::uint64_t length = lastLba >= firstLba ? lastLba - firstLba + 1 : 0;
      const GptType type = ClassifyGptType(p);
      if (type.cls == GptTypeClass::LdmMetadata && length == kLdmMetadataSectors) {
        out.style = DiskStyle::DynGpt;
        out.entries.clear();
        return;
      }
      if (found.size() >= kMaxEntriesPerDisk) goto done;
      PartitionEntry e;
      e.start = firstLba;
      e.length = length;
      e.kind = type.cls == GptTypeClass::Efi ? PartitionKind::Efi : PartitionKind::Primary;
      switch (type.cls) {
        case GptTypeClass::Efi:
        case GptTypeClass::BasicData:
          e.typeName = SniffPartition(disk, firstLba);
          break;
        case GptTypeClass::Named:
          e.typeName = type.name;
          break;
        default:
          e.notListed = true;
          break;
      }
      found.push_back(std::move(e));
    }
  }
done:
  out.entries = std::move(found);
}

}  // namespace lum::disklist
