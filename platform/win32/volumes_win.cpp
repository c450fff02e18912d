#include "platform/win32/volumes_win.h"

#include "platform/win32/windows_api.h"
#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <cwchar>

#include "platform/text.h"
#include "platform/win32/wide.h"

namespace lum::win32 {
namespace {

static_assert(IOCTL_STORAGE_QUERY_PROPERTY == 0x2D1400);
static_assert(IOCTL_STORAGE_GET_DEVICE_NUMBER == 0x2D1080);
static_assert(sizeof(STORAGE_PROPERTY_QUERY) == 12, "device property query");
static_assert(sizeof(STORAGE_DEVICE_NUMBER) == 12, "device number answer");

// The answer buffer for the device descriptor: the fixed part and room for
// the vendor, product and serial strings that follow it.
constexpr DWORD kDescriptorBufferSize = 551;

// "\\.\C:" for the volume of a drive letter, opened as an existing device
// shared for reading and writing.
HANDLE OpenVolume(char letter, DWORD access) {
  std::string path = AsciiUpper(std::string("\\\\.\\") + letter + ":");
  return ::CreateFileW(Wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

}  // namespace

std::uint32_t Win32Volumes::DriveType(const std::string& root) {
  return ::GetDriveTypeW(Wide(root).c_str());
}

std::optional<int> Win32Volumes::BusType(char letter) {
  OwnedHandle dev(OpenVolume(letter, GENERIC_READ));
  if (!dev.Valid()) return std::nullopt;
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceProperty;
  query.QueryType = PropertyStandardQuery;
  alignas(STORAGE_DEVICE_DESCRIPTOR) std::uint8_t buf[kDescriptorBufferSize] = {};
  DWORD returned = 0;
  if (!::DeviceIoControl(dev.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), buf,
                         sizeof(buf), &returned, nullptr)) {
    return std::nullopt;
  }
  constexpr std::size_t kBusEnd =
      offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof(STORAGE_BUS_TYPE);
  if (returned < kBusEnd) {
    ::SetLastError(ERROR_INVALID_DATA);
    return std::nullopt;
  }
  STORAGE_DEVICE_DESCRIPTOR desc;
  std::memcpy(&desc, buf, sizeof(desc));
  return static_cast<int>(desc.BusType);
}

std::optional<StorageDeviceNumber> Win32Volumes::DeviceNumber(char letter) {
  OwnedHandle dev(OpenVolume(letter, 0));
  if (!dev.Valid()) return std::nullopt;
  STORAGE_DEVICE_NUMBER n{};
  DWORD returned = 0;
  if (!::DeviceIoControl(dev.Get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &n, sizeof(n),
                         &returned, nullptr)) {
    return std::nullopt;
  }
  return StorageDeviceNumber{n.DeviceType, n.DeviceNumber, n.PartitionNumber};
}

std::string Win32Volumes::DosDeviceTarget(const std::string& name) {
  wchar_t buf[256];
  DWORD n = ::QueryDosDeviceW(Wide(name).c_str(), buf, static_cast<DWORD>(std::size(buf)));
  if (n == 0) return {};
  return Narrow(buf, ::wcsnlen(buf, n));  // the first of the NUL-separated answers
}

bool Win32Volumes::DefineDevice(std::uint32_t flags, const std::string& name,
                                   const std::string& target) {
  std::wstring device = Wide(name), path = Wide(target);
  return ::DefineDosDeviceW(flags, device.c_str(), target.empty() ? nullptr : path.c_str()) != 0;
}

std::optional<DiskSpace> Win32Volumes::FreeSpace(const std::string& root) {
  // No "insert a disk" dialog for a drive without its medium: the query fails.
  UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
  ULARGE_INTEGER toCaller{}, total{}, totalFree{};
  BOOL ok = ::GetDiskFreeSpaceExW(Wide(root).c_str(), &toCaller, &total, &totalFree);
  {
    KeepLastError keep;
    ::SetErrorMode(oldMode);
  }
  if (!ok) return std::nullopt;
  return DiskSpace{toCaller.QuadPart, total.QuadPart, totalFree.QuadPart};
}

std::uint32_t Win32Volumes::LogicalDrives() { return ::GetLogicalDrives(); }

std::optional<VolumeInformation> Win32Volumes::Information(const std::string& root) {
  wchar_t label[MAX_PATH + 1] = {}, fs[MAX_PATH + 1] = {};
  DWORD serial = 0, maxComponent = 0, fsFlags = 0;
  if (!::GetVolumeInformationW(Wide(root).c_str(), label, MAX_PATH + 1, &serial, &maxComponent,
                               &fsFlags, fs, MAX_PATH + 1)) {
    return std::nullopt;
  }
  return VolumeInformation{Narrow(label), Narrow(fs), serial};
}

}  // namespace lum::win32
