// The two legacy chains: the Windows boot loader gets a new default entry,
// titled with the program's title, that starts the GRUB4DOS loader krppe;
// its menu maps the PE image as a virtual CD and boots it.
#include "boot/bcd_editor.h"
#include "boot/boot_paths.h"
#include "boot/ini_file.h"
#include "boot/payload_table.h"
#include "boot/pe_chains.h"

namespace lum {
namespace {

constexpr char kLoaderFailed[] = "KRP模块创建失败！";
constexpr char kStoreLoaderFailed[] = "KRP启动模块创建失败！";
constexpr char kMenuFailed[] = "启动菜单模块创建失败！";

bool Fail(Platform& p, const BootStoreEdit& storeEdit, const char* text, std::string& error) {
  RollbackBootArtefacts(p, storeEdit);
  error = text;
  return false;
}

// Writes the GRUB4DOS menu into S\BOOT\GRUB; true when it is there.
bool WriteMenu(Platform& p) {
  ForceDirectories(p.files, SystemDrive(p) + "\\BOOT\\GRUB");
  return p.files.FileExists(WritePayload(p, payload::kMenu));
}

}  // namespace

bool PrepareBootIniChain(Platform& p, IProfileWriter& ini, const std::string& title,
                         std::string& error) {
  const std::string s = SystemDrive(p);
  IFiles& f = p.files;
  const std::string loader = WritePayload(p, payload::kLoader);
  if (!f.FileExists(loader)) {
    error = kLoaderFailed;  // nothing of this run to undo yet
    return false;
  }
  const std::string loaderMbr = WritePayload(p, payload::kLoaderMbr);
  if (!f.FileExists(loaderMbr)) return Fail(p, {}, kLoaderFailed, error);
  f.SetAttributes(loader, kAttrHiddenSystem);
  f.SetAttributes(loaderMbr, kAttrHiddenSystem);

  // The first copy is kept for good: it holds boot.ini from before the first run.
  const std::string bootIni = s + "\\boot.ini";
  if (!f.FileExists(s + "\\boot.pe")) f.Copy(bootIni, s + "\\boot.pe", false);
  f.SetAttributes(bootIni, kAttrPlain);
  const std::string entry = s + "\\KRPPE";
  WriteIniValue(f, ini, "boot loader", "timeout", "3", bootIni);
  WriteIniValue(f, ini, "boot loader", "default", entry, bootIni);
  WriteIniValue(f, ini, "operating systems", entry, title, bootIni);
  f.SetAttributes(bootIni, kAttrLocked);

  if (!WriteMenu(p)) return Fail(p, {}, kMenuFailed, error);
  return true;
}

bool PrepareBiosStoreChain(Platform& p, const std::string& editor, const std::string& title,
                           BootStoreEdit& storeEdit, std::string& error) {
  const std::string s = SystemDrive(p);
  IFiles& f = p.files;
  // Exported once: the store from before the first run.
  const std::string exportPath = s + "\\Boot\\BCD_JP";
  if (!f.FileExists(exportPath)) RunBcdEdit(p, editor, BcdExportArgs(exportPath));

  const std::string loader = PayloadPath(p, payload::kLoader);
  const std::string loaderMbr = PayloadPath(p, payload::kLoaderMbr);
  f.SetAttributes(loader, kAttrPlain);
  f.SetAttributes(loaderMbr, kAttrPlain);
  if (!f.FileExists(WritePayload(p, payload::kLoader)))
    return Fail(p, storeEdit, kStoreLoaderFailed, error);
  if (!f.FileExists(WritePayload(p, payload::kLoaderMbr)))
    return Fail(p, storeEdit, kStoreLoaderFailed, error);
  if (!WriteMenu(p)) return Fail(p, storeEdit, kMenuFailed, error);

  storeEdit = {editor, exportPath};
  for (const std::string& args : BiosPeEntryArgs(title)) RunBcdEdit(p, editor, args);
  f.SetAttributes(loader, kAttrHiddenSystem);
  f.SetAttributes(loaderMbr, kAttrHiddenSystem);
  // A carried editor written to T stays there.
  return true;
}

}  // namespace lum
