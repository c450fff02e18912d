#pragma once
// Guesses a partition's file system from the jump and the name fields of its
// first sector, for GPT partitions that have no drive letter to ask.
#include <cstdint>
#include <string>

#include "tools/disklist/partition_entry.h"
#include "tools/disklist/sector_source.h"

namespace lum::disklist {

// The name for a boot sector of at least 512 bytes. A BitLocker volume is
// named "NTFS", as Windows names an unlocked one.
std::string SniffFileSystem(const std::uint8_t* bootSector);

// True for a boot sector (at least 512 bytes) whose OEM id at offset 3 is
// "-FVE-FS-": the volume is BitLocker-encrypted, though Windows reports an
// unlocked one with the file system inside it.
bool IsBitLockerBootSector(const std::uint8_t* bootSector);

// Reads the partition's first sector and sniffs it; empty when it cannot be read.
std::string SniffPartition(ISectorSource& disk, std::uint64_t startSector);

// Reads the first sector of every partition the listing prints and marks
// the BitLocker volumes. A sector that cannot be read, or lies past the end
// of a disk that told its length, leaves its partition unmarked.
void MarkBitLockerVolumes(ISectorSource& disk, DiskListing& listing);

// Makes a name safe for one TAB-separated output field: stops at a NUL, turns
// control characters into '?', and keeps at most `limit` bytes.
std::string FieldText(const char* text, std::size_t size, std::size_t limit);

}  // namespace lum::disklist
