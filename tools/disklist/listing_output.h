#pragma once
// The tool's output lines, TAB-separated, one per partition and then one per
// dynamic volume.
#include <string>
#include <vector>

#include "tools/disklist/partition_entry.h"

namespace lum::disklist {

// The partitions of one disk that are printed, sorted by start sector (equal
// starts keep the order found).
std::vector<const PartitionEntry*> ListedPartitions(const DiskListing& disk);

std::string FormatPartitionLine(const DiskListing& disk, unsigned number, const PartitionEntry& e);
std::string FormatDynamicLine(const DynamicVolume& v);

// Every disk's partition lines in disk order; the dynamic volume lines (those
// with a size) follow when some disk was dynamic.
std::string FormatListing(const std::vector<DiskListing>& disks, const std::vector<DynamicVolume>& dynamic);

}  // namespace lum::disklist
