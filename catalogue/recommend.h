#pragma once
// Which catalogue entry suits the machine.
#include <cstdint>
#include <string>
#include <string_view>

namespace lum {

// A family and an architecture in the vocabulary of the catalogue's fields.
struct Recommendation {
  std::string arch;
  std::string family;
};

// The decision itself. On a GPT system disk: the version class of the running
// Windows and its bitness. Otherwise by installed memory in whole megabytes:
// below 1500 Windows XP 32-bit, up to 2000 Windows 7 32-bit, above that
// Windows 7 64-bit.
Recommendation RecommendSys(bool isGpt, const std::string& versionClass, bool isWin64,
                            std::uint64_t totalPhysBytes);

// True when the line's family and architecture equal the recommendation's,
// compared whole and without regard to ASCII letter case.
bool IsRecommendedEntry(std::string_view catalogLine, const Recommendation& rec);

}  // namespace lum
