#include "tools/disklist/win32/win_disk_system.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>

#include "tools/disklist/win32/physical_disk.h"

namespace lum::disklist {

namespace {

// Owns a handle and closes it without disturbing the caller's last error.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (ok()) {
      const DWORD saved = GetLastError();
      CloseHandle(h_);
      SetLastError(saved);
    }
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

std::string DevicePath(char letter) { return std::string("\\\\.\\") + letter + ":"; }
std::string RootPath(char letter) { return std::string(1, letter) + ":\\"; }
std::string DeviceName(char letter) { return std::string(1, letter) + ":"; }

// Opens a volume for queries only: no access rights are needed for the
// extent and device-number queries, and no media is touched.
HANDLE OpenForQuery(const std::string& path) {
  return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

// The first extent of a volume; ERROR_MORE_DATA is left for the caller when
// the volume spans several extents.
std::optional<DiskExtent> QueryFirstExtent(const std::string& path) {
  Handle h(OpenForQuery(path));
  if (!h.ok()) return std::nullopt;
  VOLUME_DISK_EXTENTS extents{};
  DWORD got = 0;
  if (!DeviceIoControl(h.get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, &extents, sizeof extents,
                       &got, nullptr))
    return std::nullopt;
  if (extents.NumberOfDiskExtents < 1) return std::nullopt;
  return DiskExtent{extents.Extents[0].DiskNumber, extents.Extents[0].StartingOffset.QuadPart};
}

// Labels and names are cut to the field width without splitting a
// double-byte character of the ANSI code page.
std::string CutAnsi(const char* text, std::size_t limit) {
  std::size_t n = 0;
  while (text[n] != 0) {
    const std::size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[n])) && text[n + 1] != 0 ? 2 : 1;
    if (n + step > limit) break;
    n += step;
  }
  return std::string(text, n);
}

bool IsPe() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return false;
  char value[1024] = {};
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  const LONG rc =
      RegQueryValueExA(key, "SystemStartOptions", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  value[std::min<DWORD>(size, sizeof value - 1)] = 0;
  for (char* p = value; *p; ++p)
    if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
  return std::strstr(value, "MININT") != nullptr;
}

}  // namespace

std::unique_ptr<ISectorSource> WinDiskSystem::OpenDisk(unsigned n) { return PhysicalDisk::Open(n); }

std::uint32_t WinDiskSystem::LogicalDrives() { return GetLogicalDrives(); }

unsigned WinDiskSystem::DriveType(char letter) { return GetDriveTypeA(RootPath(letter).c_str()); }

std::optional<DiskExtent> WinDiskSystem::FirstExtent(char letter) { return QueryFirstExtent(DevicePath(letter)); }

std::optional<DeviceNumber> WinDiskSystem::GetDeviceNumber(char letter) {
  Handle h(OpenForQuery(DevicePath(letter)));
  if (!h.ok()) return std::nullopt;
  STORAGE_DEVICE_NUMBER number{};
  DWORD got = 0;
  if (!DeviceIoControl(h.get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof number, &got,
                       nullptr))
    return std::nullopt;
  return DeviceNumber{number.DeviceNumber, number.PartitionNumber};
}

std::optional<VolumeSpace> WinDiskSystem::Space(char letter) {
  ULARGE_INTEGER available, total, totalFree;
  if (!GetDiskFreeSpaceExA(RootPath(letter).c_str(), &available, &total, &totalFree)) return std::nullopt;
  return VolumeSpace{total.QuadPart, totalFree.QuadPart};
}

std::optional<VolumeDetails> WinDiskSystem::Details(char letter) {
  char label[MAX_PATH + 1] = {};
  char fs[MAX_PATH + 1] = {};
  DWORD serial = 0, maxComponent = 0, flags = 0;
  if (!GetVolumeInformationA(RootPath(letter).c_str(), label, sizeof label, &serial, &maxComponent, &flags, fs,
                             sizeof fs))
    return std::nullopt;
  return VolumeDetails{CutAnsi(label, 25), CutAnsi(fs, 25)};
}

bool WinDiskSystem::RawDevicesAllowed() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
  if (info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion >= 2)) return true;
  return info.dwMajorVersion == 5 && info.dwMinorVersion == 1 && IsPe();
}

bool WinDiskSystem::DefineRawDevice(char letter, const std::string& target) {
  return DefineDosDeviceA(DDD_RAW_TARGET_PATH, DeviceName(letter).c_str(), target.c_str()) != 0;
}

void WinDiskSystem::RemoveRawDevice(char letter, const std::string& target) {
  DefineDosDeviceA(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE,
                   DeviceName(letter).c_str(), target.c_str());
}

std::vector<std::string> WinDiskSystem::UnmountedDynamicVolumes(const std::vector<unsigned>& disks) {
  std::vector<std::string> out;
  char name[MAX_PATH + 1] = {};
  HANDLE find = FindFirstVolumeA(name, sizeof name);
  if (find == INVALID_HANDLE_VALUE) return out;
  do {
    char paths[4 * MAX_PATH] = {};
    DWORD needed = 0;
    // A volume with any mount point, or whose paths do not fit, is mounted.
    if (!GetVolumePathNamesForVolumeNameA(name, paths, sizeof paths, &needed) || paths[0] != 0) continue;
    std::string device(name);
    if (!device.empty() && device.back() == '\\') device.pop_back();
    // Only volumes of the dynamic disks get a letter: a volume over several
    // extents is a dynamic one; a simple volume shows its disk.
    auto extent = QueryFirstExtent(device);
    const bool spans = !extent && GetLastError() == ERROR_MORE_DATA;
    if (spans || (extent && std::find(disks.begin(), disks.end(), extent->disk) != disks.end()))
      out.push_back(name);
  } while (FindNextVolumeA(find, name, sizeof name));
  FindVolumeClose(find);
  return out;
}

bool WinDiskSystem::MountVolume(char letter, const std::string& volumeName) {
  return SetVolumeMountPointA(RootPath(letter).c_str(), volumeName.c_str()) != 0;
}

std::vector<RegistryValue> WinDiskSystem::MountedDevices() {
  std::vector<RegistryValue> out;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\MountedDevices", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return out;
  // Bounded, in case the key keeps changing under the enumeration.
  for (DWORD i = 0; i < 65536; ++i) {
    char name[256] = {};
    DWORD nameLen = sizeof name;
    BYTE data[24] = {};
    DWORD dataLen = sizeof data;
    DWORD type = 0;
    const LONG rc = RegEnumValueA(key, i, name, &nameLen, nullptr, &type, data, &dataLen);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) continue;  // a longer name or more data: not a dynamic volume's value
    out.push_back(RegistryValue{std::string(name, nameLen), type, std::vector<std::uint8_t>(data, data + dataLen)});
  }
  RegCloseKey(key);
  return out;
}

}  // namespace lum::disklist
