#include "disk_fixtures.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace lum::disklist::test {

namespace {

struct Scratch {
  std::string dir;
  Scratch() {
    char tmpl[] = "/tmp/lumora-disklist-XXXXXX";
    const char* made = mkdtemp(tmpl);
    dir = made ? made : "/tmp";
  }
  ~Scratch() {
    std::error_code ec;
    if (dir != "/tmp") std::filesystem::remove_all(dir, ec);
  }
};

}  // namespace

const std::string& ScratchDir() {
  static Scratch scratch;
  return scratch.dir;
}

bool RunCommand(const std::string& command) {
  const int rc = std::system((command + " >/dev/null 2>&1").c_str());
  EXPECT_EQ(rc, 0) << "command failed: " << command;
  return rc == 0;
}

std::string MakeImage(const std::string& name, std::uint64_t bytes) {
  const std::string path = ScratchDir() + "/" + name;
  std::filesystem::remove(path);
  { std::ofstream create(path); }
  std::filesystem::resize_file(path, bytes);
  return path;
}

std::string SfdiskImage(const std::string& name, std::uint64_t bytes, const std::string& script) {
  const std::string path = MakeImage(name, bytes);
  const std::string scriptPath = path + ".sfdisk";
  std::ofstream(scriptPath) << script;
  RunCommand("/usr/sbin/sfdisk --no-reread --no-tell-kernel " + path + " < " + scriptPath);
  return path;
}

std::string SgdiskImage(const std::string& name, std::uint64_t bytes, const std::string& args) {
  const std::string path = MakeImage(name, bytes);
  RunCommand("/usr/sbin/sgdisk " + args + " " + path);
  return path;
}

void WriteBytes(const std::string& path, std::uint64_t offset, const std::vector<std::uint8_t>& bytes) {
  const int fd = open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0) << path;
  ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)),
            static_cast<ssize_t>(bytes.size()));
  close(fd);
}

std::vector<std::uint8_t> ReadBytes(const std::string& path, std::uint64_t offset, std::size_t n) {
  std::vector<std::uint8_t> out(n);
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0 || pread(fd, out.data(), n, static_cast<off_t>(offset)) != static_cast<ssize_t>(n)) out.clear();
  if (fd >= 0) close(fd);
  return out;
}

void PutLe32(const std::string& path, std::uint64_t offset, std::uint32_t v) {
  WriteBytes(path, offset, {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)});
}

void PutLe64(const std::string& path, std::uint64_t offset, std::uint64_t v) {
  PutLe32(path, offset, static_cast<std::uint32_t>(v));
  PutLe32(path, offset + 4, static_cast<std::uint32_t>(v >> 32));
}

namespace {

std::vector<std::uint8_t> BootSector(std::uint8_t jump, std::size_t nameOffset, const char* name) {
  std::vector<std::uint8_t> s(512, 0);
  s[0] = 0xEB;
  s[1] = jump;
  s[2] = 0x90;
  std::memcpy(&s[nameOffset], name, std::strlen(name));
  s[510] = 0x55;
  s[511] = 0xAA;
  return s;
}

}  // namespace

std::vector<std::uint8_t> NtfsBootSector() { return BootSector(0x52, 3, "NTFS    "); }
std::vector<std::uint8_t> Fat32BootSector() {
  auto s = BootSector(0x58, 82, "FAT32   ");
  std::memcpy(&s[3], "MSDOS5.0", 8);
  return s;
}
std::vector<std::uint8_t> BitLockerBootSector() {
  // The layout of Windows 7 and later: a FAT32-like jump and name field, with
  // BitLocker's OEM id in front.
  auto s = BootSector(0x58, 82, "FAT32   ");
  std::memcpy(&s[3], "-FVE-FS-", 8);
  return s;
}
std::vector<std::uint8_t> Fat16BootSector() {
  auto s = BootSector(0x3C, 54, "FAT16   ");
  std::memcpy(&s[3], "MSDOS5.0", 8);
  return s;
}

ImageDisk::ImageDisk(const std::string& path, std::uint32_t sectorSize, bool tellLength)
    : path_(path), sectorSize_(sectorSize), tellLength_(tellLength) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (!ec && sectorSize) sectors_ = size / sectorSize;
}

bool ImageDisk::ReadSector(std::uint64_t lba, std::uint8_t* out) {
  ++reads;
  for (std::uint64_t f : failing)
    if (f == lba) return false;
  if (lba >= sectors_) return false;
  const int fd = open(path_.c_str(), O_RDONLY);
  if (fd < 0) return false;
  const ssize_t got = pread(fd, out, sectorSize_, static_cast<off_t>(lba * sectorSize_));
  close(fd);
  return got == static_cast<ssize_t>(sectorSize_);
}

std::unique_ptr<ISectorSource> FakeDiskSystem::OpenDisk(unsigned n) {
  auto it = disks.find(n);
  if (it == disks.end()) return nullptr;
  return std::make_unique<ImageDisk>(it->second.path, it->second.sectorSize, it->second.tellLength);
}

std::uint32_t FakeDiskSystem::LogicalDrives() {
  std::uint32_t mask = 0;
  for (const auto& [letter, v] : volumes) mask |= 1u << (letter - 'A');
  for (const auto& [letter, target] : rawDefined_) mask |= 1u << (letter - 'A');
  return mask;
}

const FakeVolume* FakeDiskSystem::Find(char letter) const {
  if (auto raw = rawDefined_.find(letter); raw != rawDefined_.end()) {
    auto t = rawTargets.find(raw->second);
    return t == rawTargets.end() ? nullptr : &t->second;
  }
  auto it = volumes.find(letter);
  return it == volumes.end() ? nullptr : &it->second;
}

unsigned FakeDiskSystem::DriveType(char letter) {
  const FakeVolume* v = Find(letter);
  return v ? v->driveType : 1;  // DRIVE_NO_ROOT_DIR
}

std::optional<DiskExtent> FakeDiskSystem::FirstExtent(char letter) {
  const FakeVolume* v = Find(letter);
  return v ? v->extent : std::nullopt;
}

std::optional<DeviceNumber> FakeDiskSystem::GetDeviceNumber(char letter) {
  const FakeVolume* v = Find(letter);
  return v ? v->number : std::nullopt;
}

std::optional<VolumeSpace> FakeDiskSystem::Space(char letter) {
  const FakeVolume* v = Find(letter);
  return v ? v->space : std::nullopt;
}

std::optional<VolumeDetails> FakeDiskSystem::Details(char letter) {
  const FakeVolume* v = Find(letter);
  return v ? v->details : std::nullopt;
}

bool FakeDiskSystem::DefineRawDevice(char letter, const std::string& target) {
  defined.push_back(std::string(1, letter) + ": " + target);
  if (volumes.count(letter) || rawDefined_.count(letter)) return false;
  rawDefined_[letter] = target;
  return true;
}

void FakeDiskSystem::RemoveRawDevice(char letter, const std::string& target) {
  removed.push_back(std::string(1, letter) + ": " + target);
  auto it = rawDefined_.find(letter);
  if (it != rawDefined_.end() && it->second == target) rawDefined_.erase(it);
}

std::vector<std::string> FakeDiskSystem::UnmountedDynamicVolumes(const std::vector<unsigned>& dyn) {
  askedDynamicDisks = dyn;
  return unmounted;
}

bool FakeDiskSystem::MountVolume(char letter, const std::string& volumeName) {
  mounts.push_back(std::string(1, letter) + ": " + volumeName);
  auto it = volumeByName.find(volumeName);
  if (it == volumeByName.end() || volumes.count(letter)) return false;
  volumes[letter] = it->second;
  return true;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace lum::disklist::test
