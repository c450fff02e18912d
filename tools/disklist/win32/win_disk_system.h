#pragma once
// The machine as the listing sees it, through the Windows ANSI calls.
#include "tools/disklist/disk_system.h"

namespace lum::disklist {

class WinDiskSystem final : public IDiskSystem {
 public:
  std::unique_ptr<ISectorSource> OpenDisk(unsigned n) override;
  std::uint32_t LogicalDrives() override;
  unsigned DriveType(char letter) override;
  std::optional<DiskExtent> FirstExtent(char letter) override;
  std::optional<DeviceNumber> GetDeviceNumber(char letter) override;
  std::optional<VolumeSpace> Space(char letter) override;
  std::optional<VolumeDetails> Details(char letter) override;
  bool RawDevicesAllowed() override;
  bool DefineRawDevice(char letter, const std::string& target) override;
  void RemoveRawDevice(char letter, const std::string& target) override;
  std::vector<std::string> UnmountedDynamicVolumes(const std::vector<unsigned>& disks) override;
  bool MountVolume(char letter, const std::string& volumeName) override;
  std::vector<RegistryValue> MountedDevices() override;
};

}  // namespace lum::disklist
