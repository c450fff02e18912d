#pragma once
// The OS descriptor: product name, version numbers, service pack, product type
// and native architecture of the running Windows, and its one-line description.
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace lum {

struct PlatformOsVersion {
  std::string name;  // product name from the table
  std::uint32_t major = 0, minor = 0, build = 0;
  std::uint32_t servicePackMajor = 0;
  bool workstation = true;   // product type VER_NT_WORKSTATION
  bool nativeAmd64 = false;  // native processor architecture AMD64
};

// The product name table; versions it lacks give "Windows". serverR2 is
// GetSystemMetrics(SM_SERVERR2) != 0 and matters only for 5.2.
std::string OsProductName(std::uint32_t major, std::uint32_t minor, bool workstation,
                          bool nativeAmd64, bool serverR2);

// "Windows 7 Service Pack 1 (Version 6.1, Build 7601, 64-bit Edition)".
std::string DescriptorLine(const PlatformOsVersion& os);

// The descriptor from the platform's version query, native architecture (asked
// on 5.1 and later only) and metrics. Above 6.1 the build is taken as 0. A
// failed version query gives zeros (and the name "Windows").
PlatformOsVersion ReadPlatformOsVersion(Platform& p);

}  // namespace lum
