// Every failure exit of every chain, with the rollback: afterwards the system
// drive equals the drive before except for what the rollback leaves in place
// (the menu, the extracted WIM, the EFI files, the hand-off and command
// files, the files in T) and the PE image, which it deletes. The live boot
// store cannot be overwritten by a copy, as on a running Windows; where the
// editor had changed it, the rollback restores it through the editor.
#include <gtest/gtest.h>

#include <functional>

#include "boot/ghost_boot.h"
#include "boot/rollback.h"
#include "boot/zip_error.h"
#include "tests/host/boot/test_support.h"
#include "tests/host/bootchain/boot_sim.h"

namespace lum::test {
namespace {

using Lines = std::vector<std::string>;

#define G "{B3CA8E0F-B903-4D4D-BB12-69359F196E93}"

enum class Chain { XpPe, BiosPe, Uefi, GhostXp, GhostVista };

// The restore archive with only some of its three files, zipped as the build does.
std::string ArchiveWith(const std::vector<std::string>& names) {
  TempDir dir;
  std::string cmd = "cd '" + std::string(LUMORA_PAYLOAD_BUILD_DIR) + "/standin' && zip -q -j -9 -X -P J5RT8WQ3 '" +
                    (dir.path() / "a.zip").string() + "'";
  for (const std::string& n : names) cmd += " '" + n + "'";
  if (!Shell(cmd)) throw std::runtime_error("zip failed");
  Bytes b = ReadHostFile(dir.path() / "a.zip");
  return std::string(b.begin(), b.end());
}

void NotAnImage(BootSim& s) { s.m.PutFile("D:\\ZqGhost\\win7x64.gho", "PK\x03\x04 not an image"); }

const char kLog[] = "+ WINDOWS\\TEMP\\ORVEKRUN.LOG 0x20";
const char kNoIso[] = "- BOOT\\KRP8PE6F.ISO";
const char kEditorInT[] = "+ WINDOWS\\TEMP\\BCDEDIT.EXE 0x20";
const char kToolInT[] = "+ WINDOWS\\TEMP\\KRPISO.KRP 0x20";
const char kGrub[] = "+ BOOT\\GRUB\\ 0x10";
const char kMenu[] = "+ BOOT\\GRUB\\MENU.LST 0x20";
const char kGhostFile[] = "+ GHOST.BA_ 0x20";
const char kArchiveInT[] = "+ WINDOWS\\TEMP\\~ZQRESTMP.TMP 0x20";
const Lines kEfiTree = {"+ EFI\\ 0x10",
                        "+ EFI\\MICROSOFT\\ 0x10",
                        "+ EFI\\MICROSOFT\\BOOT\\ 0x10",
                        "+ EFI\\MICROSOFT\\BOOT\\BCD 0x20",  // the export copied back beside itself
                        "+ EFI\\MICROSOFT\\BOOT\\BOOTMGFW.EFI 0x20",
                        "+ EFI\\MICROSOFT\\BOOT\\BOOTMGR.EFI 0x20",
                        "+ EFI\\MICROSOFT\\BOOT\\MEMTEST.EFI 0x20",
                        "+ EFI\\MICROSOFT\\BOOT\\ZH-CN\\ 0x10",
                        "+ EFI\\MICROSOFT\\BOOT\\ZH-CN\\BOOTMGFW.EFI.MUI 0x20",
                        "+ EFI\\MICROSOFT\\BOOT\\ZH-CN\\BOOTMGR.EFI.MUI 0x20",
                        "+ EFI\\MICROSOFT\\BOOT\\ZH-CN\\MEMTEST.EFI.MUI 0x20"};

Lines Join(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct FailureCase {
  const char* name;
  Chain chain;
  std::function<void(BootSim&)> setup;  // before the drive is recorded
  const char* error;
  Lines changes;          // of C: against the drive before
  bool storeRestored;     // the editor had changed the store and the rollback imported the export
};

const FailureCase kFailures[] = {
    {"XpLoaderMissing", Chain::XpPe, [](BootSim& s) { s.m.Fail("resources.Find", "gru"); },
     "KRP模块创建失败！", {kLog}, false},
    {"XpLoaderMbrMissing", Chain::XpPe, [](BootSim& s) { s.m.Fail("files.Write", "krppe.mbr"); },
     "KRP模块创建失败！", {kNoIso, kLog}, false},
    {"XpMenuMissing", Chain::XpPe, [](BootSim& s) { s.m.Fail("files.Write", "MENU.LST"); },
     "启动菜单模块创建失败！", {kGrub, kNoIso, kLog}, false},
    {"XpImageOfNoKnownType", Chain::XpPe, NotAnImage, "映像文件类型错误！", {kGrub, kMenu, kNoIso}, false},
    {"XpConfigNotWritten", Chain::XpPe, [](BootSim& s) { s.m.Fail("files.Write", "KFun.JP"); },
     "系统配置1文件创建失败！", {kGrub, kMenu, kNoIso}, false},
    {"XpTitleNotWritten", Chain::XpPe, [](BootSim& s) { s.m.Fail("files.Write", "GFun.JP"); },
     "系统配置2文件创建失败！", {kGrub, kMenu, kNoIso}, false},

    {"BiosLoaderMissing", Chain::BiosPe, [](BootSim& s) { s.m.Fail("files.Write", "C:\\krppe", 5, 1); },
     "KRP启动模块创建失败！", {kNoIso, kEditorInT, kLog}, false},
    {"BiosLoaderMbrMissing", Chain::BiosPe, [](BootSim& s) { s.m.Fail("files.Write", "krppe.mbr"); },
     "KRP启动模块创建失败！", {kNoIso, kEditorInT, kLog}, false},
    {"BiosMenuMissing", Chain::BiosPe, [](BootSim& s) { s.m.Fail("files.Write", "MENU.LST"); },
     "启动菜单模块创建失败！", {kGrub, kNoIso, kEditorInT, kLog}, false},
    {"BiosImageOfNoKnownType", Chain::BiosPe, NotAnImage, "映像文件类型错误！",
     {kGrub, kMenu, kNoIso, kEditorInT}, true},
    {"BiosTitleNotWritten", Chain::BiosPe, [](BootSim& s) { s.m.Fail("files.Write", "GFun.JP"); },
     "系统配置2文件创建失败！", {kGrub, kMenu, kNoIso, kEditorInT}, true},

    {"UefiToolCannotStart", Chain::Uefi, [](BootSim& s) { s.m.Fail("processes.Start", "krpiso"); },
     "Boot模块创建失败！", {kNoIso, kEditorInT, kToolInT}, false},
    {"UefiToolNotWritten", Chain::Uefi, [](BootSim& s) { s.m.Fail("resources.Find", "mak"); },
     "Boot模块创建失败！", {kNoIso, kEditorInT, kLog}, false},
    {"UefiPeImageDamaged", Chain::Uefi,
     [](BootSim& s) { s.m.PutFile("C:\\BOOT\\KRP8PE6F.ISO", std::string(40000, 'x')); },
     "Boot模块创建失败！", {kNoIso, kEditorInT, kToolInT}, false},
    {"UefiPeImageMissing", Chain::Uefi,
     [](BootSim& s) { s.m.platform().files.Delete("C:\\BOOT\\KRP8PE6F.ISO"); },
     "Boot模块创建失败！", {kEditorInT, kToolInT}, false},
    {"UefiSdiMissing", Chain::Uefi, [](BootSim& s) { s.m.Fail("files.Write", "BOOT.SDI"); },
     "SDI模块创建失败！", {"+ BOOT\\KRP8PE6L.WIM 0x20", kNoIso, kEditorInT, kLog}, false},
    {"UefiImageOfNoKnownType", Chain::Uefi, NotAnImage, "映像文件类型错误！",
     Join({"+ BOOT\\KRP8PE6L.WIM 0x20", kNoIso}, kEfiTree), true},

    {"GhostXpArchiveWithoutImage", Chain::GhostXp,
     [](BootSim& s) { s.m.AddResource("FUN", "BOOTADD", ArchiveWith({"wvldr", "wvldr.mbr"})); },
     "Boot启动文件创建失败！", {kGhostFile, kArchiveInT}, false},
    {"GhostXpArchiveWithoutLoader", Chain::GhostXp,
     [](BootSim& s) { s.m.AddResource("FUN", "BOOTADD", ArchiveWith({"Varnix.ima", "wvldr.mbr"})); },
     "Boot启动文件创建失败！", {kGhostFile, kArchiveInT}, false},
    {"GhostXpCommandFileNotWritten", Chain::GhostXp, [](BootSim& s) { s.m.Fail("files.Write", "Ghost.ba_"); },
     "Boot启动文件创建失败！", {}, false},
    {"GhostVistaArchiveWithoutBootRecord", Chain::GhostVista,
     [](BootSim& s) { s.m.AddResource("FUN", "BOOTADD", ArchiveWith({"wvldr", "Varnix.ima"})); },
     "Boot启动文件创建失败！", {kGhostFile, kArchiveInT}, false},
    {"GhostVistaNoDevicePath", Chain::GhostVista, [](BootSim& s) { s.m.Fail("volumes.QueryDosDevice", "C:"); },
     "系统分区磁盘路径获取失败！", {kGhostFile, kArchiveInT}, false},
    {"GhostVistaCommandFileNotWritten", Chain::GhostVista,
     [](BootSim& s) { s.m.Fail("files.Write", "Ghost.ba_"); }, "Boot启动文件创建失败！", {}, false},
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

bool IsGhost(Chain c) { return c == Chain::GhostXp || c == Chain::GhostVista; }
bool IsXp(Chain c) { return c == Chain::XpPe || c == Chain::GhostXp; }

class Failures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(Failures, FailWithTheTextAndRollBack) {
  const FailureCase& c = GetParam();
  BootSim s;
  if (IsXp(c.chain)) s.UseXp();
  else s.LockLiveStore();
  if (IsGhost(c.chain)) s.m.platform().files.Delete("C:\\BOOT\\KRP8PE6F.ISO");  // the Ghost path has no PE
  c.setup(s);
  const DriveState before = Snapshot(s.m, "C:\\");

  std::string error;
  bool ok = IsGhost(c.chain) ? s.RunGhost(error) : s.RunPe(c.chain == Chain::Uefi, error);
  EXPECT_FALSE(ok);
  EXPECT_EQ(error, c.error);
  EXPECT_EQ(Diff(before, Snapshot(s.m, "C:\\")), Changes(c.changes));
  if (IsXp(c.chain)) {
    EXPECT_EQ(s.m.Attributes("C:\\boot.ini"), 0x07u);
    EXPECT_TRUE(s.m.Started().empty());
  } else {
    EXPECT_EQ(s.Store(), BootSim::StoreBefore());
    Lines calls = s.EditorCalls();
    const std::string exportPath =
        c.chain == Chain::Uefi ? "C:\\EFI\\Microsoft\\Boot\\BCD_JP" : "C:\\Boot\\BCD_JP";
    const bool imported = !calls.empty() && calls.back() == std::string(kCarriedEditor) + " /import " + exportPath;
    EXPECT_EQ(imported, c.storeRestored);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryExit, Failures, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// A damaged archive raises the archive layer's error: no text, no rollback,
// the command file stays.
TEST(GhostArchive, DamagedArchiveRaisesWithoutRollback) {
  for (bool xp : {true, false}) {
    SCOPED_TRACE(xp ? "XP" : "Vista");
    BootSim s;
    if (xp) s.UseXp();
    s.m.PutFile("C:\\krppe", "left by an earlier run");
    // Cut short: the directory at the end of the archive is missing.
    std::string archive = PayloadBytes("fun", "bootadd");
    s.m.AddResource("FUN", "BOOTADD", archive.substr(0, archive.size() / 2));
    const DriveState before = Snapshot(s.m, "C:\\");
    std::string error;
    EXPECT_THROW(s.RunGhost(error), ZipError);
    EXPECT_EQ(Diff(before, Snapshot(s.m, "C:\\")), Changes({kGhostFile, kArchiveInT}));
    EXPECT_TRUE(s.EditorCalls().empty());
  }
}

// The rollback on its own.
class Rollback : public ::testing::Test {
 protected:
  void Put(const std::string& path, const std::string& content, std::uint32_t attributes = 0x20) {
    s.m.PutFile(path, content);
    s.m.platform().files.SetAttributes(path, attributes);
  }
  BootSim s;
};

TEST_F(Rollback, BothBootIniBackupsPresentTheGhostCopyWins) {
  s.UseXp();
  // Copies of a read-only boot.ini are read-only too; they go all the same.
  Put("C:\\boot.pe", "from boot.pe", 0x07);
  Put("C:\\boot.in_", "from boot.in_", 0x07);
  RollbackBootArtefacts(s.p());
  EXPECT_EQ(s.m.ReadFile("C:\\boot.ini"), "from boot.in_");
  EXPECT_EQ(s.m.Attributes("C:\\boot.ini"), 0x07u);
  EXPECT_FALSE(s.m.Exists("C:\\boot.pe"));
  EXPECT_FALSE(s.m.Exists("C:\\boot.in_"));
}

TEST_F(Rollback, OnlyBootIniPresentEndsLocked) {
  s.m.platform().files.Delete("C:\\BOOT\\KRP8PE6F.ISO");
  s.m.platform().files.Delete("C:\\Boot\\BCD");
  Put("C:\\boot.ini", "[boot loader]\r\n", 0x20);
  const DriveState before = Snapshot(s.m, "C:\\");
  RollbackBootArtefacts(s.p());
  EXPECT_EQ(Diff(before, Snapshot(s.m, "C:\\")), Lines{"~ BOOT.INI 0x20->0x07"});
  EXPECT_TRUE(s.m.Started().empty());
}

TEST_F(Rollback, EveryArtefactAtOnce) {
  for (const char* f : {"C:\\Varnix.ima", "C:\\wvldr", "C:\\wvldr.mbr", "C:\\krppe", "C:\\krppe.mbr",
                        "C:\\BOOT\\BOOT.SDI"})
    Put(f, "artefact");
  Put("C:\\Boot\\BCD_", "ghost export");
  Put("C:\\Boot\\BCD_JP", "bios export");
  Put("C:\\EFI\\Microsoft\\Boot\\BCD_JP", "uefi export");
  Put("C:\\boot.ini", "changed", 0x07);
  Put("C:\\boot.pe", "pe backup", 0x07);
  // Left in place.
  Put("C:\\BOOT\\GRUB\\MENU.LST", "menu");
  Put("C:\\BOOT\\KRP8PE6L.WIM", "wim");
  Put("C:\\KFun.JP", "k");
  Put("C:\\Ghost.ba_", "g");
  Put("C:\\Windows\\temp\\BCDEdit.exe", "editor");
  const DriveState before = Snapshot(s.m, "C:\\");
  RollbackBootArtefacts(s.p());
  EXPECT_EQ(Diff(before, Snapshot(s.m, "C:\\")),
            Changes({"~ BOOT\\BCD content", "- BOOT\\BCD_", "- BOOT\\BCD_JP", "- BOOT\\BOOT.SDI",
                   "- BOOT\\KRP8PE6F.ISO", "~ BOOT.INI content", "- BOOT.PE", "+ EFI\\MICROSOFT\\BOOT\\BCD 0x20",
                   "- EFI\\MICROSOFT\\BOOT\\BCD_JP", "- KRPPE", "- KRPPE.MBR", "- VARNIX.IMA", "- WVLDR",
                   "- WVLDR.MBR"}));
  EXPECT_EQ(s.Store(), "bios export");  // copied after the Ghost export
  EXPECT_EQ(s.m.ReadFile("C:\\EFI\\Microsoft\\Boot\\BCD"), "uefi export");
  EXPECT_EQ(s.m.ReadFile("C:\\boot.ini"), "pe backup");
  EXPECT_TRUE(s.m.Started().empty());  // the store was not changed by an editor in this run
}

TEST_F(Rollback, ChangedStoreIsImportedWithTheCarriedEditorWrittenForIt) {
  s.LockLiveStore();
  s.m.PutFile("C:\\Boot\\BCD_JP", BootSim::StoreBefore());
  s.m.PutFile("C:\\Boot\\BCD", "\xEF\xBB\xBF; Lumora boot store (text)\r\n");
  RollbackBootArtefacts(s.p(), {kCarriedEditor, "C:\\Boot\\BCD_JP"});
  EXPECT_EQ(s.EditorCalls(), Lines{std::string(kCarriedEditor) + " /import C:\\Boot\\BCD_JP"});
  EXPECT_EQ(s.Store(), BootSim::StoreBefore());
  EXPECT_FALSE(s.m.Exists(kCarriedEditor));  // written for the import, taken away again
  EXPECT_FALSE(s.m.Exists("C:\\Boot\\BCD_JP"));
}

TEST_F(Rollback, ChangedStoreWithoutExportLosesTheProgramsEntry) {
  s.InstallSystemEditor();
  RollbackBootArtefacts(s.p(), {kSystemEditor, "C:\\Boot\\BCD_"});
  EXPECT_EQ(s.EditorCalls(), Lines{std::string(kSystemEditor) + " /delete " G " /f"});
  EXPECT_TRUE(s.m.Exists(kSystemEditor));
}

}  // namespace
}  // namespace lum::test
