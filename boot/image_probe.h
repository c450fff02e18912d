#pragma once
// Telling a Ghost image, a WIM image and an ISO 9660 image apart by their
// first bytes. Every problem (missing file, unreadable, too short) reads as
// a negative answer; nothing raises.
#include <string>

#include "platform/platform.h"

namespace lum {

bool IsGhostImage(IFiles& files, const std::string& path);  // FE EF 01 at offset 0
bool IsWimImage(IFiles& files, const std::string& path);    // "MSWIM" at offset 0
// A primary volume descriptor at 32768: type 1, "CD001", version 1, then 0.
bool IsIsoImage(IFiles& files, const std::string& path);

}  // namespace lum
