// Drive letters, their storage answers and DOS device definitions.
#include "platform/sim/sim_parts.h"
#include "platform/text.h"

namespace lum::sim {

constexpr std::uint32_t kDddRemoveDefinition = 0x2;
constexpr std::uint32_t kFileDeviceCdRom = 2, kFileDeviceDisk = 7;

static char LetterOf(const std::string& name) {
  return name.empty() ? '\0' : AsciiUpper(name.substr(0, 1))[0];
}

static std::string DriveName(char letter) { return std::string(1, letter) + ":"; }

const SimMachine::DriveSlot* SimMachine::VolumesImpl::Find(const std::string& name) {
  auto it = m_.drives_.find(LetterOf(name));
  if (it == m_.drives_.end()) {
    m_.SetError(err::PathNotFound);
    return nullptr;
  }
  return &it->second;
}

std::uint32_t SimMachine::VolumesImpl::DriveType(const std::string& root) {
  auto it = m_.drives_.find(LetterOf(root));
  return it == m_.drives_.end() ? kDriveNoRootDir : it->second.setup.type;
}

std::optional<int> SimMachine::VolumesImpl::BusType(char letter) {
  char l = LetterOf(std::string(1, letter));
  if (m_.Failing("volumes.BusType", {DriveName(l)})) return std::nullopt;
  const DriveSlot* d = Find(std::string(1, l));
  if (!d) {
    m_.SetError(err::FileNotFound);
    return std::nullopt;
  }
  if (d->setup.bus < 0) {
    m_.SetError(err::NotSupported);
    return std::nullopt;
  }
  return d->setup.bus;
}

std::optional<StorageDeviceNumber> SimMachine::VolumesImpl::DeviceNumber(char letter) {
  char l = LetterOf(std::string(1, letter));
  if (m_.Failing("volumes.DeviceNumber", {DriveName(l)})) return std::nullopt;
  const DriveSlot* d = Find(std::string(1, l));
  if (!d) {
    m_.SetError(err::FileNotFound);
    return std::nullopt;
  }
  if (d->setup.disk < 0) {
    m_.SetError(err::NotSupported);
    return std::nullopt;
  }
  StorageDeviceNumber n;
  n.deviceType = d->setup.type == kDriveCdrom ? kFileDeviceCdRom : kFileDeviceDisk;
  n.deviceNumber = static_cast<std::uint32_t>(d->setup.disk);
  n.partitionNumber = static_cast<std::uint32_t>(d->setup.partition);
  return n;
}

std::string SimMachine::VolumesImpl::DosDeviceTarget(const std::string& name) {
  if (m_.Failing("volumes.QueryDosDevice", {name})) return std::string();
  char l = LetterOf(name);
  if (auto it = m_.dosDefinitions_.find(l); it != m_.dosDefinitions_.end()) return it->second;
  auto it = m_.drives_.find(l);
  if (it == m_.drives_.end()) {
    m_.SetError(err::FileNotFound);
    return std::string();
  }
  return it->second.setup.dosDevice;
}

bool SimMachine::VolumesImpl::DefineDevice(std::uint32_t flags, const std::string& name,
                                              const std::string& target) {
  if (m_.Failing("volumes.DefineDosDevice", {name})) return false;
  char l = LetterOf(name);
  if (flags & kDddRemoveDefinition) {
    if (!m_.dosDefinitions_.erase(l)) {
      m_.SetError(err::FileNotFound);
      return false;
    }
    return true;
  }
  // Like Wine: the name answers QueryDosDevice but the letter cannot be opened.
  m_.dosDefinitions_[l] = target;
  return true;
}

std::optional<DiskSpace> SimMachine::VolumesImpl::FreeSpace(const std::string& root) {
  if (m_.Failing("volumes.FreeSpace", {root})) return std::nullopt;
  const DriveSlot* d = Find(root);
  if (!d) return std::nullopt;
  if (!d->setup.media) {
    m_.SetError(err::NotReady);
    return std::nullopt;
  }
  return DiskSpace{d->setup.freeBytes, d->setup.totalBytes, d->setup.freeBytes};
}

std::uint32_t SimMachine::VolumesImpl::LogicalDrives() {
  std::uint32_t mask = 0;
  for (const auto& [letter, d] : m_.drives_) mask |= 1u << (letter - 'A');
  for (const auto& [letter, target] : m_.dosDefinitions_)
    if (letter >= 'A' && letter <= 'Z') mask |= 1u << (letter - 'A');
  return mask;
}

std::optional<VolumeInformation> SimMachine::VolumesImpl::Information(const std::string& root) {
  if (m_.Failing("volumes.Information", {root})) return std::nullopt;
  const DriveSlot* d = Find(root);
  if (!d) return std::nullopt;
  if (!d->setup.media) {
    m_.SetError(err::NotReady);
    return std::nullopt;
  }
  return VolumeInformation{d->setup.label, d->setup.fileSystem, d->setup.serial};
}

}  // namespace lum::sim
