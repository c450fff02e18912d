#pragma once
// Volumes and disk devices: drive types, device queries through
// DeviceIoControl, DOS device names, free space and labels.
#include "platform/win32/windows_api.h"  // first: see there
#include "platform/platform.h"

namespace lum::win32 {

class Win32Volumes final : public IVolumes {
 public:
  std::uint32_t DriveType(const std::string& root) override;
  std::optional<int> BusType(char letter) override;
  std::optional<StorageDeviceNumber> DeviceNumber(char letter) override;
  std::string DosDeviceTarget(const std::string& name) override;
  bool DefineDevice(std::uint32_t flags, const std::string& name,
                       const std::string& target) override;
  std::optional<DiskSpace> FreeSpace(const std::string& root) override;
  std::uint32_t LogicalDrives() override;
  std::optional<VolumeInformation> Information(const std::string& root) override;
};

}  // namespace lum::win32
