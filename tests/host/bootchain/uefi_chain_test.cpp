// The UEFI ramdisk chain on the simulated machine: the WIM taken out of the
// PE image by the ISO tool, the SDI and the EFI files of the right set, and
// the ramdisk entry made with the 17 editor commands.
#include <gtest/gtest.h>

#include "boot/pe_boot.h"
#include "tests/host/boot/chain_commands.h"
#include "tests/host/boot/test_support.h"
#include "tests/host/bootchain/boot_sim.h"

namespace lum::test {
namespace {

using Lines = std::vector<std::string>;

#define G "{B3CA8E0F-B903-4D4D-BB12-69359F196E93}"
#define RD "ramdisk=[C:]\\boot\\KRP8PE6L.WIM,{ffffffff-8d96-11de-8e71-ffffffffffff}"

Lines UefiLines(const std::string& b) { return WithEditor(b, kUefiCommands); }

const char kExtraction[] =
    "cmd /c C:\\Windows\\temp\\krpiso.krp  -silent -in C:\\BOOT\\KRP8PE6F.ISO -get /BOOT/KRP8PE6L.WIM "
    "-unattend -extract C:\\BOOT";

const char* const kEfiTargets[] = {
    "C:\\EFI\\Microsoft\\Boot\\bootmgr.efi",          "C:\\EFI\\Microsoft\\Boot\\bootmgfw.efi",
    "C:\\EFI\\Microsoft\\Boot\\memtest.efi",          "C:\\EFI\\Microsoft\\Boot\\zh-CN\\bootmgfw.efi.mui",
    "C:\\EFI\\Microsoft\\Boot\\zh-CN\\bootmgr.efi.mui", "C:\\EFI\\Microsoft\\Boot\\zh-CN\\memtest.efi.mui"};
const char* const kEfi64[] = {"BOOTMGR", "BOOTMGFW", "MEMTEST", "MUIA", "MUIB", "MUIC"};

const char kStoreAfterUefiEntry[] =
    "\xEF\xBB\xBF; Lumora boot store (text)\r\n"
    "\r\n[{bootmgr}]\r\napplication=bootmgr\r\ndisplayorder={11111111-2222-3333-4444-555555555555} " G "\r\n"
    "default=" G "\r\ntimeout=3\r\n"
    "\r\n[{11111111-2222-3333-4444-555555555555}]\r\napplication=osloader\r\ndescription=Windows 7\r\n"
    "device=partition=C:\r\npath=\\Windows\\system32\\winload.exe\r\n"
    "\r\n[" G "]\r\napplication=osloader\r\ndeviceoptions=yes\r\ndescription=Lumora\r\n"
    "ramdisksdidevice=partition=C:\r\nramdisksdipath=\\boot\\boot.sdi\r\ndevice=" RD "\r\n"
    "path=\\windows\\system32\\boot\\winload.efi\r\nlocale=zh-CN\r\ninherit={bootloadersettings}\r\n"
    "osdevice=" RD "\r\nsystemroot=\\windows\r\ndetecthal=Yes\r\nwinpe=Yes\r\ntestsigning=Yes\r\n";

class UefiChain : public ::testing::TestWithParam<bool> {};

TEST_P(UefiChain, WritesTheRightEfiSetAndTheRamdiskEntry) {
  const bool x64 = GetParam();
  BootSim s;
  s.UseWin7(x64);
  const DriveState before = Snapshot(s.m, "C:\\");
  std::string error;
  ASSERT_TRUE(s.RunPe(true, error)) << error;

  EXPECT_EQ(s.OtherStarts(), Lines{kExtraction});
  EXPECT_EQ(s.EditorCalls(), UefiLines(kCarriedEditor));
  EXPECT_EQ(Diff(before, Snapshot(s.m, "C:\\")),
            Changes({"+ BOOT\\BOOT.SDI 0x20", "+ BOOT\\KRP8PE6L.WIM 0x20", "~ BOOT\\BCD content",
                   "+ EFI\\ 0x10", "+ EFI\\MICROSOFT\\ 0x10", "+ EFI\\MICROSOFT\\BOOT\\ 0x10",
                   "+ EFI\\MICROSOFT\\BOOT\\BCD_JP 0x20", "+ EFI\\MICROSOFT\\BOOT\\BOOTMGFW.EFI 0x20",
                   "+ EFI\\MICROSOFT\\BOOT\\BOOTMGR.EFI 0x20", "+ EFI\\MICROSOFT\\BOOT\\MEMTEST.EFI 0x20",
                   "+ EFI\\MICROSOFT\\BOOT\\ZH-CN\\ 0x10", "+ EFI\\MICROSOFT\\BOOT\\ZH-CN\\BOOTMGFW.EFI.MUI 0x20",
                   "+ EFI\\MICROSOFT\\BOOT\\ZH-CN\\BOOTMGR.EFI.MUI 0x20",
                   "+ EFI\\MICROSOFT\\BOOT\\ZH-CN\\MEMTEST.EFI.MUI 0x20", "+ KFUN.JP 0x20"}));
  // The WIM as the image holds it; the tools in T are gone again.
  EXPECT_EQ(s.m.ReadFile("C:\\BOOT\\KRP8PE6L.WIM"), std::string("MSWIM\0\0\0", 8) + "PE boot image");
  EXPECT_EQ(s.m.ReadFile("C:\\BOOT\\BOOT.SDI"), PayloadBytes("bot", "efi"));
  EXPECT_EQ(s.m.ReadFile("C:\\BOOT\\BOOT.SDI")->substr(0, 8), "$SDI0001");
  for (int i = 0; i < 6; ++i) {
    const std::string name = std::string(kEfi64[i]) + (x64 ? "" : "X86");
    EXPECT_EQ(s.m.ReadFile(kEfiTargets[i]), PayloadBytes("efiset", name)) << kEfiTargets[i];
    EXPECT_NE(PayloadBytes("efiset", kEfi64[i]), PayloadBytes("efiset", std::string(kEfi64[i]) + "X86"));
  }
  EXPECT_EQ(s.m.ReadFile("C:\\EFI\\Microsoft\\Boot\\BCD_JP"), BootSim::StoreBefore());
  EXPECT_EQ(s.Store(), kStoreAfterUefiEntry);
}

INSTANTIATE_TEST_SUITE_P(Bitness, UefiChain, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Win64" : "Win32"; });

TEST(UefiChainRuns, SystemEditorStaysAndAnOldExportIsKept) {
  BootSim s;
  s.InstallSystemEditor();
  s.m.PutFile("C:\\EFI\\Microsoft\\Boot\\BCD_JP", "export of an earlier run");
  std::string error;
  ASSERT_TRUE(s.RunPe(true, error)) << error;
  Lines want = UefiLines(kSystemEditor);
  want.erase(want.begin());  // no export
  EXPECT_EQ(s.EditorCalls(), want);
  EXPECT_TRUE(s.m.Exists(kSystemEditor));
  EXPECT_EQ(s.m.ReadFile("C:\\EFI\\Microsoft\\Boot\\BCD_JP"), "export of an earlier run");
  EXPECT_EQ(s.Store(), kStoreAfterUefiEntry);
}

// A temporary folder with blanks (Windows XP's "Documents and Settings"): the
// tool's path is quoted and the command quoted once more for cmd.
TEST(UefiChainRuns, TemporaryFolderWithBlanks) {
  BootSim s;
  const std::string t = "C:\\Documents and Settings\\Admin\\Local Settings\\Temp";
  s.m.PutDir(t);
  s.m.SetEnv("temp", t);
  s.InstallSystemEditor();
  std::string error;
  ASSERT_TRUE(s.RunPe(true, error)) << error;
  EXPECT_EQ(s.OtherStarts().front(),
            "cmd /c \"\"" + t + "\\krpiso.krp\"  -silent -in C:\\BOOT\\KRP8PE6F.ISO -get /BOOT/KRP8PE6L.WIM "
            "-unattend -extract C:\\BOOT\"");
  EXPECT_TRUE(s.m.Exists("C:\\BOOT\\KRP8PE6L.WIM"));
  EXPECT_FALSE(s.m.Exists(t + "\\krpiso.krp"));
}

TEST(UefiChainRuns, AnotherSystemDriveLetterIsUsedEverywhere) {
  BootSim s;
  s.m.AddDrive('E');
  s.m.SetEnv("SystemDrive", "E:");
  PutBytes(s.m, "E:\\BOOT\\KRP8PE6F.ISO", ReadBytes(s.m, "C:\\BOOT\\KRP8PE6F.ISO"));
  std::string error;
  ASSERT_TRUE(s.RunPe(true, error)) << error;
  EXPECT_EQ(s.OtherStarts(),
            Lines{"cmd /c C:\\Windows\\temp\\krpiso.krp  -silent -in E:\\BOOT\\KRP8PE6F.ISO -get "
                  "/BOOT/KRP8PE6L.WIM -unattend -extract E:\\BOOT"});
  Lines calls = s.EditorCalls();
  ASSERT_EQ(calls.size(), 18u);
  EXPECT_EQ(calls[0], std::string(kCarriedEditor) + " /export E:\\EFI\\Microsoft\\Boot\\BCD_JP");
  EXPECT_EQ(calls[3], std::string(kCarriedEditor) + " /set " G " ramdisksdidevice partition=E:");
  EXPECT_EQ(calls[5], std::string(kCarriedEditor) + " /set " G
                      " device                  ramdisk=[E:]\\boot\\KRP8PE6L.WIM,{ffffffff-8d96-11de-8e71-ffffffffffff}");
  EXPECT_EQ(calls[10], std::string(kCarriedEditor) + " /set " G
                       " osdevice                ramdisk=[E:]\\boot\\KRP8PE6L.WIM,{ffffffff-8d96-11de-8e71-ffffffffffff}");
  EXPECT_TRUE(s.m.Exists("E:\\BOOT\\KRP8PE6L.WIM"));
  EXPECT_TRUE(s.m.Exists("E:\\EFI\\Microsoft\\Boot\\zh-CN\\memtest.efi.mui"));
  EXPECT_TRUE(s.m.Exists("E:\\KFun.JP"));
}

}  // namespace
}  // namespace lum::test
