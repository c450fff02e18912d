#pragma once
// Disk images made by the real partitioning tools, and a machine whose drive
// letters and volumes come from a table, for the listing tests.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/disklist/disk_system.h"

namespace lum::disklist::test {

constexpr std::uint64_t kMiB = 1024ull * 1024;
constexpr std::uint64_t kGiB = 1024ull * kMiB;

// A folder of scratch images, removed at the end of the test program.
const std::string& ScratchDir();

// Runs a shell command; fails the test (and returns false) when it fails.
bool RunCommand(const std::string& command);

// A sparse image file of the given size.
std::string MakeImage(const std::string& name, std::uint64_t bytes);
// sfdisk with the given script on a new image.
std::string SfdiskImage(const std::string& name, std::uint64_t bytes, const std::string& script);
// sgdisk with the given arguments on a new image.
std::string SgdiskImage(const std::string& name, std::uint64_t bytes, const std::string& args);

void WriteBytes(const std::string& path, std::uint64_t offset, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBytes(const std::string& path, std::uint64_t offset, std::size_t n);
void PutLe32(const std::string& path, std::uint64_t offset, std::uint32_t value);
void PutLe64(const std::string& path, std::uint64_t offset, std::uint64_t value);

// Hand-written boot sectors the file system sniff recognises.
std::vector<std::uint8_t> NtfsBootSector();
std::vector<std::uint8_t> Fat32BootSector();
std::vector<std::uint8_t> Fat16BootSector();
// The first sector of a BitLocker volume: OEM id "-FVE-FS-".
std::vector<std::uint8_t> BitLockerBootSector();

// An image file read sector by sector.
class ImageDisk final : public ISectorSource {
 public:
  ImageDisk(const std::string& path, std::uint32_t sectorSize, bool tellLength = true);
  std::uint32_t SectorSize() const override { return sectorSize_; }
  std::uint64_t SectorCount() const override { return tellLength_ ? sectors_ : 0; }
  bool ReadSector(std::uint64_t lba, std::uint8_t* out) override;

  std::vector<std::uint64_t> failing;  // sectors whose reads fail
  std::size_t reads = 0;

 private:
  std::string path_;
  std::uint32_t sectorSize_;
  bool tellLength_;
  std::uint64_t sectors_ = 0;
};

struct FakeVolume {
  unsigned driveType = 3;  // DRIVE_FIXED
  std::optional<DiskExtent> extent;
  std::optional<DeviceNumber> number;
  std::optional<VolumeSpace> space;
  std::optional<VolumeDetails> details;
};

struct FakeDisk {
  std::string path;
  std::uint32_t sectorSize = 512;
  bool tellLength = true;
};

class FakeDiskSystem final : public IDiskSystem {
 public:
  std::map<unsigned, FakeDisk> disks;
  std::map<char, FakeVolume> volumes;
  // The volume a raw DOS device target leads to.
  std::map<std::string, FakeVolume> rawTargets;
  bool rawAllowed = true;
  std::vector<std::string> unmounted;  // volume names without mount point
  std::map<std::string, FakeVolume> volumeByName;  // what a mounted volume shows
  std::vector<RegistryValue> mountedDevices;

  // Recorded calls.
  std::vector<std::string> defined;  // "X: target" for every define
  std::vector<std::string> removed;
  std::vector<std::string> mounts;   // "X: name"
  std::vector<unsigned> askedDynamicDisks;

  std::unique_ptr<ISectorSource> OpenDisk(unsigned n) override;
  std::uint32_t LogicalDrives() override;
  unsigned DriveType(char letter) override;
  std::optional<DiskExtent> FirstExtent(char letter) override;
  std::optional<DeviceNumber> GetDeviceNumber(char letter) override;
  std::optional<VolumeSpace> Space(char letter) override;
  std::optional<VolumeDetails> Details(char letter) override;
  bool RawDevicesAllowed() override { return rawAllowed; }
  bool DefineRawDevice(char letter, const std::string& target) override;
  void RemoveRawDevice(char letter, const std::string& target) override;
  std::vector<std::string> UnmountedDynamicVolumes(const std::vector<unsigned>& disks) override;
  bool MountVolume(char letter, const std::string& volumeName) override;
  std::vector<RegistryValue> MountedDevices() override { return mountedDevices; }

 private:
  const FakeVolume* Find(char letter) const;
  std::map<char, std::string> rawDefined_;
};

// The listing split into its lines (each without its line break).
std::vector<std::string> Lines(const std::string& text);

}  // namespace lum::disklist::test
