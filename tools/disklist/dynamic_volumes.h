#pragma once
// Volumes of dynamic disks: they have no partition table entries of their own,
// so they are found through their letters.
#include <deque>
#include <optional>
#include <vector>

#include "tools/disklist/disk_system.h"
#include "tools/disklist/partition_entry.h"

namespace lum::disklist {

constexpr std::uint32_t kRegBinary = 3;

// The letter of a HKLM\SYSTEM\MountedDevices value that names a dynamic
// volume: a name shorter than 16 characters ("\DosDevices\E:"), binary data
// of at most 24 bytes starting "DMIO:ID:"; the letter follows the last '\'.
std::optional<char> DynamicVolumeLetter(const RegistryValue& value);

// Gives unmounted volumes of the dynamic disks free letters, then collects
// every dynamic volume's size, free space, label and file system.
std::vector<DynamicVolume> ReadDynamicVolumes(const std::vector<DiskListing>& disks, IDiskSystem& sys,
                                              std::deque<char>& freeLetters);

}  // namespace lum::disklist
