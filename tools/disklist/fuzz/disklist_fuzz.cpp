// libFuzzer target: the whole listing over an arbitrary disk image.
// The first input byte picks the sector size and whether the disk tells its
// length; the rest is the disk. A volume
// table with a letter attached by extent, one by partition number, a free
// letter for raw EFI devices and a dynamic volume reaches every step.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "tools/disklist/disk_listing.h"

namespace {

using namespace lum::disklist;

class MemoryDisk final : public ISectorSource {
 public:
  MemoryDisk(const std::uint8_t* data, std::size_t size, std::uint32_t sectorSize, bool tellLength)
      : data_(data), size_(size), sectorSize_(sectorSize), tellLength_(tellLength) {}
  std::uint32_t SectorSize() const override { return sectorSize_; }
  std::uint64_t SectorCount() const override { return tellLength_ && sectorSize_ ? size_ / sectorSize_ : 0; }
  bool ReadSector(std::uint64_t lba, std::uint8_t* out) override {
    ++reads;
    if (sectorSize_ == 0 || lba >= size_ / sectorSize_) return false;
    std::memcpy(out, data_ + lba * sectorSize_, sectorSize_);
    return true;
  }
  static inline std::size_t reads = 0;

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::uint32_t sectorSize_;
  bool tellLength_;
};

class FuzzSystem final : public IDiskSystem {
 public:
  FuzzSystem(const std::uint8_t* data, std::size_t size, std::uint32_t sectorSize, bool tellLength)
      : data_(data), size_(size), sectorSize_(sectorSize), tellLength_(tellLength) {}
  std::unique_ptr<ISectorSource> OpenDisk(unsigned n) override {
    if (n > 1) return nullptr;  // the same image as disk 0 and disk 1
    return std::make_unique<MemoryDisk>(data_, size_, sectorSize_, tellLength_);
  }
  std::uint32_t LogicalDrives() override { return 0x3C; }  // C: D: E: F:
  unsigned DriveType(char) override { return 3; }
  std::optional<DiskExtent> FirstExtent(char letter) override {
    if (letter == 'C') return DiskExtent{0, 1048576};
    if (letter == 'F') return DiskExtent{1, 63LL * 512};
    if (letter == raw_) return DiskExtent{0, 2048LL * sectorSize_};
    return std::nullopt;
  }
  std::optional<DeviceNumber> GetDeviceNumber(char letter) override {
    if (letter == 'D') return DeviceNumber{0, 2};
    if (letter == 'E') return DeviceNumber{1, 1};
    return std::nullopt;
  }
  std::optional<VolumeSpace> Space(char letter) override {
    if (letter == 'E') return std::nullopt;
    return VolumeSpace{1ull << 33, 1ull << 31};
  }
  std::optional<VolumeDetails> Details(char) override { return VolumeDetails{"Label\tx", "NTFS"}; }
  bool RawDevicesAllowed() override { return true; }
  bool DefineRawDevice(char letter, const std::string&) override {
    raw_ = letter;
    return true;
  }
  void RemoveRawDevice(char, const std::string&) override { raw_ = 0; }
  std::vector<std::string> UnmountedDynamicVolumes(const std::vector<unsigned>&) override {
    return {"\\\\?\\Volume{1}\\"};
  }
  bool MountVolume(char, const std::string&) override { return true; }
  std::vector<RegistryValue> MountedDevices() override {
    const char data[] = "DMIO:ID:0123456789abcdef";
    return {{"\\DosDevices\\G:", 3, std::vector<std::uint8_t>(data, data + 24)}};
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::uint32_t sectorSize_;
  bool tellLength_;
  char raw_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // Bits 0 and 2 pick the sector size, unusable ones included.
  static constexpr std::uint32_t kSizes[4] = {512, 4096, 0, 520};
  const std::uint32_t sectorSize = kSizes[(data[0] & 1) | ((data[0] >> 1) & 2)];
  const bool tellLength = (data[0] & 2) != 0;
  FuzzSystem system(data + 1, size - 1, sectorSize, tellLength);
  MemoryDisk::reads = 0;
  const std::string out = RunDiskListing(system);
  // Bounded work: two disks, each at most a few hundred sector reads.
  if (MemoryDisk::reads > 2 * 1200) __builtin_trap();
  // Every line has the shape the main program parses: eight TABs in a
  // partition line, six in a dynamic volume line, no stray line breaks.
  std::size_t tabs = 0;
  for (char c : out) {
    if (c == '\r') __builtin_trap();
    if (c == '\t') ++tabs;
    if (c == '\n') {
      if (tabs != 8 && tabs != 6) __builtin_trap();
      tabs = 0;
    }
  }
  if (!out.empty() && out.back() != '\n') __builtin_trap();
  return 0;
}
