#pragma once
// Basic types shared by the platform seam and the portable code.
#include <cstdint>
#include <string>
#include <vector>

namespace lum {

using Bytes = std::vector<std::uint8_t>;

// Windows error codes the portable code names.
namespace err {
constexpr std::uint32_t Success = 0;
constexpr std::uint32_t FileNotFound = 2;
constexpr std::uint32_t PathNotFound = 3;
constexpr std::uint32_t AccessDenied = 5;
constexpr std::uint32_t InvalidHandle = 6;
constexpr std::uint32_t NotReady = 21;
constexpr std::uint32_t WriteFault = 29;
constexpr std::uint32_t NotSupported = 50;
constexpr std::uint32_t FileExists = 80;
constexpr std::uint32_t InvalidParameter = 87;
constexpr std::uint32_t DiskFull = 112;
constexpr std::uint32_t AlreadyExists = 183;
constexpr std::uint32_t MoreData = 234;
constexpr std::uint32_t ResourceTypeNotFound = 1813;
constexpr std::uint32_t ResourceNameNotFound = 1814;
}  // namespace err

}  // namespace lum
