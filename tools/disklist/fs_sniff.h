#pragma once
// Guesses a partition's file system from the jump and the name fields of its
// first sector, for GPT partitions that have no drive letter to ask.
#include <cstdint>
#include <string>

#include "tools/disklist/sector_source.h"

namespace lum::disklist {

// The name for a boot sector of at least 512 bytes.
std::string SniffFileSystem(const std::uint8_t* bootSector);

// Reads the partition's first sector and sniffs it; empty when it cannot be read.
std::string SniffPartition(ISectorSource& disk, std::uint64_t startSector);

// Makes a name safe for one TAB-separated output field: stops at a NUL, turns
// control characters into '?', and keeps at most `limit` bytes.
std::string FieldText(const char* text, std::size_t size, std::size_t limit);

}  // namespace lum::disklist
