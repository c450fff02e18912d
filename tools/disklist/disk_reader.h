#pragma once
// Reads one disk's partition table from its first sectors.
#include "tools/disklist/partition_entry.h"
#include "tools/disklist/sector_source.h"

namespace lum::disklist {

// Sector sizes the listing accepts: powers of two from 512 to 64 KiB.
bool IsUsableSectorSize(std::uint32_t bytes);

// Sector 0 decides: no signature lists nothing; a boot sector without a table
// is one partition over the whole disk; a protective MBR leads to the GPT;
// type 0x42 marks a dynamic disk; anything else is an MBR table.
DiskListing ReadDisk(ISectorSource& disk, unsigned index);

// The MBR table of sector 0 and the logical drives of its extended partitions.
void ReadMbrPartitions(ISectorSource& disk, const std::uint8_t* sector0, DiskListing& out);

// The GPT header in sector 1 and its entries; may turn the disk into DYNGPT.
void ReadGptPartitions(ISectorSource& disk, DiskListing& out);

}  // namespace lum::disklist
