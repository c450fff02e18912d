// The ramdisk chain of UEFI machines: the PE's boot image is taken out of the
// PE image, the boot manager's EFI files are written, and an entry that boots
// the WIM from a ramdisk becomes the default with a 3-second menu.
#include "boot/bcd_editor.h"
#include "boot/boot_paths.h"
#include "boot/payload_table.h"
#include "boot/pe_chains.h"
#include "inspect/processes.h"
#include "inspect/sysquery.h"

namespace lum {
namespace {

constexpr char kWimFailed[] = "Boot模块创建失败！";
constexpr char kSdiFailed[] = "SDI模块创建失败！";

}  // namespace

bool PrepareUefiChain(Platform& p, const std::string& editor, const std::string& title,
                      BootStoreEdit& storeEdit, std::string& error) {
  const std::string s = SystemDrive(p);
  IFiles& f = p.files;

  // The tool writes the requested file straight into the extraction folder.
  const std::string tool = WritePayload(p, payload::kIsoTool);
  RunAndWait(p,
             "cmd /c " + tool + "  -silent -in " + s + "\\BOOT\\KRP8PE6F.ISO" +
                 " -get /BOOT/KRP8PE6L.WIM -unattend -extract " + s + "\\BOOT",
             -1, kShowHide);
  if (!f.FileExists(s + "\\BOOT\\KRP8PE6L.WIM")) {
    RollbackBootArtefacts(p, storeEdit);
    error = kWimFailed;
    return false;
  }
  f.Delete(tool);

  if (!f.FileExists(WritePayload(p, payload::kSdi))) {
    RollbackBootArtefacts(p, storeEdit);
    error = kSdiFailed;
    return false;
  }

  ForceDirectories(f, s + "\\EFI\\Microsoft\\Boot\\zh-CN");
  for (const Payload& efi : EfiPayloads(IsWin64(p))) WritePayload(p, efi);

  // Exported once: the store from before the first run.
  const std::string exportPath = s + "\\EFI\\Microsoft\\Boot\\BCD_JP";
  if (!f.FileExists(exportPath)) RunBcdEdit(p, editor, BcdExportArgs(exportPath));
  storeEdit = {editor, exportPath};
  for (const std::string& args : UefiEntryArgs(s, title)) RunBcdEdit(p, editor, args);

  // The carried editor goes; the system's own stays where it is.
  f.Delete(PayloadPath(p, payload::kEditor));
  return true;
}

}  // namespace lum
