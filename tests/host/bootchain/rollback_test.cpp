// The fault matrix: every chain, every failure exit, in the first run, in a
// second run after a completed first, and in a third after a failed second.
// Afterwards the drives equal the drives before the first run, file by file
// with attributes (the run log aside), and the boot store or boot.ini is the
// one from before. The live boot store cannot be overwritten by a copy, as on
// a running Windows; the undo imports the export through the editor.
#include <gtest/gtest.h>

#include <functional>

#include "boot/bcd_editor.h"
#include "boot/ghost_boot.h"
#include "boot/rollback.h"
#include "boot/undo_journal.h"
#include "boot/zip_error.h"
#include "tests/host/boot/test_support.h"
#include "tests/host/bootchain/boot_sim.h"

namespace lum::test {
namespace {

using Lines = std::vector<std::string>;

#define G "{B3CA8E0F-B903-4D4D-BB12-69359F196E93}"

enum class Chain { XpPe, BiosPe, Uefi64, Uefi32, GhostXp, GhostVista, XpPeP2, BiosPeP2 };

// The PE chains again with the system on partition 2, behind a boot
// partition without a letter that receives copies of the loader.
Chain Base(Chain c) { return c == Chain::XpPeP2 ? Chain::XpPe : c == Chain::BiosPeP2 ? Chain::BiosPe : c; }
const Chain kEveryChain[] = {Chain::XpPe,    Chain::BiosPe,     Chain::Uefi64, Chain::Uefi32,
                             Chain::GhostXp, Chain::GhostVista, Chain::XpPeP2, Chain::BiosPeP2};

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



struct Failure {
  const char* name;
  std::vector<Chain> chains;
  std::function<void(BootSim&)> apply;  // makes the next run fail
  const char* error;                     // "" when the run stops for a quit
};

// How many editor commands have started since the failure was applied.
std::function<bool()> QuitAfterEditorCommands(BootSim& s, std::size_t n) {
  const std::size_t base = s.AllEditorCalls().size();
  return [&s, base, n] { return s.AllEditorCalls().size() >= base + n; };
}

const std::vector<Chain> kStoreChains = {Chain::BiosPe, Chain::Uefi64, Chain::Uefi32, Chain::GhostVista};
const std::vector<Chain> kPeStoreChains = {Chain::BiosPe, Chain::Uefi64, Chain::Uefi32};
const std::vector<Chain> kUefi = {Chain::Uefi64, Chain::Uefi32};
const std::vector<Chain> kPe = {Chain::XpPe, Chain::BiosPe, Chain::Uefi64, Chain::Uefi32};
const std::vector<Chain> kGhost = {Chain::GhostXp, Chain::GhostVista};
const std::vector<Chain> kAll = {Chain::XpPe, Chain::BiosPe, Chain::Uefi64, Chain::Uefi32, Chain::GhostXp,
                                 Chain::GhostVista};

const char* LoaderText(Chain c) { return c == Chain::XpPe ? "KRP模块创建失败！" : "KRP启动模块创建失败！"; }

const std::vector<Failure>& Failures() {
  static const std::vector<Failure> list = {
      {"XpLoaderMissing", {Chain::XpPe}, [](BootSim& s) { s.m.Fail("resources.Find", "gru"); }, "KRP模块创建失败！"},
      {"XpLoaderMbrMissing", {Chain::XpPe}, [](BootSim& s) { s.m.Fail("files.Write", "krppe.mbr"); },
       "KRP模块创建失败！"},
      {"MenuMissing", {Chain::XpPe, Chain::BiosPe}, [](BootSim& s) { s.m.Fail("files.Write", "MENU.LST"); },
       "启动菜单模块创建失败！"},
      {"BootIniNotChanged", {Chain::XpPe}, [](BootSim& s) { s.m.Fail("files.Write", "boot.ini"); },
       "KRP模块创建失败！"},
      {"BiosLoaderMissing", {Chain::BiosPe}, [](BootSim& s) { s.m.Fail("resources.Find", "gru"); },
       "KRP启动模块创建失败！"},
      {"ImageOfNoKnownType", kPe, NotAnImage, "映像文件类型错误！"},
      {"ConfigNotWritten", kPe, [](BootSim& s) { s.m.Fail("files.Write", "KFun.JP"); }, "系统配置1文件创建失败！"},
      {"TitleNotWritten", kPe, [](BootSim& s) { s.m.Fail("files.Write", "GFun.JP"); }, "系统配置2文件创建失败！"},
      {"ToolCannotStart", kUefi, [](BootSim& s) { s.m.Fail("processes.Start", "krpiso"); }, "Boot模块创建失败！"},
      {"PeImageDamaged", kUefi,
       [](BootSim& s) { s.m.PutFile("C:\\BOOT\\KRP8PE6F.ISO", std::string(40000, 'x')); }, "Boot模块创建失败！"},
      {"SdiMissing", kUefi, [](BootSim& s) { s.m.Fail("files.Write", "BOOT.SDI"); }, "SDI模块创建失败！"},
      {"ArchiveWithoutLoader", kGhost,
       [](BootSim& s) { s.m.AddResource("FUN", "BOOTADD", ArchiveWith({"Varnix.ima", "wvldr.mbr"})); },
       "Boot启动文件创建失败！"},
      {"ArchiveDamaged", kGhost,
       [](BootSim& s) {
         std::string a = PayloadBytes("fun", "bootadd");
         s.m.AddResource("FUN", "BOOTADD", a.substr(0, a.size() / 2));
       },
       "Boot启动文件创建失败！"},
      {"CommandFileNotWritten", kGhost, [](BootSim& s) { s.m.Fail("files.Write", "Ghost.ba_"); },
       "Boot启动文件创建失败！"},
      {"NoDevicePath", {Chain::GhostVista}, [](BootSim& s) { s.m.Fail("volumes.QueryDosDevice", "C:"); },
       "系统分区磁盘路径获取失败！"},
      // The store: the editor refuses a command, the entry is not the default
      // afterwards, the export for the undo cannot be made.
      {"EditorCommandFails", kStoreChains, [](BootSim& s) { s.m.Fail("processes.Start", "/default"); }, nullptr},
      {"ReadBackFails", kStoreChains, [](BootSim& s) { s.m.Fail("processes.RunCaptured", "/enum"); }, nullptr},
      {"StoreNotExported", kStoreChains, [](BootSim& s) { s.m.Fail("files.Write", "store.bcd"); }, nullptr},
      // The user quits while the preparation runs.
      {"QuitAtOnce", kAll, [](BootSim& s) { s.stop = [] { return true; }; }, ""},
      {"QuitAfterThreeEditorCommands", kStoreChains, [](BootSim& s) { s.stop = QuitAfterEditorCommands(s, 3); },
       ""},
  };
  return list;
}

const char* StoreFailureText(Chain c) {
  switch (Base(c)) {
    case Chain::BiosPe: return "KRP启动模块创建失败！";
    case Chain::Uefi64:
    case Chain::Uefi32: return "Boot模块创建失败！";
    default: return "Boot启动文件创建失败！";
  }
}

const char* ChainName(Chain c) {
  switch (c) {
    case Chain::XpPe: return "XpPe";
    case Chain::BiosPe: return "BiosPe";
    case Chain::Uefi64: return "Uefi64";
    case Chain::Uefi32: return "Uefi32";
    case Chain::GhostXp: return "GhostXp";
    case Chain::GhostVista: return "GhostVista";
    case Chain::XpPeP2: return "XpPe, system on partition 2";
    case Chain::BiosPeP2: return "BiosPe, system on partition 2";
  }
  return "?";
}

bool IsGhost(Chain c) { return c == Chain::GhostXp || c == Chain::GhostVista; }
bool IsXp(Chain c) { return Base(c) == Chain::XpPe || c == Chain::GhostXp; }

void SetUpChain(BootSim& s, Chain c) {
  if (IsXp(c)) s.UseXp();
  else s.LockLiveStore();
  if (c == Chain::Uefi32) s.m.UseWindows(10, 0, 10240, 0, false, "10.0.10240.16384");
  if (c == Chain::Uefi64) s.m.UseWindows(10, 0, 10240, 0, true, "10.0.10240.16384");
  if (IsGhost(c)) s.m.platform().files.Delete("C:\\BOOT\\KRP8PE6F.ISO");  // the Ghost path has no PE
  if (Base(c) != c) {
    for (char letter : {'C', 'D'}) {
      sim::DriveSpec d = s.m.Drive(letter);
      d.partition += 1;
      s.m.AddDrive(letter, d);
    }
    s.bootPartition().files["KRPPE"] = EntryState{0x27, false, "another loader, kept"};
  }
}

bool RunChain(BootSim& s, Chain c, std::string& error) {
  // As the workflow does before every preparation.
  if (!s.UndoEarlierRun()) {
    error = "<earlier run not undone>";
    return false;
  }
  return IsGhost(c) ? s.RunGhost(error) : s.RunPe(c == Chain::Uefi64 || c == Chain::Uefi32, error);
}

// Both drives, without the run log and the downloaded image (data the
// failure cases may change on purpose).
DriveState Drives(BootSim& s) {
  DriveState all;
  for (auto& [path, state] : Snapshot(s.m, "C:\\", true))
    // The log, and the PE image that the workflow copies there (some cases damage it on purpose).
    if (path != "WINDOWS\\TEMP\\ORVEKRUN.LOG" && path != "BOOT\\KRP8PE6F.ISO") all["C:\\" + path] = state;
  for (auto& [path, state] : Snapshot(s.m, "D:\\", true))
    if (path.rfind("ZQGHOST\\", 0) != 0) all["D:\\" + path] = state;
  for (auto& [path, state] : s.bootPartition().files) all["PARTITION1\\" + path] = state;
  return all;
}

std::string BootConfig(BootSim& s, Chain c) {
  return IsXp(c) ? s.m.ReadFile("C:\\boot.ini").value_or("<none>") : s.Store();
}

enum class History { First, AfterCompleted, AfterFailed };

TEST(FaultMatrix, EveryChainEveryExitEveryHistoryLeavesTheMachineAsBefore) {
  int cases = 0;
  for (const Failure& f : Failures()) {
    for (Chain c : kEveryChain) {
      if (std::find(f.chains.begin(), f.chains.end(), Base(c)) == f.chains.end()) continue;
      for (History h : {History::First, History::AfterCompleted, History::AfterFailed}) {
        SCOPED_TRACE(std::string(f.name) + " " + ChainName(c) + " " +
                     (h == History::First ? "first run" : h == History::AfterCompleted ? "after a completed run"
                                                                                      : "after a failed run"));
        ++cases;
        BootSim s;
        SetUpChain(s, c);
        const DriveState before = Drives(s);
        const std::string configBefore = BootConfig(s, c);
        std::string error;
        if (h != History::First) {
          ASSERT_TRUE(RunChain(s, c, error)) << error;
          ASSERT_NE(BootConfig(s, c), configBefore);  // armed
        }
        const int failingRuns = h == History::AfterFailed ? 2 : 1;
        for (int i = 0; i < failingRuns; ++i) {
          f.apply(s);
          error = "<not set>";
          EXPECT_FALSE(RunChain(s, c, error));
          const char* expected = f.error ? f.error : StoreFailureText(c);
          EXPECT_EQ(error, expected);
          EXPECT_EQ(s.stopped, std::string(expected).empty());
        }
        s.m.ClearFailures();
        s.stop = nullptr;
        EXPECT_EQ(Diff(before, Drives(s)), Lines{});
        EXPECT_EQ(BootConfig(s, c), configBefore);
        if (IsXp(c)) EXPECT_EQ(s.m.Attributes("C:\\boot.ini"), 0x07u);
      }
    }
  }
  std::cout << "fault matrix: " << cases << " cases\n";
}

// A completed run stays armed with its record; the next one starts from the
// machine before the first and arms it again, the same way.
TEST(FaultMatrix, SecondCompletedRunArmsFromTheOriginalState) {
  for (Chain c : kEveryChain) {
    SCOPED_TRACE(ChainName(c));
    BootSim s;
    SetUpChain(s, c);
    std::string error;
    ASSERT_TRUE(RunChain(s, c, error)) << error;
    const DriveState first = Drives(s);
    const std::string configFirst = BootConfig(s, c);
    EXPECT_TRUE(s.m.Exists("C:\\ZqUndo\\undo.lst"));
    ASSERT_TRUE(RunChain(s, c, error)) << error;
    EXPECT_EQ(Diff(first, Drives(s)), Lines{});
    EXPECT_EQ(BootConfig(s, c), configFirst);
  }
}

// The record on its own.
class Journal : public ::testing::Test {
 protected:
  BootSim s;
  UndoJournal j{s.p()};
};

TEST_F(Journal, PutsBackContentAttributesAndAbsence) {
  s.m.PutFile("C:\\keep.txt", "before");
  s.m.platform().files.SetAttributes("C:\\keep.txt", 0x07);
  ASSERT_TRUE(j.Keep("C:\\keep.txt"));
  ASSERT_TRUE(j.Keep("C:\\new.txt"));
  ASSERT_TRUE(j.KeepDirs("C:\\A\\B"));
  ASSERT_TRUE(j.Keep("C:\\keep.txt"));  // noted once: the first state counts
  s.m.platform().files.SetAttributes("C:\\keep.txt", 0x20);
  s.m.PutFile("C:\\keep.txt", "after");
  s.m.PutFile("C:\\new.txt", "ours");
  s.m.platform().files.SetAttributes("C:\\new.txt", 0x07);
  s.m.PutFile("C:\\A\\B\\x", "ours");
  ASSERT_TRUE(j.Keep("C:\\A\\B\\x"));  // noted after it was written: stays as it is now
  UndoJournal later(s.p());             // the next run reads the record from the disk
  ASSERT_TRUE(later.HasRecord());
  ASSERT_TRUE(later.Undo());
  EXPECT_EQ(s.m.ReadFile("C:\\keep.txt"), "before");
  EXPECT_EQ(s.m.Attributes("C:\\keep.txt"), 0x07u);
  EXPECT_FALSE(s.m.Exists("C:\\new.txt"));
  EXPECT_TRUE(s.m.Exists("C:\\A\\B"));  // a folder that is not empty stays
  EXPECT_FALSE(s.m.Exists("C:\\ZqUndo"));
  EXPECT_FALSE(UndoJournal(s.p()).HasRecord());
}

TEST_F(Journal, ALineCutShortByAPowerCutIsIgnored) {
  ASSERT_TRUE(j.Keep("C:\\one.txt"));
  s.m.PutFile("C:\\one.txt", "ours");
  const std::string list = s.m.ReadFile("C:\\ZqUndo\\undo.lst").value();
  s.m.PutFile("C:\\ZqUndo\\undo.lst", list + "F\t7\t2.sa");  // the copy's line never finished
  UndoJournal later(s.p());
  ASSERT_TRUE(later.Undo());
  EXPECT_FALSE(s.m.Exists("C:\\one.txt"));
}

TEST_F(Journal, AFileThatCannotBeSavedIsNotNoted) {
  s.m.PutFile("C:\\boot.ini", "x");
  s.m.Fail("files.Copy", "boot.ini");
  EXPECT_FALSE(j.Keep("C:\\boot.ini"));
  s.m.ClearFailures();
  EXPECT_TRUE(j.Undo());
  EXPECT_EQ(s.m.ReadFile("C:\\boot.ini"), "x");
}

TEST_F(Journal, TheStoreComesBackThroughTheCarriedEditorWrittenForIt) {
  s.LockLiveStore();
  const std::string editor = LocateBcdEdit(s.p());
  ASSERT_TRUE(j.KeepStore(editor));
  ASSERT_TRUE(RunBcdEdit(s.p(), editor, " /timeout 9"));
  s.m.platform().files.Delete(kCarriedEditor);
  ASSERT_TRUE(j.Undo());
  EXPECT_EQ(s.Store(), BootSim::StoreBefore());
  EXPECT_FALSE(s.m.Exists(kCarriedEditor));
  EXPECT_EQ(s.AllEditorCalls().back(), std::string(kCarriedEditor) + " /import C:\\ZqUndo\\store.bcd");
}

TEST_F(Journal, ReadBackNamesOnlyOurEntryAsDefault) {
  const std::string editor = LocateBcdEdit(s.p());
  EXPECT_FALSE(StoreDefaultIsOurs(s.p(), editor));  // the store's default is Windows 7
  for (const std::string& args : BiosPeEntryArgs("Lumora")) ASSERT_TRUE(RunBcdEdit(s.p(), editor, args));
  EXPECT_TRUE(StoreDefaultIsOurs(s.p(), editor));
  ASSERT_TRUE(RunBcdEdit(s.p(), editor, " /default {11111111-2222-3333-4444-555555555555}"));
  EXPECT_FALSE(StoreDefaultIsOurs(s.p(), editor));  // there, but not the default
}

}  // namespace
}  // namespace lum::test
