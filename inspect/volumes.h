#pragma once
// Volume queries: a drive letter to its device, bus, disk and partition; the
// usable fixed volumes; a free drive letter. A drive argument is any text whose
// first character is the letter: "C", "C:" and "C:\" name the same volume.
#include <string>

#include "platform/platform.h"

namespace lum {

// "\\.\C: " as the device path format gives it (letter upper-cased).
std::string VolumeDevicePath(const std::string& drive);

// QueryDosDeviceW of "C:": the first string, e.g. "\Device\HarddiskVolume2";
// empty when the query fails.
std::string GetDosDeviceName(Platform& p, const std::string& driveName);
// True when the storage property query succeeds and reports bus type USB (7).
bool IsUsbVolume(Platform& p, const std::string& drive);
// IOCTL_STORAGE_GET_DEVICE_NUMBER's device number; -1 on failure.
int GetVolumeDiskNumber(Platform& p, const std::string& drive);
// Its partition number (1 for the first partition); -1 on failure.
int GetVolumePartitionNumber(Platform& p, const std::string& drive);
// Letters C to Z that are fixed, not on USB and answer the device-number query.
int CountFixedVolumes(Platform& p);
// Whether the root "X:\" answers a free-space query (a drive without its medium
// does not exist for this test).
bool DriveExists(Platform& p, char letter);
// The first letter from Z down to A that does not exist, plus ":"; empty when
// all 26 exist.
std::string GetFreeDriveLetter(Platform& p);

}  // namespace lum
