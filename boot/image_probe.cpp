#include "boot/image_probe.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace lum {
namespace {

constexpr std::size_t kIsoDescriptorOffset = 32768;
constexpr std::size_t kIsoDescriptorRead = 72;

template <std::size_t N>
bool HasSignature(IFiles& files, const std::string& path,
                  const std::array<std::uint8_t, N>& signature) {
  try {
    if (!files.FileExists(path)) return false;
    std::optional<Bytes> head = files.ReadPrefix(path, N);
    return head && head->size() >= N && std::equal(signature.begin(), signature.end(), head->begin());
  } catch (...) {
    return false;
  }
}

}  // namespace

bool IsGhostImage(IFiles& files, const std::string& path) {
  return HasSignature<3>(files, path, {0xFE, 0xEF, 0x01});
}

bool IsWimImage(IFiles& files, const std::string& path) {
  return HasSignature<5>(files, path, {'M', 'S', 'W', 'I', 'M'});
}

bool IsIsoImage(IFiles& files, const std::string& path) {
  try {
    if (!files.FileExists(path)) return false;
    std::optional<std::uint64_t> size = files.Size(path);
    if (!size || *size < kIsoDescriptorOffset) return false;
    std::optional<Bytes> head = files.ReadPrefix(path, kIsoDescriptorOffset + kIsoDescriptorRead);
    if (!head || head->size() < kIsoDescriptorOffset + 8) return false;
    static constexpr std::uint8_t kDescriptor[] = {1, 'C', 'D', '0', '0', '1', 1, 0};
    return std::equal(std::begin(kDescriptor), std::end(kDescriptor),
                      head->begin() + kIsoDescriptorOffset);
  } catch (...) {
    return false;
  }
}

}  // namespace lum
