#pragma once
// Drive letters: which are in use, which are free, and attaching them to the
// partitions found on the disks.
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "tools/disklist/disk_system.h"
#include "tools/disklist/partition_entry.h"

namespace lum::disklist {

struct LetterLists {
  std::vector<char> inUse;  // reported drives without network and optical drives
  std::deque<char> free;    // C to Z, then B, then A; handed out from the front
};

LetterLists BuildLetterLists(std::uint32_t logicalDrives, const std::function<unsigned(char)>& driveType);

// The first entry on the extent's disk that starts at the extent and has no
// letter gets it; then its free space, label and file system are read.
void AttachByExtents(std::vector<DiskListing>& disks, IDiskSystem& sys, const std::vector<char>& inUse);

// A letter not yet on its disk goes to the entry whose position among the
// disk's partitions (in the order found) is the device's partition number.
void AttachByPartitionNumber(std::vector<DiskListing>& disks, IDiskSystem& sys,
                             const std::vector<char>& inUse);

// Letterless EFI partitions of GPT disks get the next free letter as a raw DOS
// device, when the system allows it.
void AttachRawEfiLetters(std::vector<DiskListing>& disks, IDiskSystem& sys, std::deque<char>& freeLetters);

// Free space, label and file system of the volume behind an entry's letter.
// With dropLetterOnFailure, a failing free-space query takes the letter off.
void ReadVolumeDetails(PartitionEntry& entry, IDiskSystem& sys, bool dropLetterOnFailure);

// Position of entries the partition numbers count: present, with a length,
// not an extended partition.
bool CountsAsPartition(const PartitionEntry& entry);

}  // namespace lum::disklist
