#pragma once
// The tool's output lines, TAB-separated, one per partition and then one per
// dynamic volume.
//
// A partition line has nine fields: disk and position ("1:2"), letter ("C:"
// or two blanks), total size, free size (or "unknown"), kind, file system,
// label, style, active flag. Sizes are in GiB with two decimals cut off, not
// rounded ("3.99GB" for 4 GiB less 1 MiB), so their whole part never
// overstates the space. The file system field may carry prefixes in front of
// the name: "hidden_" for a hidden MBR type, then "FVE_" for a BitLocker
// volume (its first sector's OEM id is "-FVE-FS-"), as in "FVE_NTFS" or
// "hidden_FVE_NTFS"; the number of fields never changes.
#include <string>
#include <vector>

#include "tools/disklist/partition_entry.h"

namespace lum::disklist {

// The partitions of one disk that are printed, sorted by start sector (equal
// starts keep the order found).
inline constexpr char kBitLockerPrefix[] = "FVE_";

std::vector<const PartitionEntry*> ListedPartitions(const DiskListing& disk);

std::string FormatPartitionLine(const DiskListing& disk, unsigned number, const PartitionEntry& e);
std::string FormatDynamicLine(const DynamicVolume& v);

// Every disk's partition lines in disk order; the dynamic volume lines (those
// with a size) follow when some disk was dynamic.
std::string FormatListing(const std::vector<DiskListing>& disks, const std::vector<DynamicVolume>& dynamic);

}  // namespace lum::disklist
