// Reading the disk table from the listing tool's output on the simulated
// machine: the rows, the boot letter, the USB cell, short lines, and the
// paths where the tool cannot be written or run.
#include <regex>

#include <gtest/gtest.h>

#include "disktable_fixture.h"
#include "inspect/partselect.h"
#include "inspect/readdisk.h"

using namespace lum;
using namespace lum::test;
using lum::sim::SimMachine;

namespace {

// A filled record, to show what a failed read leaves alone.
TSysPartitioninfo OldRecord() {
  TSysPartitioninfo r;
  r.PLetter = "C:";
  r.Pdiskid = "9:9";
  r.PSzie = 77;
  r.SysbootLetter = "Q:";
  return r;
}

DiskTable OldTable() { return {Row("Z:", {"9:1"})}; }

TEST(Readdisk, FillsTheTableAndTheSystemRecord) {
  SimMachine m;
  m.AddDrive('F', {.disk = 1, .partition = 1, .bus = kBusTypeUsb});
  ToolRun seen;
  InstallTool(m, seen,
              "1:1\t  \t0.10GB\tunknown\tPrimary\tNTFS\t\tMBR\t1\n"
              "1:2\tC:\t59.90GB\t20.50GB\tPrimary\tNTFS\tWin7\tMBR\t0\n"
              "1:3\tD:\t200.00GB\t120.75GB\tLogical\tNTFS\t数据\tMBR\t0\n"
              "2:1\tF:\t500.00GB\t480.00GB\tPrimary\tFAT32\tU盘\tMBR\t0\n");
  DiskTable table = OldTable();
  TSysPartitioninfo sys;
  Readdisk(m.platform(), kWorkDir, table, sys);

  EXPECT_EQ(Show(table), (std::vector<std::string>{
                             "[  ]|1:1||NTFS|MBR|Primary|unknown|0.10GB|1|NOUSB",
                             "[C:]|1:2|Win7|NTFS|MBR|Primary|20.50GB|59.90GB|0|NOUSB",
                             "[D:]|1:3|数据|NTFS|MBR|Logical|120.75GB|200.00GB|0|NOUSB",
                             "[F:]|2:1|U盘|FAT32|MBR|Primary|480.00GB|500.00GB|0|USB",
                         }));
  TSysPartitioninfo want;
  want.PLetter = "C:";
  want.Pdiskid = "1:2";
  want.PLabel = "Win7";
  want.PNtfs = "NTFS";
  want.Ppartitontype = "Primary";
  want.PFreesize = 20;
  want.PSzie = 59;
  want.SysbootLetter = "C:";
  EXPECT_EQ(sys, want);

  EXPECT_EQ(seen.runs, 1);
  EXPECT_EQ(seen.commandLine, std::string(kToolPath) + " -kelvast");
  EXPECT_EQ(seen.fileDuringRun, kToolBytes);
  EXPECT_TRUE(m.Exists(kWorkDir));
  EXPECT_FALSE(m.Exists(kToolPath)) << "the tool is deleted after its run";
  EXPECT_EQ(LogLines(m), std::vector<std::string>{});
}

TEST(Readdisk, BootLetterFromSystemReservedOrEfiRowLastWins) {
  const std::string c = "1:2\tC:\t59.90GB\t20.50GB\tPrimary\tNTFS\t\tMBR\t0\n";
  const std::string cGpt = "1:3\tC:\t59.90GB\t20.50GB\tPrimary\tNTFS\t\tGPT\t0\n";
  const std::string reserved = "1:1\tS:\t0.10GB\t0.07GB\tPrimary\tNTFS\t系统保留\tMBR\t1\n";
  const std::string efi = "1:1\tG:\t0.10GB\t0.07GB\tEFI\tFAT32\t\tGPT\t0\n";
  struct Case {
    const char* what;
    std::string listing;
    std::string bootLetter;
  } cases[] = {
      {"system reserved with a letter", reserved + c, "S:"},
      {"EFI partition given a letter", efi + cGpt, "G:"},
      {"kind compared upper-cased", "1:1\tG:\t0.10GB\t0.07GB\tefi\tFAT32\t\tGPT\t0\n" + cGpt, "G:"},
      {"neither: the system letter", c, "C:"},
      {"the last qualifying row wins", efi + reserved + c, "S:"},
      {"a letterless EFI row still names its two blanks", "1:1\t  \t0.10GB\tunknown\tEFI\tFAT32\t\tGPT\t0\n" + cGpt, "  "},
      {"no system row: the empty letter", "1:1\tD:\t9.00GB\t8.00GB\tPrimary\tNTFS\t\tMBR\t0\n", ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    SimMachine m;
    ToolRun seen;
    InstallTool(m, seen, k.listing);
    DiskTable table;
    TSysPartitioninfo sys;
    Readdisk(m.platform(), kWorkDir, table, sys);
    EXPECT_EQ(sys.SysbootLetter, k.bootLetter);
  }
}

TEST(Readdisk, SystemDiskStyleDecidesGpt) {
  for (const char* style : {"GPT", "MBR"}) {
    SimMachine m;
    ToolRun seen;
    InstallTool(m, seen, std::string("1:2\tC:\t59.90GB\t20.50GB\tPrimary\tNTFS\t\t") + style + "\t0\n");
    DiskTable table;
    TSysPartitioninfo sys;
    Readdisk(m.platform(), kWorkDir, table, sys);
    EXPECT_EQ(sys.PIsGpt, std::string(style) == "GPT") << style;
    EXPECT_EQ(sys.Pdiskid, "1:2");
  }
}

TEST(Readdisk, ShortLinesKeepWhatWasFilledAndAreLogged) {
  const std::regex logged("读取磁盘列表数组越界[0-9]+");
  struct Case {
    std::string line;
    std::string row;
  } cases[] = {
      {"", "[]"},
      {"1:1", "[]"},
      {"1:1\tC:", "[C:]|1:1"},
      {"1:1\tC:\t1.00GB\t0.50GB\tPrimary\tNTFS", "[C:]|1:1"},
      {"1:1\tC:\t1.00GB\t0.50GB\tPrimary\tNTFS\tlabel", "[C:]|1:1|label|NTFS"},
      {"1:1\tC:\t1.00GB\t0.50GB\tPrimary\tNTFS\tlabel\tMBR", "[C:]|1:1|label|NTFS|MBR|Primary|0.50GB|1.00GB"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.line);
    SimMachine m;
    DiskTable table;
    std::optional<std::string> boot;
    AddDiskTableRow(m.platform(), table, k.line, boot);
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(Show(table[0]), k.row);
    const auto log = LogLines(m);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(std::regex_match(log[0], logged)) << log[0];
  }
  // Empty fields count as fields, and a tenth field is not looked at.
  SimMachine m;
  DiskTable table;
  std::optional<std::string> boot;
  AddDiskTableRow(m.platform(), table, "1:1\tC:\t\t\t\t\t\t\t\textra", boot);
  EXPECT_EQ(Show(table[0]), "[C:]|1:1||||||||NOUSB");
  EXPECT_EQ(LogLines(m), std::vector<std::string>{});
}

TEST(Readdisk, DynamicVolumeLineLeavesAThreeCellRowThatNoRuleUses) {
  SimMachine m;
  m.AddDrive('D', {.disk = 0, .partition = 3});
  m.AddDrive('E', {.disk = 1, .partition = 1});
  ToolRun seen;
  InstallTool(m, seen,
              "1:1\tC:\t59.90GB\t20.50GB\tPrimary\tNTFS\t\tMBR\t1\n"
              "1:2\tD:\t100.00GB\t10.00GB\tPrimary\tNTFS\t\tMBR\t0\n"
              "  \tE:\t500.00GB\t300.00GB\tDynamic\tNTFS\t动态卷\n");
  DiskTable table;
  TSysPartitioninfo sys;
  Readdisk(m.platform(), kWorkDir, table, sys);
  EXPECT_EQ(Show(table), (std::vector<std::string>{
                             "[C:]|1:1||NTFS|MBR|Primary|20.50GB|59.90GB|1|NOUSB",
                             "[D:]|1:2||NTFS|MBR|Primary|10.00GB|100.00GB|0|NOUSB",
                             "[E:]|  |动态卷|NTFS",
                         }));
  const auto log = LogLines(m);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_TRUE(std::regex_match(log[0], std::regex("读取磁盘列表数组越界[0-9]+"))) << log[0];

  EXPECT_EQ(GetMaxpartition(m.platform(), table, sys.PLetter), "D:");
  TSysPartitioninfo data;
  Getpartinfos(m.platform(), table, "E:", data);
  EXPECT_EQ(data, TSysPartitioninfo{}) << "a short row is never read";
}

TEST(Readdisk, EmptyOutputGivesAnEmptyTableAndRecord) {
  SimMachine m;
  ToolRun seen;
  InstallTool(m, seen, "");
  DiskTable table = OldTable();
  TSysPartitioninfo sys;
  Readdisk(m.platform(), kWorkDir, table, sys);
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(sys, TSysPartitioninfo{});
  EXPECT_EQ(seen.runs, 1);
  EXPECT_EQ(LogLines(m), std::vector<std::string>{});
}

TEST(Readdisk, WorkFolderWithABlankIsQuoted) {
  SimMachine m;
  const std::string work = "C:\\Documents and Settings\\Admin\\Local Settings\\Temp\\~SqWeRtY\\";
  const std::string tool = work + "FerroYX.exe";
  ToolRun seen;
  InstallTool(m, seen, "1:1\tC:\t59.90GB\t20.50GB\tPrimary\tNTFS\t\tMBR\t1\n", tool);
  DiskTable table;
  TSysPartitioninfo sys;
  Readdisk(m.platform(), work, table, sys);
  EXPECT_EQ(seen.commandLine, "\"" + tool + "\" -kelvast");
  EXPECT_EQ(seen.fileDuringRun, kToolBytes);
  EXPECT_EQ(table.size(), 1u);
  EXPECT_EQ(sys.Pdiskid, "1:1");
  EXPECT_FALSE(m.Exists(tool));
}

TEST(Readdisk, ToolNotWrittenLeavesTableEmptyAndRecordAlone) {
  struct Case {
    const char* what;
    std::function<void(SimMachine&)> arrange;
    std::string logged;
  } cases[] = {
      {"no resource", [](SimMachine&) {}, ""},
      {"file not written",
       [](SimMachine& m) {
         m.AddResource("FUN", "RUSORT", std::string_view(kToolBytes));
         m.Fail("files.Write", "FerroYX.exe", err::AccessDenied);
       },
       "5"},
      {"work folder not made",
       [](SimMachine& m) {
         m.AddResource("FUN", "RUSORT", std::string_view(kToolBytes));
         m.Fail("files.CreateDir", "~SqWeRtY", err::AccessDenied);
       },
       ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    SimMachine m;
    int runs = 0;
    m.RegisterProgram(kToolPath, [&runs](sim::SimRun&) { ++runs; return 0; });
    k.arrange(m);
    DiskTable table = OldTable();
    TSysPartitioninfo sys = OldRecord();
    Readdisk(m.platform(), kWorkDir, table, sys);
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(sys, OldRecord());
    EXPECT_EQ(runs, 0);
    const auto log = LogLines(m);
    ASSERT_EQ(log.size(), 1u);
    const std::string prefix = std::string(kToolPath) + "释放资源失败，错误代码：";
    EXPECT_EQ(log[0].substr(0, prefix.size()), prefix);
    if (!k.logged.empty()) {
      EXPECT_EQ(log[0], prefix + k.logged);
    }
  }
}

TEST(Readdisk, ToolNotRunIsLoggedWithTheCode) {
  struct Case {
    const char* what;
    bool failInjected;
    std::string logged;
  } cases[] = {
      {"no such program", false, "读取磁盘列表失败，错误代码：2"},
      {"process not created", true, "读取磁盘列表失败，错误代码：5"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    SimMachine m;
    m.AddResource("FUN", "RUSORT", std::string_view(kToolBytes));
    if (k.failInjected) {
      m.RegisterProgram(kToolPath, [](sim::SimRun& r) { r.Write("1:1\tC:\t1.00GB\t1.00GB\tPrimary\tNTFS\t\tMBR\t0\n"); return 0; });
      m.Fail("processes.RunCaptured", "FerroYX.exe", err::AccessDenied);
    }
    DiskTable table = OldTable();
    TSysPartitioninfo sys = OldRecord();
    Readdisk(m.platform(), kWorkDir, table, sys);
    EXPECT_TRUE(table.empty());
    TSysPartitioninfo want = OldRecord();
    want.SysbootLetter = want.PLetter;  // no boot row: the system letter
    EXPECT_EQ(sys, want);
    EXPECT_EQ(LogLines(m), std::vector<std::string>{k.logged});
    EXPECT_FALSE(m.Exists(kToolPath)) << "the tool is deleted also after a failed run";
  }
}

}  // namespace
