// The ramdisk chain of UEFI machines: the PE's boot image is taken out of the
// PE image, the boot manager's EFI files are written, and an entry that boots
// the WIM from a ramdisk becomes the default with a 3-second menu.
#include "boot/bcd_editor.h"
#include "boot/boot_paths.h"
#include "boot/image_probe.h"
#include "boot/payload_table.h"
#include "boot/pe_chains.h"
#include "inspect/processes.h"
#include "inspect/sysquery.h"

namespace lum {
namespace {

constexpr char kWimFailed[] = "Boot模块创建失败！";
constexpr char kSdiFailed[] = "SDI模块创建失败！";

// "cmd /c" runs the tool; the tool's path is quoted when it holds a blank
// (a temporary folder under "Documents and Settings"), and then the whole
// command is quoted once more, since cmd takes off the outer pair.
std::string ExtractionCommand(const std::string& tool, const std::string& s) {
  const std::string args = "  -silent -in " + s + "\\BOOT\\KRP8PE6F.ISO" +
                           " -get /BOOT/KRP8PE6L.WIM -unattend -extract " + s + "\\BOOT";
  if (tool.find(' ') == std::string::npos) return "cmd /c " + tool + args;
  return "cmd /c \"\"" + tool + "\"" + args + "\"";
}

}  // namespace

bool PrepareUefiChain(Platform& p, const std::string& editor, BootRun& run,
                      const std::string& title, std::string& error) {
  const std::string s = SystemDrive(p);
  IFiles& f = p.files;
  UndoJournal& j = run.journal;
  const std::string wim = s + "\\BOOT\\KRP8PE6L.WIM";
  const std::string tool = PayloadPath(p, payload::kIsoTool);
  if (!j.Keep(tool) || !j.KeepDirs(s + "\\BOOT") || !j.Keep(wim))
    return FailRun(run, kWimFailed, error);

  // Only a WIM this run took out of this run's PE image counts.
  f.SetAttributes(wim, kAttrPlain);
  f.Delete(wim);
  WritePayload(p, payload::kIsoTool);
  RunAndWait(p, ExtractionCommand(tool, s), -1, kShowHide);
  if (run.StopHere()) return false;
  if (!f.FileExists(wim) || !IsWimImage(f, wim)) return FailRun(run, kWimFailed, error);
  f.Delete(tool);

  if (!j.Keep(PayloadPath(p, payload::kSdi))) return FailRun(run, kSdiFailed, error);
  if (!f.FileExists(WritePayload(p, payload::kSdi))) return FailRun(run, kSdiFailed, error);

  const std::string efiDir = s + "\\EFI\\Microsoft\\Boot";
  const std::string exportPath = efiDir + "\\BCD_JP";
  if (!j.KeepDirs(efiDir + "\\zh-CN") || !j.Keep(exportPath)) return FailRun(run, kWimFailed, error);
  for (const Payload& efi : EfiPayloads(IsWin64(p)))
    if (!j.Keep(PayloadPath(p, efi))) return FailRun(run, kWimFailed, error);
  ForceDirectories(f, efiDir + "\\zh-CN");
  for (const Payload& efi : EfiPayloads(IsWin64(p))) WritePayload(p, efi);

  if (!f.FileExists(exportPath)) RunBcdEdit(p, editor, BcdExportArgs(exportPath));
  if (!RunEntryCommands(p, editor, run, UefiEntryArgs(s, title), kWimFailed, error)) return false;

  // The carried editor goes; the system's own stays where it is.
  f.Delete(PayloadPath(p, payload::kEditor));
  return true;
}

}  // namespace lum
