// The MBR table and the chains of extended boot records.
#include <set>
#include <vector>

#include "tools/disklist/byte_order.h"
#include "tools/disklist/disk_reader.h"
#include "tools/disklist/type_tables.h"

namespace lum::disklist {

namespace {

constexpr std::size_t kTableOffset = 446;
constexpr std::size_t kEntrySize = 16;
// A chain of extended boot records ends after this many links even when the
// records point on: a damaged or hostile chain may loop or never end.
constexpr unsigned kMaxExtendedLinks = 128;

struct RawEntry {
  std::uint8_t boot;
  std::uint8_t type;
  std::uint32_t relStart;
  std::uint32_t sectors;
};

RawEntry LoadEntry(const std::uint8_t* sector, int i) {
  const std::uint8_t* p = sector + kTableOffset + i * kEntrySize;
  return {p[0], p[4], LoadLe32(p + 8), LoadLe32(p + 12)};
}

PartitionEntry MakeEntry(const RawEntry& raw, std::uint64_t start, PartitionKind kind) {
  PartitionEntry e;
  e.typeCode = raw.type;
  e.start = start;
  e.length = raw.sectors;
  e.kind = kind;
  e.hiddenPrefix = IsHiddenType(raw.type) ? "hidden_" : "";
  e.typeName = MbrTypeName(raw.type);
  return e;
}

bool Full(const DiskListing& out) { return out.entries.size() >= kMaxEntriesPerDisk; }

// Follows one extended partition's chain. Each record's non-extended entries
// are logical drives (relative to the record); its extended entry (relative to
// the extended partition) leads to the next record.
void FollowExtendedChain(ISectorSource& disk, std::uint64_t extendedStart, DiskListing& out) {
  std::vector<std::uint8_t> sector(out.sectorSize);
  std::set<std::uint64_t> seen{0};  // sector 0 is the MBR, never a boot record
  std::uint64_t record = extendedStart;
  for (unsigned links = 0; links < kMaxExtendedLinks && !Full(out); ++links) {
    if (out.sectorCount != 0 && record >= out.sectorCount) break;  // points outside the disk
    if (!seen.insert(record).second) break;                         // loops back
    if (!disk.ReadSector(record, sector.data())) break;
    bool haveNext = false;
    std::uint64_t next = 0;
    for (int i = 0; i < 4; ++i) {
      RawEntry raw = LoadEntry(sector.data(), i);
      if (raw.type == 0) continue;
      if (IsExtendedType(raw.type)) {
        if (!haveNext) {
          haveNext = true;
          next = extendedStart + raw.relStart;
        }
      } else if (!Full(out)) {
        out.entries.push_back(MakeEntry(raw, record + raw.relStart, PartitionKind::Logical));
      }
    }
    if (!haveNext) break;
    record = next;
  }
}

}  // namespace

void ReadMbrPartitions(ISectorSource& disk, const std::uint8_t* sector0, DiskListing& out) {
  RawEntry primaries[4];
  for (int i = 0; i < 4; ++i) {
    primaries[i] = LoadEntry(sector0, i);
    PartitionEntry e = MakeEntry(primaries[i], primaries[i].relStart, PartitionKind::Primary);
    e.active = primaries[i].boot == 0x80;
    out.entries.push_back(e);
  }
  for (const RawEntry& p : primaries) {
    if (IsExtendedType(p.type)) FollowExtendedChain(disk, p.relStart, out);
  }
}

}  // namespace lum::disklist
