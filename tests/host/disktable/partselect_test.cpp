// The partition rules over the disk table: the integer part of a size, the
// system partition, the partition behind a letter, and the data partition.
#include <gtest/gtest.h>

#include "disktable_fixture.h"
#include "inspect/partselect.h"

using namespace lum;
using namespace lum::test;
using lum::sim::SimMachine;

namespace {

// A full row: letter, address, free, total, USB cell; the rest fixed.
DiskRow Part(const std::string& letter, const std::string& address, const std::string& free,
             const std::string& total = "100.00GB", const std::string& usb = "NOUSB",
             const std::string& style = "MBR") {
  return Row(letter, {address, "", "NTFS", style, "Primary", free, total, "0", usb});
}

TEST(SizeIntegerPart, WholeUnitsBeforeThePoint) {
  struct Case {
    std::string cell;
    std::optional<std::int64_t> units;
    int beeps;
  } cases[] = {
      {"931.51GB", 931, 0},
      {"3.00GB", 3, 0},
      {"2.99GB", 2, 0},
      {"0.08GB", 0, 0},
      {"  12.50GB", 12, 0},           // leading blanks skipped
      {".75GB", std::nullopt, 0},     // an empty first piece is dropped; "75GB" is no number
      {". .  7.1GB", 7, 0},           // so is a blank one
      {"9223372036854775807.00GB", INT64_MAX, 0},
      {"unknown", std::nullopt, 0},   // no point: not looked at
      {"12", std::nullopt, 0},
      {"", std::nullopt, 0},
      {"...", std::nullopt, 0},
      {"GB.12", std::nullopt, 1},     // the keypress filter refuses and beeps
      {"-1.00GB", std::nullopt, 1},
      {"12a.5GB", std::nullopt, 0},   // begins with a digit but is no number
      {"\b.5GB", std::nullopt, 0},    // a control character the filter lets through
      {"9223372036854775808.00GB", std::nullopt, 0},  // too large for the field
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.cell);
    SimMachine m;
    EXPECT_EQ(SizeIntegerPart(m.platform(), k.cell), k.units);
    EXPECT_EQ(m.BeepCount(), k.beeps);
  }
}

TEST(Soutsysp, LastRowOfTheSystemDriveWinsCaseIgnored) {
  SimMachine m;
  m.SetEnv("SystemDrive", "c:");
  DiskTable table = {
      Part("C:", "1:1", "1.00GB"),
      Part("D:", "1:2", "50.00GB"),
      Row("C:", {"  ", "", "NTFS"}),  // a short row is never read
      Row("C:", {"2:1", "Win10", "NTFS", "GPT", "Primary", "40.20GB", "237.47GB", "1", "USB"}),
  };
  TSysPartitioninfo sys;
  sys.SysbootLetter = "S:";
  Soutsysp(m.platform(), table, sys);
  TSysPartitioninfo want{"C:", "2:1", "Win10", "NTFS", true, "Primary", 40, 237, true, true, "S:"};
  EXPECT_EQ(sys, want);

  // No row for the system drive: the record stays as it was.
  m.SetEnv("SystemDrive", "E:");
  TSysPartitioninfo before = want;
  Soutsysp(m.platform(), table, sys);
  EXPECT_EQ(sys, before);
}

TEST(Soutsysp, TotalSizeIsTruncatedToWholeUnits) {
  // The start-up checks refuse a system partition below 3 units: 2.99GB is 2.
  for (auto [cell, units] : {std::pair{"2.99GB", 2}, {"3.00GB", 3}, {"unknown", 0}}) {
    SimMachine m;
    TSysPartitioninfo sys;
    Soutsysp(m.platform(), {Part("C:", "1:1", "1.50GB", cell)}, sys);
    EXPECT_EQ(sys.PSzie, units) << cell;
    EXPECT_EQ(sys.PFreesize, 1) << cell;
  }
}

TEST(Getpartinfos, ClearsTheAddressThenFillsFromTheMatchingRow) {
  SimMachine m;
  DiskTable table = {Part("C:", "1:1", "40.20GB"), Part("D:", "1:2", "unknown", "3.99GB")};

  TSysPartitioninfo data;
  data.PFreesize = 9;  // a size cell without integer part keeps the old value
  Getpartinfos(m.platform(), table, "d:", data);
  TSysPartitioninfo want{"D:", "1:2", "", "NTFS", false, "Primary", 9, 3, false, false, ""};
  EXPECT_EQ(data, want);

  // A letter that is not listed clears only the address.
  TSysPartitioninfo kept = want;
  kept.Pdiskid.clear();
  Getpartinfos(m.platform(), table, "X:", data);
  EXPECT_EQ(data, kept);
}

TEST(GetMaxpartition, MostWholeUnitsFreeFirstRowOnTies) {
  struct Case {
    const char* what;
    DiskTable table;
    std::string excluded;
    std::string chosen;
  } cases[] = {
      {"D: and E: tie at 120 units, F: is on USB, D: comes first",
       {Part("C:", "1:1", "40.20GB"), Part("D:", "1:2", "120.75GB"), Part("E:", "1:3", "120.10GB"),
        Part("F:", "2:1", "500.00GB", "600.00GB", "USB")},
       "C:", "D:"},
      {"the fraction does not break a tie the other way",
       {Part("C:", "1:1", "40.20GB"), Part("E:", "1:3", "120.10GB"), Part("D:", "1:2", "120.75GB")},
       "C:", "E:"},
      {"the excluded letter is compared without ASCII case",
       {Part("C:", "1:1", "400.20GB"), Part("D:", "1:2", "12.00GB")}, "c:", "D:"},
      {"an EFI row of 0.08GB wins only when nothing has a whole unit",
       {Part("C:", "1:2", "40.20GB"), Part("S:", "1:1", "0.08GB"), Part("D:", "1:3", "0.90GB")},
       "C:", "S:"},
      {"one whole unit beats it",
       {Part("C:", "1:2", "40.20GB"), Part("S:", "1:1", "0.08GB"), Part("D:", "1:3", "1.00GB")},
       "C:", "D:"},
      {"a partition without letter and free space is never a candidate",
       {Part("C:", "1:2", "40.20GB"), Part("  ", "1:1", "unknown")}, "C:", ""},
      {"a short dynamic row is never a candidate",
       {Part("C:", "1:1", "40.20GB"), Row("E:", {"  ", "", "NTFS"})}, "C:", ""},
      {"only the system partition", {Part("C:", "1:1", "40.20GB")}, "C:", ""},
      {"a USB stick is never a candidate",
       {Part("C:", "1:1", "40.20GB"), Part("F:", "2:1", "7.00GB", "8.00GB", "USB")}, "C:", ""},
      {"empty table", {}, "C:", ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    SimMachine m;
    EXPECT_EQ(GetMaxpartition(m.platform(), k.table, k.excluded), k.chosen);
  }
}

}  // namespace

// The listing tool's BitLocker mark: "FVE_" in front of the file system name,
// after the prefix of a hidden type; nowhere else.
TEST(IsBitLockerPartition, MarkAtTheFrontOfTheFileSystemCell) {
  const struct {
    const char* cell;
    bool marked;
  } cases[] = {{"FVE_NTFS", true}, {"hidden_FVE_NTFS", true}, {"fve_FAT32", true}, {"NTFS", false},
               {"hidden_NTFS", false}, {"NTFS_FVE_", false}, {"xFVE_NTFS", false}, {"", false}};
  for (const auto& c : cases) {
    TSysPartitioninfo record;
    record.PNtfs = c.cell;
    EXPECT_EQ(IsBitLockerPartition(record), c.marked) << c.cell;
  }
}
