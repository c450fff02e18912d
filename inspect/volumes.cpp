#include "inspect/volumes.h"

#include "platform/text.h"

namespace lum {

static char DriveLetter(const std::string& drive) {
  if (drive.empty()) return '\0';
  char c = drive[0];
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

static bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

std::string VolumeDevicePath(const std::string& drive) {
  return AsciiUpper("\\\\.\\" + drive.substr(0, 1) + ": ");
}

std::string GetDosDeviceName(Platform& p, const std::string& driveName) {
  return p.volumes.DosDeviceTarget(driveName);
}

bool IsUsbVolume(Platform& p, const std::string& drive) {
  char letter = DriveLetter(drive);
  if (!IsLetter(letter)) return false;
  std::optional<int> bus = p.volumes.BusType(letter);
  return bus && *bus == kBusTypeUsb;
}

int GetVolumeDiskNumber(Platform& p, const std::string& drive) {
  char letter = DriveLetter(drive);
  if (!IsLetter(letter)) return -1;
  std::optional<StorageDeviceNumber> n = p.volumes.DeviceNumber(letter);
  return n ? static_cast<int>(n->deviceNumber) : -1;
}

int GetVolumePartitionNumber(Platform& p, const std::string& drive) {
  char letter = DriveLetter(drive);
  if (!IsLetter(letter)) return -1;
  std::optional<StorageDeviceNumber> n = p.volumes.DeviceNumber(letter);
  return n ? static_cast<int>(n->partitionNumber) : -1;
}

int CountFixedVolumes(Platform& p) {
  int count = 0;
  for (char c = 'C'; c <= 'Z'; ++c) {
    std::string letter(1, c);
    if (p.volumes.DriveType(letter + ":\\") == kDriveFixed && !IsUsbVolume(p, letter) &&
        GetVolumeDiskNumber(p, letter + ":") != -1)
      ++count;
  }
  return count;
}

bool DriveExists(Platform& p, char letter) {
  return p.volumes.FreeSpace(std::string(1, letter) + ":\\").has_value();
}

std::string GetFreeDriveLetter(Platform& p) {
  for (char c = 'Z'; c >= 'A'; --c)
    if (!DriveExists(p, c)) return std::string(1, c) + ":";
  return std::string();
}

}  // namespace lum
