#include "tools/disklist/disk_listing.h"

#include "tools/disklist/disk_reader.h"
#include "tools/disklist/dynamic_volumes.h"
#include "tools/disklist/letters.h"
#include "tools/disklist/listing_output.h"

namespace lum::disklist {

std::string RunDiskListing(IDiskSystem& sys) {
  LetterLists letters = BuildLetterLists(sys.LogicalDrives(), [&](char c) { return sys.DriveType(c); });

  std::vector<DiskListing> disks;
  for (unsigned n = 0; n < kMaxDisks; ++n) {
    if (auto source = sys.OpenDisk(n)) disks.push_back(ReadDisk(*source, n));
  }

  AttachByExtents(disks, sys, letters.inUse);
  AttachByPartitionNumber(disks, sys, letters.inUse);
  AttachRawEfiLetters(disks, sys, letters.free);
  const std::vector<DynamicVolume> dynamic = ReadDynamicVolumes(disks, sys, letters.free);
  return FormatListing(disks, dynamic);
}

}  // namespace lum::disklist
