// The legacy PE chains on the simulated machine: boot.ini on Windows XP, a
// boot-sector entry in the boot store on Vista and later; the editor that is
// chosen; second runs; the loader copied to partition 1.
#include <gtest/gtest.h>

#include "boot/bcd_editor.h"
#include "boot/pe_boot.h"
#include "inspect/volumes.h"
#include "tests/host/boot/chain_commands.h"
#include "tests/host/boot/test_support.h"
#include "tests/host/bootchain/boot_sim.h"

namespace lum::test {
namespace {

using Lines = std::vector<std::string>;

#define G "{B3CA8E0F-B903-4D4D-BB12-69359F196E93}"

// The six commands of the boot-sector entry, after the export.
Lines BiosEntryLines(const std::string& b) { return WithEditor(b, kBiosPeCommands, 1); }

const char kBootIniAfter[] =
    "[boot loader]\r\n"
    "timeout=3\r\n"
    "default=C:\\KRPPE\r\n"
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" /noexecute=optin /fastdetect\r\n"
    "C:\\KRPPE=Lumora\r\n";

// The store of BootSim after the boot-sector entry was added.
const char kStoreAfterBiosEntry[] =
    "\xEF\xBB\xBF; Lumora boot store (text)\r\n"
    "\r\n[{bootmgr}]\r\napplication=bootmgr\r\ndisplayorder={11111111-2222-3333-4444-555555555555} " G "\r\n"
    "default=" G "\r\ntimeout=3\r\n"
    "\r\n[{11111111-2222-3333-4444-555555555555}]\r\napplication=osloader\r\ndescription=Windows 7\r\n"
    "device=partition=C:\r\npath=\\Windows\\system32\\winload.exe\r\n"
    "\r\n[" G "]\r\napplication=bootsector\r\ndescription=Lumora\r\npath=\\KRPPE.MBR\r\ndevice=boot\r\n";

TEST(BootEntry, IdentifierIsFixed) {
  EXPECT_STREQ(BootEntryId, G);
}

TEST(LocateBcdEditTest, PrefersTheSystemEditorThenSysnativeThenTheCarriedOne) {
  struct Case {
    const char* installed;  // editor present on the machine, or null
    const char* want;
  } cases[] = {{kSystemEditor, kSystemEditor}, {kSysnativeEditor, kSysnativeEditor}, {nullptr, kCarriedEditor}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.want);
    BootSim s;
    if (c.installed) s.InstallSystemEditor(c.installed);
    EXPECT_EQ(LocateBcdEdit(s.p()), c.want);
    // The carried editor is written only when the system has none.
    EXPECT_EQ(s.m.Exists(kCarriedEditor), c.installed == nullptr);
    if (!c.installed) {
      EXPECT_EQ(s.m.ReadFile(kCarriedEditor), PayloadBytes("fun", "bedit"));
    }
  }
}

TEST(LocateBcdEditTest, BothSystemPathsPresentTakesSystem32) {
  BootSim s;
  s.InstallSystemEditor(kSystemEditor);
  s.InstallSystemEditor(kSysnativeEditor);
  EXPECT_EQ(LocateBcdEdit(s.p()), kSystemEditor);
}

TEST(XpPeChain, WritesLoaderMenuAndBootIniEntry) {
  BootSim s;
  s.UseXp();
  const DriveState before = Snapshot(s.m, "C:\\");
  std::string error = "stale";
  ASSERT_TRUE(s.RunPe(false, error)) << error;
  EXPECT_EQ(error, "");
  EXPECT_EQ(Diff(before, Snapshot(s.m, "C:\\")),
            Changes({"+ BOOT\\GRUB\\ 0x10", "+ BOOT\\GRUB\\MENU.LST 0x20", "+ BOOT.PE 0x07",
                   "~ BOOT.INI content", "+ KFUN.JP 0x20", "+ KRPPE 0x06", "+ KRPPE.MBR 0x06"}));
  EXPECT_EQ(s.m.ReadFile("C:\\boot.ini"), kBootIniAfter);
  EXPECT_EQ(s.m.Attributes("C:\\boot.ini"), 0x07u);
  EXPECT_EQ(s.m.ReadFile("C:\\boot.pe"), BootSim::kBootIni);
  EXPECT_EQ(s.m.ReadFile("C:\\krppe"), PayloadBytes("pe", "gru"));
  EXPECT_EQ(s.m.ReadFile("C:\\krppe.mbr"), PayloadBytes("pe", "mbr"));
  const std::string menu = PayloadBytes("pe", "cda");
  EXPECT_EQ(menu.size(), 641u);
  EXPECT_EQ(s.m.ReadFile("C:\\BOOT\\GRUB\\MENU.LST"), menu);
  EXPECT_TRUE(s.m.Exists("D:\\GFun.JP"));
  EXPECT_TRUE(s.m.Started().empty());  // no editor on Windows XP
}

TEST(XpPeChain, MissingLoaderIsLoggedAndFails) {
  BootSim s;
  s.UseXp();
  s.m.Fail("resources.Find", "gru", err::ResourceNameNotFound);
  std::string error;
  EXPECT_FALSE(s.RunPe(false, error));
  EXPECT_EQ(error, "KRP模块创建失败！");
  const std::string log = s.m.ReadFile("C:\\Windows\\temp\\OrvekRun.LOG").value_or("");
  Bytes line = s.m.platform().codepage.ToAnsi("C:\\krppe释放资源失败，错误代码：1814\r\n");
  EXPECT_NE(log.find(std::string(line.begin(), line.end())), std::string::npos) << log;
}

TEST(XpPeChain, FailedVersionQueryTakesTheBootIniChain) {
  BootSim s;
  s.UseXp();
  s.m.sys.version.reset();
  std::string error;
  ASSERT_TRUE(s.RunPe(true, error)) << error;  // the firmware flag does not matter below 6
  EXPECT_EQ(s.m.ReadFile("C:\\boot.ini"), kBootIniAfter);
  EXPECT_TRUE(s.m.Started().empty());
}

TEST(XpPeChain, SecondRunKeepsBootPeAndReplacesTheEntry) {
  BootSim s;
  s.UseXp();
  std::string error;
  ASSERT_TRUE(s.RunPe(false, error)) << error;
  const DriveState first = Snapshot(s.m, "C:\\");
  ASSERT_TRUE(s.RunPe(false, error)) << error;
  EXPECT_EQ(Diff(first, Snapshot(s.m, "C:\\")), Lines{});
  EXPECT_EQ(s.m.ReadFile("C:\\boot.pe"), BootSim::kBootIni);  // the boot.ini from before the first run
  EXPECT_EQ(s.m.ReadFile("C:\\boot.ini"), kBootIniAfter);      // one C:\KRPPE line
}

TEST(XpPeChain, TitleGoesIntoBootIniWithoutQuotationMarks) {
  BootSim s;
  s.UseXp();
  std::string error;
  UndoJournal journal(s.p());
  BootRun run{journal};
  ASSERT_TRUE(PreparePeBoot(s.p(), s.ini(), run, "D:\\ZqGhost\\win7x64.gho", "x86", "5", error, false,
                            "重装 系统", "", "", ""))
      << error;
  std::string ini = s.m.ReadFile("C:\\boot.ini").value();
  Bytes ansi = s.m.platform().codepage.ToAnsi("C:\\KRPPE=重装 系统\r\n");
  EXPECT_NE(ini.find(std::string(ansi.begin(), ansi.end())), std::string::npos);
}

TEST(BiosPeChain, CarriedEditorMakesTheBootSectorEntry) {
  BootSim s;
  const DriveState before = Snapshot(s.m, "C:\\");
  std::string error;
  ASSERT_TRUE(s.RunPe(false, error)) << error;
  Lines want = {std::string(kCarriedEditor) + " /export C:\\Boot\\BCD_JP"};
  for (const std::string& l : BiosEntryLines(kCarriedEditor)) want.push_back(l);
  EXPECT_EQ(s.EditorCalls(), want);
  EXPECT_EQ(s.OtherStarts(), Lines{});
  EXPECT_EQ(Diff(before, Snapshot(s.m, "C:\\")),
            Changes({"+ BOOT\\BCD_JP 0x20", "~ BOOT\\BCD content", "+ BOOT\\GRUB\\ 0x10",
                   "+ BOOT\\GRUB\\MENU.LST 0x20", "+ KFUN.JP 0x20", "+ KRPPE 0x06", "+ KRPPE.MBR 0x06",
                   "+ WINDOWS\\TEMP\\BCDEDIT.EXE 0x20"}));  // the carried editor stays in T
  EXPECT_EQ(s.m.ReadFile("C:\\Boot\\BCD_JP"), BootSim::StoreBefore());
  EXPECT_EQ(s.Store(), kStoreAfterBiosEntry);
  EXPECT_EQ(s.m.ReadFile("C:\\krppe"), PayloadBytes("pe", "gru"));
  EXPECT_EQ(s.m.ReadFile("C:\\BOOT\\GRUB\\MENU.LST"), PayloadBytes("pe", "cda"));
}

TEST(BiosPeChain, SystemEditorOn32BitWindows7) {
  BootSim s;
  s.UseWin7(false);
  s.InstallSystemEditor();
  std::string error;
  ASSERT_TRUE(s.RunPe(false, error)) << error;
  Lines calls = s.EditorCalls();
  ASSERT_EQ(calls.size(), 7u);
  EXPECT_EQ(calls[1],
            "C:\\Windows\\system32\\bcdedit.exe /create {B3CA8E0F-B903-4D4D-BB12-69359F196E93} /d "
            "\"Lumora\" /application bootsector");
  EXPECT_FALSE(s.m.Exists(kCarriedEditor));
  EXPECT_EQ(s.Store(), kStoreAfterBiosEntry);
}

// The second run starts from the machine before the first (the workflow
// undoes the first run's changes): the same export and commands again.
TEST(BiosPeChain, SecondRunStartsFromTheOriginalStore) {
  BootSim s;
  std::string error;
  ASSERT_TRUE(s.RunPe(false, error)) << error;
  const DriveState first = Snapshot(s.m, "C:\\");
  const Lines firstCalls = s.EditorCalls();
  ASSERT_TRUE(s.UndoEarlierRun());
  EXPECT_EQ(s.Store(), BootSim::StoreBefore());
  const std::size_t before = s.EditorCalls().size();
  ASSERT_TRUE(s.RunPe(false, error)) << error;
  const Lines all = s.EditorCalls();
  Lines second(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
  EXPECT_EQ(second, firstCalls);
  EXPECT_EQ(Diff(first, Snapshot(s.m, "C:\\")), Lines{});
  EXPECT_EQ(s.m.ReadFile("C:\\Boot\\BCD_JP"), BootSim::StoreBefore());
  EXPECT_EQ(s.Store(), kStoreAfterBiosEntry);
}

class Mirror : public ::testing::Test {
 protected:
  void OnPartition(int partition) {
    sim::DriveSpec c = s.m.Drive('C');
    c.partition = partition;
    s.m.AddDrive('C', c);
    sim::DriveSpec d = s.m.Drive('D');
    d.partition = partition + 1;
    s.m.AddDrive('D', d);
  }
  BootSim s;
};

TEST_F(Mirror, SystemOnPartitionOneMapsNothing) {
  std::string error;
  ASSERT_TRUE(s.RunPe(false, error)) << error;
  EXPECT_EQ(s.bootPartition().calls, Lines{});
  EXPECT_TRUE(s.bootPartition().files.empty());
  EXPECT_EQ(s.m.Attributes("C:\\krppe"), 0x06u);
}

TEST_F(Mirror, SystemOnPartitionTwoCopiesBothFilesToPartitionOne) {
  OnPartition(2);
  std::string error;
  ASSERT_TRUE(s.RunPe(false, error)) << error;
  EXPECT_EQ(s.bootPartition().calls,
            (Lines{"define Z: \\Device\\Harddisk0\\Partition1", "remove Z:"}));
  const DriveState& p1 = s.bootPartition().files;
  ASSERT_EQ(p1.size(), 2u);
  EXPECT_EQ(p1.at("KRPPE"), (EntryState{0x20, false, PayloadBytes("pe", "gru")}));
  EXPECT_EQ(p1.at("KRPPE.MBR"), (EntryState{0x06, false, PayloadBytes("pe", "mbr")}));
  // The system drive's copy loses hidden and system; the letter is free again.
  EXPECT_EQ(s.m.Attributes("C:\\krppe"), 0x20u);
  EXPECT_EQ(s.m.Attributes("C:\\krppe.mbr"), 0x06u);
  EXPECT_EQ(s.p().volumes.DosDeviceTarget("Z:"), "");
  EXPECT_EQ(GetFreeDriveLetter(s.p()), "Z:");
}

TEST_F(Mirror, DiskNumberOfTheSystemDriveNamesTheDevice) {
  sim::DriveSpec c = s.m.Drive('C');
  c.disk = 3;
  c.partition = 2;
  s.m.AddDrive('C', c);
  s.m.PutFile("C:\\krppe", "loader");
  MirrorLoaderToPartition1(s.p());
  EXPECT_EQ(s.bootPartition().calls, (Lines{"define Z: \\Device\\Harddisk3\\Partition1", "remove Z:"}));
}

TEST_F(Mirror, NoFreeLetterDoesNothing) {
  OnPartition(2);
  for (char l = 'A'; l <= 'Z'; ++l)
    if (l != 'C' && l != 'D') s.m.AddDrive(l);
  s.m.PutFile("C:\\krppe", "loader");
  s.m.platform().files.SetAttributes("C:\\krppe", 0x06);
  MirrorLoaderToPartition1(s.p());
  EXPECT_EQ(s.bootPartition().calls, Lines{});
  EXPECT_EQ(s.m.Attributes("C:\\krppe"), 0x06u);
}

// Without a loader on the system drive no letter is even defined.
TEST_F(Mirror, UefiMachineHasNoLoaderToCopy) {
  OnPartition(3);
  std::string error;
  ASSERT_TRUE(s.RunPe(true, error)) << error;
  EXPECT_EQ(s.bootPartition().calls, Lines{});
  EXPECT_TRUE(s.bootPartition().files.empty());
}

}  // namespace
}  // namespace lum::test
