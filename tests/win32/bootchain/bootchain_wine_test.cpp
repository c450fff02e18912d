// The boot chains through the Win32 layer under Wine, in a prefix of their
// own: the payloads come from this program's resources, boot.ini is edited
// with WritePrivateProfileStringW, and the carried boot-store editor runs as
// a Windows program against a text store on C:. Built twice: as Windows 7
// (LUMORA_EXPECT_MAJOR 6) and as Windows XP (5, by the prefix's per-program
// version setting).
#include <gtest/gtest.h>

#include <string>

#include "boot/ghost_boot.h"
#include "boot/pe_boot.h"
#include "boot/win32/win32_profile_writer.h"
#include "inspect/sysquery.h"
#include "platform/win32/win32_machine.h"

namespace lum {
namespace {

#define G "{B3CA8E0F-B903-4D4D-BB12-69359F196E93}"

const char kStoreBefore[] =
    "\xEF\xBB\xBF; Lumora boot store (text)\r\n"
    "\r\n[{bootmgr}]\r\napplication=bootmgr\r\ndisplayorder={11111111-2222-3333-4444-555555555555}\r\n"
    "default={11111111-2222-3333-4444-555555555555}\r\ntimeout=30\r\n"
    "\r\n[{11111111-2222-3333-4444-555555555555}]\r\napplication=osloader\r\ndescription=Windows 7\r\n"
    "device=partition=C:\r\npath=\\Windows\\system32\\winload.exe\r\n";

const char kBootIni[] =
    "[boot loader]\r\n"
    "timeout=30\r\n"
    "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" /fastdetect\r\n";

class BootChainWine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetOSMajorVersion(p), static_cast<std::uint32_t>(LUMORA_EXPECT_MAJOR));
    s = p.env.Get("SystemDrive");
    t = p.env.Get("temp");
    ASSERT_EQ(s, "C:");
    ASSERT_FALSE(t.empty());
    ASSERT_FALSE(p.files.FileExists(p.env.Get("windir") + "\\system32\\bcdedit.exe"));
    // What earlier runs left on this prefix's C:.
    for (const char* f : {"\\krppe", "\\krppe.mbr", "\\boot.ini", "\\boot.pe", "\\boot.in_", "\\wvldr",
                          "\\wvldr.mbr", "\\Varnix.ima", "\\Ghost.ba_", "\\KFun.JP", "\\GFun.JP",
                          "\\Boot\\BCD", "\\Boot\\BCD_", "\\Boot\\BCD_JP", "\\BOOT\\GRUB\\MENU.LST"})
      Remove(s + f);
    for (const char* f : {"\\BCDEdit.exe", "\\~zqrestmp.tmp"}) Remove(t + f);
    p.files.DeleteTree(s + "\\ZqUndo");
    p.env.Set("LUMORA_BOOTSTORE", s + "\\Boot\\BCD");  // the editor's store, inherited by it
    ForceDirectories(p.files, s + "\\Boot");
    ForceDirectories(p.files, s + "\\ZqGhost");
    ASSERT_TRUE(p.files.Write(s + "\\Boot\\BCD", Bytes(kStoreBefore, kStoreBefore + sizeof kStoreBefore - 1)));
    ASSERT_TRUE(p.files.Write(image, Bytes{0xFE, 0xEF, 0x01, 0x00, 'g', 'h', 'o'}));
  }
  void Remove(const std::string& path) {
    p.files.SetAttributes(path, 0x20);
    p.files.Delete(path);
  }
  std::string Read(const std::string& path) {
    std::optional<Bytes> b = p.files.Read(path);
    return b ? std::string(b->begin(), b->end()) : "<missing>";
  }
  std::string Resource(const char* type, const char* name) {
    std::optional<Bytes> b = p.resources.Find(type, name);
    return b ? std::string(b->begin(), b->end()) : "<no resource>";
  }
  // Read-only, hidden and system. Wine reports every file with the archive
  // bit, whatever was set, so that bit is not compared here.
  std::uint32_t Attr(const std::string& path) { return p.files.GetAttributes(path) & 0x07; }
  void WriteBootIni() {
    ASSERT_TRUE(p.files.Write(s + "\\boot.ini", Bytes(kBootIni, kBootIni + sizeof kBootIni - 1)));
    p.files.SetAttributes(s + "\\boot.ini", 0x07);
  }
  // As the workflow runs a preparation: what earlier runs left is undone first.
  bool Pe(bool uefi, std::string& error) {
    UndoJournal journal(p);
    if (journal.HasRecord() && !journal.Undo()) return false;
    BootRun run{journal};
    return PreparePeBoot(p, ini, run, image, "x86", "5", error, uefi, "Lumora", "", "", "");
  }
  bool Ghost(std::string& error) {
    UndoJournal journal(p);
    if (journal.HasRecord() && !journal.Undo()) return false;
    BootRun run{journal};
    return PrepareGhostBoot(p, ini, run, GhostInfo(), "Lumora", error);
  }
  TGhofilesysinfo GhostInfo() {
    TGhofilesysinfo info;
    info.GhofilePath = "1:1\\ZqGhost\\win7x64.gho";
    info.GhofilesRpartition = "1";
    info.Restorepartitionid = "1:1";
    return info;
  }

  win32::Win32Machine machine;
  Platform p = machine.platform();
  Win32ProfileWriter ini;
  std::string s, t;
  const std::string image = "C:\\ZqGhost\\win7x64.gho";
};

#if LUMORA_EXPECT_MAJOR >= 6

const char kPeEntry[] =
    "\r\n[" G "]\r\napplication=bootsector\r\ndescription=Lumora\r\npath=\\KRPPE.MBR\r\ndevice=boot\r\n";
const char kGhostEntry[] =
    "\r\n[" G "]\r\napplication=bootsector\r\ndescription=Lumora\r\npath=\\wvldr.mbr\r\ndevice=partition=C:\r\n";

TEST_F(BootChainWine, PreparePeBootMakesTheBootSectorEntry) {
  std::string error;
  ASSERT_TRUE(Pe(false, error)) << error;
  EXPECT_EQ(Read(s + "\\krppe"), Resource("pe", "gru"));
  EXPECT_EQ(Read(s + "\\krppe.mbr"), Resource("pe", "mbr"));
  EXPECT_EQ(Attr(s + "\\krppe"), 0x06u);
  EXPECT_EQ(Attr(s + "\\krppe.mbr"), 0x06u);
  EXPECT_EQ(Read(s + "\\BOOT\\GRUB\\MENU.LST"), Resource("pe", "cda"));
  EXPECT_EQ(Read(s + "\\BOOT\\GRUB\\MENU.LST").size(), 641u);
  // The carried editor ran for real and stays in T.
  EXPECT_EQ(Read(t + "\\BCDEdit.exe"), Resource("fun", "bedit"));
  EXPECT_EQ(Read(s + "\\Boot\\BCD_JP"), kStoreBefore);
  const std::string store = Read(s + "\\Boot\\BCD");
  EXPECT_NE(store.find(kPeEntry), std::string::npos) << store;
  EXPECT_NE(store.find("\r\ndefault=" G "\r\ntimeout=3\r\n"), std::string::npos) << store;
  EXPECT_TRUE(p.files.FileExists(s + "\\KFun.JP"));
  EXPECT_EQ(Read(s + "\\GFun.JP"), "Lumora\r\n");
}

TEST_F(BootChainWine, FailedHandoffImportsTheStoreBack) {
  ASSERT_TRUE(p.files.Write(image, Bytes{'P', 'K', 3, 4}));
  std::string error;
  EXPECT_FALSE(Pe(false, error));
  EXPECT_EQ(error, "映像文件类型错误！");
  EXPECT_EQ(Read(s + "\\Boot\\BCD"), kStoreBefore);
  EXPECT_FALSE(p.files.FileExists(s + "\\Boot\\BCD_JP"));
  EXPECT_FALSE(p.files.FileExists(s + "\\krppe"));
  EXPECT_FALSE(p.files.FileExists(s + "\\krppe.mbr"));
  EXPECT_FALSE(p.files.DirExists(s + "\\ZqUndo"));
}

TEST_F(BootChainWine, PrepareGhostBootMakesTheRestoreEntry) {
  std::string error;
  ASSERT_TRUE(Ghost(error)) << error;
  EXPECT_EQ(Read(s + "\\Ghost.ba_"),
            "Ghost.exe -nousb -clone,mode=pload,src=\"1:1\\ZqGhost\\win7x64.gho:1\",dst=1:1 -fro -crcignore "
            "-sure -rb -fx\r\nrestart\r\n");
  for (const char* f : {"\\wvldr", "\\wvldr.mbr", "\\Varnix.ima"}) {
    EXPECT_TRUE(p.files.FileExists(s + f)) << f;
    EXPECT_EQ(Attr(s + f), 0x07u) << f;
  }
  EXPECT_EQ(Read(s + "\\Boot\\BCD_"), kStoreBefore);
  const std::string store = Read(s + "\\Boot\\BCD");
  EXPECT_NE(store.find(kGhostEntry), std::string::npos) << store;
  EXPECT_NE(store.find("\r\ndefault=" G "\r\ntimeout=3\r\n"), std::string::npos) << store;
  EXPECT_FALSE(p.files.FileExists(t + "\\BCDEdit.exe"));
  EXPECT_EQ(Read(t + "\\~zqrestmp.tmp"), Resource("fun", "bootadd"));
}

#else

TEST_F(BootChainWine, PreparePeBootEditsBootIni) {
  WriteBootIni();
  std::string error;
  ASSERT_TRUE(Pe(true, error)) << error;
  EXPECT_EQ(Read(s + "\\boot.ini"),
            "[boot loader]\r\ntimeout=3\r\ndefault=C:\\KRPPE\r\n[operating systems]\r\n"
            "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" /fastdetect\r\n"
            "C:\\KRPPE=Lumora\r\n");
  EXPECT_EQ(Attr(s + "\\boot.ini"), 0x07u);
  EXPECT_EQ(Read(s + "\\boot.pe"), kBootIni);
  EXPECT_EQ(Read(s + "\\krppe"), Resource("pe", "gru"));
  EXPECT_EQ(Attr(s + "\\krppe"), 0x06u);
  EXPECT_EQ(Attr(s + "\\krppe.mbr"), 0x06u);
  EXPECT_EQ(Read(s + "\\BOOT\\GRUB\\MENU.LST"), Resource("pe", "cda"));
  EXPECT_FALSE(p.files.FileExists(t + "\\BCDEdit.exe"));  // no editor on Windows XP
  EXPECT_EQ(Read(s + "\\Boot\\BCD"), kStoreBefore);

  // A second run keeps boot.pe and replaces the entry.
  ASSERT_TRUE(Pe(true, error)) << error;
  EXPECT_EQ(Read(s + "\\boot.pe"), kBootIni);
  const std::string bootIni = Read(s + "\\boot.ini");
  EXPECT_EQ(bootIni.find("C:\\KRPPE=Lumora"), bootIni.rfind("C:\\KRPPE=Lumora"));
}

TEST_F(BootChainWine, PrepareGhostBootEditsBootIni) {
  WriteBootIni();
  std::string error;
  ASSERT_TRUE(Ghost(error)) << error;
  EXPECT_EQ(Read(s + "\\boot.ini"),
            "[boot loader]\r\ntimeout=3\r\ndefault=C:\\wvldr\r\n[operating systems]\r\n"
            "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" /fastdetect\r\n"
            "C:\\wvldr=Lumora\r\n");
  EXPECT_EQ(Attr(s + "\\boot.ini"), 0x07u);
  EXPECT_EQ(Read(s + "\\boot.in_"), kBootIni);
  EXPECT_EQ(Attr(s + "\\wvldr"), 0x07u);
  EXPECT_EQ(Attr(s + "\\Varnix.ima"), 0x07u);
  EXPECT_FALSE(p.files.FileExists(s + "\\wvldr.mbr"));
  EXPECT_TRUE(p.files.FileExists(s + "\\Ghost.ba_"));

  // A second run starts from the boot.ini before the first: its backup never
  // holds our entry.
  const std::string first = Read(s + "\\boot.ini");
  ASSERT_TRUE(Ghost(error)) << error;
  EXPECT_EQ(Read(s + "\\boot.in_"), kBootIni);
  EXPECT_EQ(Read(s + "\\boot.ini"), first);
}

#endif

}  // namespace
}  // namespace lum
