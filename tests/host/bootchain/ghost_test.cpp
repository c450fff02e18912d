// The Ghost restore path on the simulated machine: the command file, the
// restore environment from the encrypted archive, and the boot entry through
// boot.ini (Windows XP) or the boot store (Vista and later).
#include <gtest/gtest.h>

#include "boot/ghost_boot.h"
#include "tests/host/boot/chain_commands.h"
#include "tests/host/boot/test_support.h"
#include "tests/host/bootchain/boot_sim.h"

namespace lum::test {
namespace {

using Lines = std::vector<std::string>;

#define G "{B3CA8E0F-B903-4D4D-BB12-69359F196E93}"

struct CommandCase {
  const char* name;
  const char* password;
  const char* line;
};
const CommandCase kCommandCases[] = {
    {"NoPassword", "",
     "Ghost.exe -nousb -clone,mode=pload,src=\"1:3\\ZqGhost\\win7x64.gho:1\",dst=1:1 -fro -crcignore -sure -rb -fx"},
    {"Password", "secret",
     "Ghost.exe -nousb -clone,mode=pload,src=\"1:3\\ZqGhost\\win7x64.gho:1\",dst=1:1 -pwd=\"secret\" -fro "
     "-crcignore -sure -rb -fx"},
    {"PasswordWithLineBreakAndBlanks", "abc \r\n",
     "Ghost.exe -nousb -clone,mode=pload,src=\"1:3\\ZqGhost\\win7x64.gho:1\",dst=1:1 -pwd=\"abc\" -fro "
     "-crcignore -sure -rb -fx"},
    {"PasswordWithInnerLineBreak", " a\r\nb\t",
     "Ghost.exe -nousb -clone,mode=pload,src=\"1:3\\ZqGhost\\win7x64.gho:1\",dst=1:1 -pwd=\"ab\" -fro "
     "-crcignore -sure -rb -fx"},
};

class GhostCommand : public ::testing::TestWithParam<CommandCase> {};

TEST_P(GhostCommand, CommandFileHoldsTheLineAndRestart) {
  BootSim s;
  TGhofilesysinfo info;
  info.GhofilePath = "1:3\\ZqGhost\\win7x64.gho";
  info.GhofilesRpartition = "1";
  info.Restorepartitionid = "1:1";
  info.Runcmdline_pw = GetParam().password;
  // The switches do not follow the boolean fields.
  info.Runcmdline_nousb = info.Runcmdline_batch = true;
  EXPECT_EQ(GhostCommandLine(info), GetParam().line);
  ASSERT_TRUE(WriteGhostCommandFile(s.p(), info));
  EXPECT_EQ(s.m.ReadFile("C:\\Ghost.ba_"), std::string(GetParam().line) + "\r\nrestart\r\n");
}

INSTANTIATE_TEST_SUITE_P(Lines, GhostCommand, ::testing::ValuesIn(kCommandCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GhostCommandFile, IsWrittenInTheAnsiCodePage) {
  BootSim s;
  TGhofilesysinfo info = BootSim::WorkflowGhostInfo();
  info.GhofilePath = "1:2\\系统\\win7.gho";
  ASSERT_TRUE(WriteGhostCommandFile(s.p(), info));
  // 系统 in code page 936.
  EXPECT_EQ(s.m.ReadFile("C:\\Ghost.ba_"),
            "Ghost.exe -nousb -clone,mode=pload,src=\"1:2\\\xCF\xB5\xCD\xB3\\win7.gho:1\",dst=1:1 -fro -crcignore "
            "-sure -rb -fx\r\nrestart\r\n");
}

TEST(GhostCommandFile, CallerRecordIsNotChanged) {
  BootSim s;
  TGhofilesysinfo info = BootSim::WorkflowGhostInfo();
  info.Runcmdline_pw = " pw\r\n";
  std::string error;
  UndoJournal journal(s.p());
  BootRun run{journal};
  ASSERT_TRUE(PrepareGhostBoot(s.p(), s.ini(), run, info, "Lumora", error)) << error;
  EXPECT_EQ(info.Runcmdline_pw, " pw\r\n");
}

const char kBootIniGhost[] =
    "[boot loader]\r\n"
    "timeout=3\r\n"
    "default=C:\\wvldr\r\n"
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" /noexecute=optin /fastdetect\r\n"
    "C:\\wvldr=Lumora\r\n";

const char kWorkflowLine[] =
    "Ghost.exe -nousb -clone,mode=pload,src=\"1:2\\ZqGhost\\win7x64.gho:1\",dst=1:1 -fro -crcignore -sure -rb "
    "-fx\r\nrestart\r\n";

class GhostPath : public ::testing::Test {
 protected:
  void SetUp() override { s.m.platform().files.Delete("C:\\BOOT\\KRP8PE6F.ISO"); }  // no PE here
  BootSim s;
};

TEST_F(GhostPath, WindowsXpGetsTheBootIniEntry) {
  s.UseXp();
  const DriveState before = Snapshot(s.m, "C:\\");
  std::string error = "stale";
  ASSERT_TRUE(s.RunGhost(error)) << error;
  EXPECT_EQ(error, "");
  EXPECT_EQ(Diff(before, Snapshot(s.m, "C:\\")),
            Changes({"+ BOOT.IN_ 0x07", "~ BOOT.INI content", "+ GHOST.BA_ 0x20", "+ VARNIX.IMA 0x07",
                   "+ WINDOWS\\TEMP\\~ZQRESTMP.TMP 0x20", "+ WVLDR 0x07"}));  // no wvldr.mbr
  EXPECT_EQ(s.m.ReadFile("C:\\Ghost.ba_"), kWorkflowLine);
  EXPECT_EQ(s.m.ReadFile("C:\\boot.ini"), kBootIniGhost);
  EXPECT_EQ(s.m.Attributes("C:\\boot.ini"), 0x07u);
  EXPECT_EQ(s.m.ReadFile("C:\\boot.in_"), BootSim::kBootIni);
  EXPECT_EQ(s.m.ReadFile("C:\\wvldr"), StandinBytes("wvldr"));
  EXPECT_EQ(s.m.ReadFile("C:\\Varnix.ima"), StandinBytes("Varnix.ima"));
  EXPECT_EQ(s.m.ReadFile("C:\\Windows\\temp\\~zqrestmp.tmp"), PayloadBytes("fun", "bootadd"));
  EXPECT_TRUE(s.m.Started().empty());
}

TEST_F(GhostPath, WindowsXpSecondRunRefreshesBootIn) {
  s.UseXp();
  std::string error;
  ASSERT_TRUE(s.RunGhost(error)) << error;
  ASSERT_TRUE(s.RunGhost(error)) << error;
  EXPECT_EQ(s.m.ReadFile("C:\\boot.in_"), kBootIniGhost);  // the boot.ini the first run left
  EXPECT_EQ(s.m.ReadFile("C:\\boot.ini"), kBootIniGhost);  // one C:\wvldr line
  EXPECT_EQ(s.m.Attributes("C:\\wvldr"), 0x07u);
}

const Lines kGhostEditor = WithEditor(kCarriedEditor, kGhostCommands);

const char kStoreAfterGhostEntry[] =
    "\xEF\xBB\xBF; Lumora boot store (text)\r\n"
    "\r\n[{bootmgr}]\r\napplication=bootmgr\r\ndisplayorder={11111111-2222-3333-4444-555555555555} " G "\r\n"
    "default=" G "\r\ntimeout=3\r\n"
    "\r\n[{11111111-2222-3333-4444-555555555555}]\r\napplication=osloader\r\ndescription=Windows 7\r\n"
    "device=partition=C:\r\npath=\\Windows\\system32\\winload.exe\r\n"
    "\r\n[" G "]\r\napplication=bootsector\r\ndescription=Lumora\r\npath=\\wvldr.mbr\r\ndevice=partition=C:\r\n";

TEST_F(GhostPath, VistaAndLaterGetTheBootSectorEntry) {
  const DriveState before = Snapshot(s.m, "C:\\");
  std::string error;
  ASSERT_TRUE(s.RunGhost(error)) << error;
  EXPECT_EQ(s.EditorCalls(), kGhostEditor);
  EXPECT_EQ(Diff(before, Snapshot(s.m, "C:\\")),
            Changes({"~ BOOT\\BCD content", "+ BOOT\\BCD_ 0x20", "+ GHOST.BA_ 0x20", "+ VARNIX.IMA 0x07",
                   "+ WINDOWS\\TEMP\\~ZQRESTMP.TMP 0x20", "+ WVLDR 0x07", "+ WVLDR.MBR 0x07"}));
  EXPECT_EQ(s.m.ReadFile("C:\\Ghost.ba_"), kWorkflowLine);
  EXPECT_EQ(s.m.ReadFile("C:\\wvldr.mbr"), StandinBytes("wvldr.mbr"));
  EXPECT_EQ(s.m.ReadFile("C:\\Boot\\BCD_"), BootSim::StoreBefore());
  EXPECT_EQ(s.Store(), kStoreAfterGhostEntry);
  EXPECT_FALSE(s.m.Exists(kCarriedEditor));  // taken away again
}

TEST_F(GhostPath, VistaAndLaterSecondRunExportsAgain) {
  std::string error;
  ASSERT_TRUE(s.RunGhost(error)) << error;
  ASSERT_TRUE(s.UndoEarlierRun());  // as the workflow does first
  ASSERT_TRUE(s.RunGhost(error)) << error;
  Lines twice = kGhostEditor;
  twice.insert(twice.end(), kGhostEditor.begin(), kGhostEditor.end());
  EXPECT_EQ(s.EditorCalls(), twice);
  // Exported again from the store before the first run, never one holding our entry.
  EXPECT_EQ(s.m.ReadFile("C:\\Boot\\BCD_"), BootSim::StoreBefore());
  EXPECT_EQ(s.Store(), kStoreAfterGhostEntry);
  EXPECT_EQ(s.m.Attributes("C:\\wvldr.mbr"), 0x07u);
}

TEST_F(GhostPath, VistaSystemEditorStays) {
  s.InstallSystemEditor();
  std::string error;
  ASSERT_TRUE(s.RunGhost(error)) << error;
  ASSERT_EQ(s.EditorCalls().size(), 7u);
  EXPECT_EQ(s.EditorCalls()[0], std::string(kSystemEditor) + " /export C:\\Boot\\BCD_");
  EXPECT_TRUE(s.m.Exists(kSystemEditor));
}

}  // namespace
}  // namespace lum::test
