#pragma once
// The whole listing: read every disk, attach the letters, collect dynamic
// volumes, and return the output text.
#include <string>

#include "tools/disklist/disk_system.h"

namespace lum::disklist {

std::string RunDiskListing(IDiskSystem& sys);

}  // namespace lum::disklist
