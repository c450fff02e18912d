#include "tools/disklist/win32/physical_disk.h"

#include <winioctl.h>

#include <cstdio>
#include <cstring>

#include "tools/disklist/disk_reader.h"

namespace lum::disklist {

std::unique_ptr<PhysicalDisk> PhysicalDisk::Open(unsigned n) {
  char name[32];
  std::snprintf(name, sizeof name, "\\\\.\\PhysicalDrive%u", n);
  HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  std::unique_ptr<PhysicalDisk> disk(new PhysicalDisk(h));
  disk->QueryGeometry();
  // A disk with an unusable sector size stays open but reads nothing.
  if (IsUsableSectorSize(disk->sectorSize_))
    disk->buffer_ = VirtualAlloc(nullptr, disk->sectorSize_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  return disk;
}

PhysicalDisk::~PhysicalDisk() {
  const DWORD saved = GetLastError();
  if (buffer_) VirtualFree(buffer_, 0, MEM_RELEASE);
  CloseHandle(handle_);
  SetLastError(saved);
}

void PhysicalDisk::QueryGeometry() {
  DISK_GEOMETRY geometry{};
  DWORD got = 0;
  if (DeviceIoControl(handle_, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, sizeof geometry, &got,
                      nullptr)) {
    sectorSize_ = geometry.BytesPerSector;
    sectorCount_ = static_cast<std::uint64_t>(geometry.Cylinders.QuadPart) * geometry.TracksPerCylinder *
                   geometry.SectorsPerTrack;
    return;
  }
  // Some disks (Wine's, for one) do not answer the geometry query but can be
  // read: take 512-byte sectors and the device length when it is known.
  sectorSize_ = 512;
  GET_LENGTH_INFORMATION length{};
  if (DeviceIoControl(handle_, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length, &got, nullptr) &&
      length.Length.QuadPart > 0) {
    sectorCount_ = static_cast<std::uint64_t>(length.Length.QuadPart) / sectorSize_;
  }
}

bool PhysicalDisk::ReadSector(std::uint64_t lba, std::uint8_t* out) {
  if (!buffer_ || sectorSize_ == 0 || lba > static_cast<std::uint64_t>(INT64_MAX) / sectorSize_) return false;
  LARGE_INTEGER offset;
  offset.QuadPart = static_cast<LONGLONG>(lba * sectorSize_);
  if (!SetFilePointerEx(handle_, offset, nullptr, FILE_BEGIN)) return false;
  DWORD got = 0;
  if (!ReadFile(handle_, buffer_, sectorSize_, &got, nullptr) || got != sectorSize_) return false;
  std::memcpy(out, buffer_, sectorSize_);
  return true;
}

}  // namespace lum::disklist
