// The disk table read from what the listing tool's own core prints for disk
// images made by sfdisk and sgdisk: an MBR system disk with the system
// reserved partition, logical drives and a hidden NTFS; a GPT data disk with an
// EFI partition (given a raw letter), a Microsoft reserved partition and swap;
// and a USB stick. The tool's letters and volumes come from a table.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include <gtest/gtest.h>

#include "disktable_fixture.h"
#include "inspect/partselect.h"
#include "inspect/readdisk.h"
#include "tools/disklist/disk_listing.h"

using namespace lum;
using namespace lum::test;
using lum::sim::SimMachine;
namespace dl = lum::disklist;

namespace {

constexpr std::uint64_t kGiB = 1ull << 30;

// A folder of images, removed when the tests end.
class ImageDir : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char tmpl[] = "/tmp/lumora-disktable-XXXXXX";
    const char* made = mkdtemp(tmpl);
    ASSERT_NE(made, nullptr);
    dir_ = made;
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  static std::string Image(const std::string& name, std::uint64_t bytes) {
    const std::string path = dir_ + "/" + name;
    { std::ofstream create(path); }
    std::filesystem::resize_file(path, bytes);
    return path;
  }
  static void Run(const std::string& command) {
    ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
  }
  static std::string Sfdisk(const std::string& name, std::uint64_t bytes, const std::string& script) {
    const std::string path = Image(name, bytes);
    std::ofstream(path + ".txt") << script;
    Run("/usr/sbin/sfdisk --no-reread --no-tell-kernel " + path + " < " + path + ".txt");
    return path;
  }
  static std::string Sgdisk(const std::string& name, std::uint64_t bytes, const std::string& args) {
    const std::string path = Image(name, bytes);
    Run("/usr/sbin/sgdisk " + args + " " + path);
    return path;
  }
  static inline std::string dir_;
};

class ImageSource final : public dl::ISectorSource {
 public:
  explicit ImageSource(const std::string& path) : path_(path) {
    sectors_ = std::filesystem::file_size(path) / 512;
  }
  std::uint32_t SectorSize() const override { return 512; }
  std::uint64_t SectorCount() const override { return sectors_; }
  bool ReadSector(std::uint64_t lba, std::uint8_t* out) override {
    if (lba >= sectors_) return false;
    const int fd = open(path_.c_str(), O_RDONLY);
    if (fd < 0) return false;
    const ssize_t got = pread(fd, out, 512, static_cast<off_t>(lba * 512));
    close(fd);
    return got == 512;
  }

 private:
  std::string path_;
  std::uint64_t sectors_ = 0;
};

struct Volume {
  dl::DiskExtent extent;
  std::uint64_t freeBytes = 0;
  std::string label;  // in the ANSI code page, as GetVolumeInformationA gives it
  std::string fileSystem;
};

// The machine as the tool sees it: disk images, volumes by letter, and
// volumes that a raw device target leads to.
class TableDiskSystem final : public dl::IDiskSystem {
 public:
  std::map<unsigned, std::string> disks;
  std::map<char, Volume> volumes;
  std::map<std::string, Volume> rawTargets;

  std::unique_ptr<dl::ISectorSource> OpenDisk(unsigned n) override {
    auto it = disks.find(n);
    if (it == disks.end()) return nullptr;
    return std::make_unique<ImageSource>(it->second);
  }
  std::uint32_t LogicalDrives() override {
    std::uint32_t mask = 0;
    for (const auto& [letter, v] : volumes) mask |= 1u << (letter - 'A');
    for (const auto& [letter, target] : raw_) mask |= 1u << (letter - 'A');
    return mask;
  }
  unsigned DriveType(char letter) override { return Find(letter) ? 3 : 1; }
  std::optional<dl::DiskExtent> FirstExtent(char letter) override {
    const Volume* v = Find(letter);
    return v ? std::optional(v->extent) : std::nullopt;
  }
  std::optional<dl::DeviceNumber> GetDeviceNumber(char) override { return std::nullopt; }
  std::optional<dl::VolumeSpace> Space(char letter) override {
    const Volume* v = Find(letter);
    return v ? std::optional(dl::VolumeSpace{v->freeBytes * 2, v->freeBytes}) : std::nullopt;
  }
  std::optional<dl::VolumeDetails> Details(char letter) override {
    const Volume* v = Find(letter);
    return v ? std::optional(dl::VolumeDetails{v->label, v->fileSystem}) : std::nullopt;
  }
  bool RawDevicesAllowed() override { return true; }
  bool DefineRawDevice(char letter, const std::string& target) override {
    if (volumes.count(letter) || raw_.count(letter)) return false;
    raw_[letter] = target;
    return true;
  }
  void RemoveRawDevice(char letter, const std::string&) override { raw_.erase(letter); }
  std::vector<std::string> UnmountedDynamicVolumes(const std::vector<unsigned>&) override { return {}; }
  bool MountVolume(char, const std::string&) override { return false; }
  std::vector<dl::RegistryValue> MountedDevices() override { return {}; }

 private:
  const Volume* Find(char letter) const {
    if (auto raw = raw_.find(letter); raw != raw_.end()) {
      auto t = rawTargets.find(raw->second);
      return t == rawTargets.end() ? nullptr : &t->second;
    }
    auto it = volumes.find(letter);
    return it == volumes.end() ? nullptr : &it->second;
  }
  std::map<char, std::string> raw_;
};

std::vector<std::uint8_t> NtfsBootSector() {
  std::vector<std::uint8_t> s(512, 0);
  const std::uint8_t head[] = {0xEB, 0x52, 0x90, 'N', 'T', 'F', 'S', ' ', ' ', ' ', ' '};
  std::copy(std::begin(head), std::end(head), s.begin());
  s[510] = 0x55;
  s[511] = 0xAA;
  return s;
}

void WriteAt(const std::string& path, std::uint64_t offset, const std::vector<std::uint8_t>& bytes) {
  const int fd = open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)),
            static_cast<ssize_t>(bytes.size()));
  close(fd);
}

std::string Ansi(SimMachine& m, const std::string& utf8) {
  Bytes b = m.platform().codepage.ToAnsi(utf8);
  return std::string(b.begin(), b.end());
}

using ToolOutput = ImageDir;

TEST_F(ToolOutput, ImagesListedByTheToolBecomeTheTable) {
  const std::string system = Sfdisk("system.img", 62 * kGiB,
                                    "label: dos\n"
                                    "start=2048, size=204800, type=7, bootable\n"
                                    "start=206848, size=83886080, type=7\n"
                                    "start=84092928, size=45930496, type=5\n"
                                    "start=84094976, size=41943040, type=7\n"
                                    "start=126040064, size=2097152, type=17\n");
  const std::string data = Sgdisk("data.img", 53 * kGiB,
                                  "-n 1:2048:+100M -t 1:ef00 -n 2:206848:+16M -t 2:0c01 "
                                  "-n 3:239616:+50G -t 3:0700 -n 4:105097216:+2G -t 4:8200");
  WriteAt(data, 239616ull * 512, NtfsBootSector());
  const std::string stick = Sfdisk("stick.img", 8 * kGiB, "label: dos\nstart=2048, type=c\n");
  if (HasFatalFailure()) return;

  SimMachine m;
  m.AddDrive('D', {.disk = 0, .partition = 5});
  m.AddDrive('E', {.disk = 1, .partition = 3});
  m.AddDrive('F', {.disk = 2, .partition = 1, .bus = kBusTypeUsb});

  TableDiskSystem tool;
  tool.disks = {{0, system}, {1, data}, {2, stick}};
  tool.volumes['C'] = {{0, 206848ll * 512}, 41 * kGiB / 2, "Win7", "NTFS"};
  tool.volumes['D'] = {{0, 84094976ll * 512}, 25 * kGiB / 2, Ansi(m, "数据"), "NTFS"};
  tool.volumes['E'] = {{1, 239616ll * 512}, 129 * kGiB / 10, Ansi(m, "软件"), "NTFS"};
  tool.volumes['F'] = {{2, 2048ll * 512}, 7 * kGiB, Ansi(m, "U盘"), "FAT32"};
  tool.rawTargets["\\Device\\Harddisk1\\Partition1"] = {{1, 2048ll * 512}, 7 * kGiB / 100, "", "FAT32"};
  const std::string listing = dl::RunDiskListing(tool);

  m.AddResource("FUN", "RUSORT", std::string_view(kToolBytes));
  m.RegisterProgram(kToolPath, [&listing](sim::SimRun& r) {
    r.Write(listing);
    return 0;
  });
  DiskTable table;
  TSysPartitioninfo sys;
  Readdisk(m.platform(), kWorkDir, table, sys);

  EXPECT_EQ(Show(table), (std::vector<std::string>{
                             "[  ]|1:1||NTFS|MBR|Primary|unknown|0.09GB|1|NOUSB",
                             "[C:]|1:2|Win7|NTFS|MBR|Primary|20.50GB|40.00GB|0|NOUSB",
                             "[D:]|1:3|数据|NTFS|MBR|Logical|12.50GB|20.00GB|0|NOUSB",
                             "[  ]|1:4||hidden_NTFS|MBR|Logical|unknown|1.00GB|0|NOUSB",
                             "[G:]|2:1||FAT32|GPT|EFI|0.06GB|0.09GB|0|NOUSB",
                             "[E:]|2:2|软件|NTFS|GPT|Primary|12.89GB|50.00GB|0|NOUSB",
                             "[  ]|2:3||Linux_Swap|GPT|Primary|unknown|2.00GB|0|NOUSB",
                             "[F:]|3:1|U盘|FAT32|MBR|Primary|7.00GB|7.99GB|0|USB",
                         }))
      << listing;
  EXPECT_EQ(LogLines(m), std::vector<std::string>{});

  TSysPartitioninfo want{"C:", "1:2", "Win7", "NTFS", false, "Primary", 20, 40, false, false, "G:"};
  EXPECT_EQ(sys, want);

  // D: and E: both have 12 whole units free; D: comes first. The stick's 7 and
  // the EFI partition's 0 do not compete.
  EXPECT_EQ(GetMaxpartition(m.platform(), table, sys.PLetter), "D:");
  TSysPartitioninfo dataPart;
  Getpartinfos(m.platform(), table, "D:", dataPart);
  EXPECT_EQ(dataPart.Pdiskid, "1:3");
  EXPECT_EQ(dataPart.PFreesize, 12);
  EXPECT_EQ(dataPart.Ppartitontype, "Logical");
}

// Sizes a few bytes short of a whole unit read as the unit below, through the
// tool's own core, the table and the partition records; a BitLocker volume
// reaches the record with its mark.
TEST_F(ToolOutput, RecordsNeverOverstateUnitsAndKeepTheBitLockerMark) {
  constexpr std::uint64_t kMiB = 1ull << 20;
  struct Case {
    const char* what;
    std::uint64_t systemBytes, dataFreeBytes;
    bool systemBitLocker, dataBitLocker;
    std::int64_t systemUnits, dataFreeUnits;
  } cases[] = {
      {"3 GiB less 1 MiB, 4 GiB less 1 MiB free", 3 * kGiB - kMiB, 4 * kGiB - kMiB, false, false, 2, 3},
      {"exactly 3 GiB, exactly 4 GiB free", 3 * kGiB, 4 * kGiB, false, false, 3, 4},
      {"BitLocker on the system partition", 3 * kGiB, 4 * kGiB, true, false, 3, 4},
      {"BitLocker on the data partition", 3 * kGiB, 4 * kGiB, false, true, 3, 4},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::uint64_t systemSectors = c.systemBytes / 512, dataStart = 2048 + systemSectors;
    const std::string image = Sfdisk("units" + std::to_string(n++) + ".img", 16 * kGiB,
                                     "label: dos\nstart=2048, size=" + std::to_string(systemSectors) +
                                         ", type=7, bootable\nstart=" + std::to_string(dataStart) +
                                         ", size=16777216, type=7\n");
    std::vector<std::uint8_t> fve = NtfsBootSector();
    const char oem[] = "-FVE-FS-";
    std::copy(oem, oem + 8, fve.begin() + 3);
    WriteAt(image, 2048 * 512, c.systemBitLocker ? fve : NtfsBootSector());
    WriteAt(image, dataStart * 512, c.dataBitLocker ? fve : NtfsBootSector());
    if (HasFatalFailure()) return;

    TableDiskSystem tool;
    tool.disks = {{0, image}};
    tool.volumes['C'] = {{0, 2048ll * 512}, kGiB, "", "NTFS"};
    tool.volumes['D'] = {{0, static_cast<std::int64_t>(dataStart * 512)}, c.dataFreeBytes, "", "NTFS"};
    const std::string listing = dl::RunDiskListing(tool);

    SimMachine m;
    m.AddDrive('D', {.disk = 0, .partition = 2});
    m.AddResource("FUN", "RUSORT", std::string_view(kToolBytes));
    m.RegisterProgram(kToolPath, [&listing](sim::SimRun& r) {
      r.Write(listing);
      return 0;
    });
    DiskTable table;
    TSysPartitioninfo sys;
    Readdisk(m.platform(), kWorkDir, table, sys);
    TSysPartitioninfo data;
    Getpartinfos(m.platform(), table, "D:", data);
    EXPECT_EQ(sys.PSzie, c.systemUnits) << listing;
    EXPECT_EQ(data.PFreesize, c.dataFreeUnits) << listing;
    EXPECT_EQ(IsBitLockerPartition(sys), c.systemBitLocker) << listing;
    EXPECT_EQ(IsBitLockerPartition(data), c.dataBitLocker) << listing;
    EXPECT_EQ(data.PNtfs, c.dataBitLocker ? "FVE_NTFS" : "NTFS");
  }
}

}  // namespace
