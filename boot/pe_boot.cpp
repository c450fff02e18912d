#include "boot/pe_boot.h"

#include "boot/bcd_editor.h"
#include "boot/boot_paths.h"
#include "boot/handoff.h"
#include "boot/payload_table.h"
#include "boot/pe_chains.h"
#include "inspect/sysquery.h"
#include "inspect/volumes.h"

namespace lum {
namespace {

constexpr std::uint32_t kDddRawTargetPath = 1, kDddRemoveDefinition = 2;

// The sweep of the hand-off files goes over every drive and the two new files
// are written: all of them are noted first. Drives without a medium answer
// without a "no disk" dialog.
bool KeepHandoffFiles(Platform& p, UndoJournal& journal, const std::string& imagePath) {
  std::vector<std::string> files = {SystemDrive(p) + "\\KFun.JP", imagePath.substr(0, 2) + "\\GFun.JP"};
  const std::uint32_t oldMode = p.system.SetErrorMode(kSemFailCriticalErrors);
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    for (const char* name : {"KFun.JP", "GFun.JP"}) {
      const std::string path = std::string(1, letter) + ":\\" + name;
      if (p.files.FileExists(path)) files.push_back(path);
    }
  }
  p.system.SetErrorMode(oldMode);
  for (const std::string& file : files)
    if (!journal.Keep(file)) return false;
  return true;
}

}  // namespace

bool PreparePeBoot(Platform& p, IProfileWriter& ini, BootRun& run, const std::string& imagePath,
                   const std::string& arch, const std::string& sysSelector, std::string& error,
                   bool firmwareUefi, const std::string& title, const std::string& wimName,
                   const std::string& productKey, const std::string& imageIndex) {
  error.clear();
  // A failed version query reads as 0 and takes the boot.ini chain.
  const std::uint32_t major = GetOSMajorVersion(p);
  bool prepared;
  if (major < 6) {
    prepared = PrepareBootIniChain(p, ini, run, title, error);
  } else {
    if (!run.journal.Keep(PayloadPath(p, payload::kEditor)))
      return FailRun(run, firmwareUefi ? "Boot模块创建失败！" : "KRP启动模块创建失败！", error);
    const std::string editor = LocateBcdEdit(p);
    prepared = firmwareUefi ? PrepareUefiChain(p, editor, run, title, error)
                            : PrepareBiosStoreChain(p, editor, run, title, error);
  }
  if (!prepared) return false;

  if (!MirrorLoaderToPartition1(p, &run.journal))
    return FailRun(run, major < 6 ? "KRP模块创建失败！" : firmwareUefi ? "Boot模块创建失败！" : "KRP启动模块创建失败！",
                   error);
  if (!KeepHandoffFiles(p, run.journal, imagePath))
    return FailRun(run, "系统配置1文件创建失败！", error);
  HandoffInputs handoff{imagePath, arch, sysSelector, title, wimName, productKey, imageIndex};
  if (!WriteHandoffFiles(p, handoff, error)) {
    run.journal.Undo();
    return false;
  }
  return !run.StopHere();
}

bool MirrorLoaderToPartition1(Platform& p, UndoJournal* journal) {
  const std::string s = SystemDrive(p);
  const std::string letter = s.substr(0, 1);
  if (GetVolumePartitionNumber(p, letter) == 1) return true;
  if (!p.files.FileExists(s + "\\krppe") && !p.files.FileExists(s + "\\krppe.mbr")) return true;
  const std::string x = GetFreeDriveLetter(p);
  if (x.empty()) return true;
  const std::string target =
      "\\Device\\Harddisk" + std::to_string(GetVolumeDiskNumber(p, letter)) + "\\Partition1";
  if (!p.volumes.DefineDevice(kDddRawTargetPath, x, target)) return true;
  if (journal && (!journal->KeepOnDevice(x, target, "krppe") || !journal->KeepOnDevice(x, target, "krppe.mbr"))) {
    p.volumes.DefineDevice(kDddRemoveDefinition, x, "");
    return false;
  }
  p.files.SetAttributes(letter + ":\\krppe", kAttrPlain);
  p.files.Copy(s + "\\krppe", x + "\\krppe", false);
  p.files.Copy(s + "\\krppe.mbr", x + "\\krppe.mbr", false);
  p.volumes.DefineDevice(kDddRemoveDefinition, x, "");
  return true;
}

}  // namespace lum
