#pragma once
// What the listing asks of the machine besides the sectors: the disks, the
// drive letters and their volumes, raw DOS devices, and dynamic volumes.
// Windows answers on the real machine; tests answer from a table.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/disklist/sector_source.h"

namespace lum::disklist {

constexpr unsigned kDriveRemote = 4;  // GetDriveType: network drive
constexpr unsigned kDriveCdrom = 5;   // GetDriveType: optical drive

struct DiskExtent {
  std::uint32_t disk = 0;
  std::int64_t offset = 0;  // starting offset in bytes
};

struct DeviceNumber {
  std::uint32_t disk = 0;
  std::uint32_t partition = 0;
};

struct VolumeSpace {
  std::uint64_t totalBytes = 0;
  std::uint64_t freeBytes = 0;  // total free bytes of the volume
};

struct VolumeDetails {
  std::string label;
  std::string fileSystem;
};

struct RegistryValue {
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

class IDiskSystem {
 public:
  virtual ~IDiskSystem() = default;

  // Physical disk n (0 to 23); null when it does not open.
  virtual std::unique_ptr<ISectorSource> OpenDisk(unsigned n) = 0;

  // GetLogicalDrives: bit 0 is A.
  virtual std::uint32_t LogicalDrives() = 0;
  virtual unsigned DriveType(char letter) = 0;
  // The first extent of the volume behind the letter.
  virtual std::optional<DiskExtent> FirstExtent(char letter) = 0;
  virtual std::optional<DeviceNumber> GetDeviceNumber(char letter) = 0;
  virtual std::optional<VolumeSpace> Space(char letter) = 0;
  virtual std::optional<VolumeDetails> Details(char letter) = 0;

  // Whether letterless EFI partitions may be given a raw DOS device: Windows
  // 5.2 and later, or 5.1 running as a PE.
  virtual bool RawDevicesAllowed() = 0;
  virtual bool DefineRawDevice(char letter, const std::string& target) = 0;
  virtual void RemoveRawDevice(char letter, const std::string& target) = 0;

  // Volume names ("\\?\Volume{...}\") without any mount point that lie on one
  // of the given dynamic disks.
  virtual std::vector<std::string> UnmountedDynamicVolumes(const std::vector<unsigned>& disks) = 0;
  virtual bool MountVolume(char letter, const std::string& volumeName) = 0;
  // The values of HKLM\SYSTEM\MountedDevices; data longer than 24 bytes may
  // come back empty.
  virtual std::vector<RegistryValue> MountedDevices() = 0;
};

}  // namespace lum::disklist
