#include "tools/disklist/dynamic_volumes.h"

#include <algorithm>
#include <cstring>

#include "tools/disklist/fs_sniff.h"

namespace lum::disklist {

namespace {

constexpr std::size_t kMaxNameChars = 15;
constexpr std::size_t kMaxDataBytes = 24;
constexpr char kDmioPrefix[] = "DMIO:ID:";

}  // namespace

std::optional<char> DynamicVolumeLetter(const RegistryValue& value) {
  if (value.name.size() > kMaxNameChars || value.type != kRegBinary) return std::nullopt;
  const std::size_t prefix = sizeof kDmioPrefix - 1;
  if (value.data.size() < prefix || value.data.size() > kMaxDataBytes) return std::nullopt;
  if (std::memcmp(value.data.data(), kDmioPrefix, prefix) != 0) return std::nullopt;
  const std::size_t slash = value.name.rfind('\\');
  if (slash == std::string::npos || slash + 1 >= value.name.size()) return std::nullopt;
  char letter = value.name[slash + 1];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') return std::nullopt;
  return letter;
}

std::vector<DynamicVolume> ReadDynamicVolumes(const std::vector<DiskListing>& disks, IDiskSystem& sys,
                                              std::deque<char>& freeLetters) {
  std::vector<unsigned> dynamicDisks;
  for (const DiskListing& d : disks)
    if (IsDynamic(d.style)) dynamicDisks.push_back(d.index);
  if (dynamicDisks.empty()) return {};

  for (const std::string& volume : sys.UnmountedDynamicVolumes(dynamicDisks)) {
    if (freeLetters.empty()) break;
    if (sys.MountVolume(freeLetters.front(), volume)) freeLetters.pop_front();
  }

  std::vector<char> letters;
  for (const RegistryValue& value : sys.MountedDevices()) {
    auto letter = DynamicVolumeLetter(value);
    if (letter && std::find(letters.begin(), letters.end(), *letter) == letters.end())
      letters.push_back(*letter);
  }

  std::vector<DynamicVolume> volumes;
  for (char letter : letters) {
    DynamicVolume v;
    v.letter = std::string(1, letter) + ":";
    if (auto space = sys.Space(letter)) {
      v.totalBytes = space->totalBytes;
      v.freeBytes = space->freeBytes;
    }
    if (auto details = sys.Details(letter)) {
      v.label = FieldText(details->label.data(), details->label.size(), kMaxTextBytes);
      v.fileSystem = FieldText(details->fileSystem.data(), details->fileSystem.size(), kMaxTextBytes);
    }
    volumes.push_back(std::move(v));
  }
  return volumes;
}

}  // namespace lum::disklist
