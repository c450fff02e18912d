// The two legacy chains: the Windows boot loader gets a new default entry,
// titled with the program's title, that starts the GRUB4DOS loader krppe;
// its menu maps the PE image as a virtual CD and boots it.
#include "boot/bcd_editor.h"
#include "boot/boot_paths.h"
#include "boot/ini_file.h"
#include "boot/payload_table.h"
#include "boot/pe_chains.h"
#include "boot/profile_text.h"
#include "platform/text.h"

namespace lum {
namespace {

constexpr char kLoaderFailed[] = "KRP模块创建失败！";
constexpr char kStoreLoaderFailed[] = "KRP启动模块创建失败！";
constexpr char kMenuFailed[] = "启动菜单模块创建失败！";

// Writes the GRUB4DOS menu into S\BOOT\GRUB; true when it is there.
bool WriteMenu(Platform& p, UndoJournal& journal) {
  const std::string dir = SystemDrive(p) + "\\BOOT\\GRUB";
  if (!journal.KeepDirs(dir) || !journal.Keep(PayloadPath(p, payload::kMenu))) return false;
  ForceDirectories(p.files, dir);
  return p.files.FileExists(WritePayload(p, payload::kMenu));
}

}  // namespace

bool FailRun(BootRun& run, const char* text, std::string& error) {
  run.journal.Undo();
  error = text;
  return false;
}

bool RunEntryCommands(Platform& p, const std::string& editor, BootRun& run,
                      const std::vector<std::string>& commands, const char* failText,
                      std::string& error) {
  if (!run.journal.KeepStore(editor)) return FailRun(run, failText, error);
  for (const std::string& args : commands) {
    const bool ok = RunBcdEdit(p, editor, args);
    if (run.StopHere()) return false;
    // The chains' own exports are a courtesy copy: on a machine whose store
    // lives on a hidden system partition S\Boot does not exist, and the
    // journal holds the export the undo relies on. Every other command must
    // succeed.
    if (!ok && args.rfind(" /export ", 0) != 0) return FailRun(run, failText, error);
  }
  if (!StoreDefaultIsOurs(p, editor)) return FailRun(run, failText, error);
  return true;
}

bool BootIniDefaultIs(Platform& p, const std::string& bootIni, const std::string& key) {
  std::optional<Bytes> raw = p.files.Read(bootIni);
  if (!raw) return false;
  const std::string text = p.codepage.FromAnsi(*raw);
  std::optional<std::string> def = GetProfileString(text, "boot loader", "default");
  return def && SameTextAscii(TrimControls(*def), key) &&
         GetProfileString(text, "operating systems", key).has_value();
}

bool PrepareBootIniChain(Platform& p, IProfileWriter& ini, BootRun& run, const std::string& title,
                         std::string& error) {
  const std::string s = SystemDrive(p);
  IFiles& f = p.files;
  UndoJournal& j = run.journal;
  const std::string bootIni = s + "\\boot.ini", bootPe = s + "\\boot.pe";
  const std::string loader = PayloadPath(p, payload::kLoader);
  const std::string loaderMbr = PayloadPath(p, payload::kLoaderMbr);
  for (const std::string& file : {loader, loaderMbr, bootPe, bootIni})
    if (!j.Keep(file)) return FailRun(run, kLoaderFailed, error);

  if (!f.FileExists(WritePayload(p, payload::kLoader))) return FailRun(run, kLoaderFailed, error);
  if (!f.FileExists(WritePayload(p, payload::kLoaderMbr))) return FailRun(run, kLoaderFailed, error);
  f.SetAttributes(loader, kAttrHiddenSystem);
  f.SetAttributes(loaderMbr, kAttrHiddenSystem);

  if (!f.FileExists(bootPe)) f.Copy(bootIni, bootPe, false);
  f.SetAttributes(bootIni, kAttrPlain);
  const std::string entry = s + "\\KRPPE";
  WriteIniValue(f, ini, "boot loader", "timeout", "3", bootIni);
  WriteIniValue(f, ini, "boot loader", "default", entry, bootIni);
  WriteIniValue(f, ini, "operating systems", entry, title, bootIni);
  f.SetAttributes(bootIni, kAttrLocked);
  if (!BootIniDefaultIs(p, bootIni, entry)) return FailRun(run, kLoaderFailed, error);

  if (!WriteMenu(p, j)) return FailRun(run, kMenuFailed, error);
  return !run.StopHere();
}

bool PrepareBiosStoreChain(Platform& p, const std::string& editor, BootRun& run,
                           const std::string& title, std::string& error) {
  const std::string s = SystemDrive(p);
  IFiles& f = p.files;
  UndoJournal& j = run.journal;
  const std::string exportPath = s + "\\Boot\\BCD_JP";
  const std::string loader = PayloadPath(p, payload::kLoader);
  const std::string loaderMbr = PayloadPath(p, payload::kLoaderMbr);
  for (const std::string& file : {exportPath, loader, loaderMbr})
    if (!j.Keep(file)) return FailRun(run, kStoreLoaderFailed, error);
  if (!f.FileExists(exportPath)) RunBcdEdit(p, editor, BcdExportArgs(exportPath));

  f.SetAttributes(loader, kAttrPlain);
  f.SetAttributes(loaderMbr, kAttrPlain);
  if (!f.FileExists(WritePayload(p, payload::kLoader))) return FailRun(run, kStoreLoaderFailed, error);
  if (!f.FileExists(WritePayload(p, payload::kLoaderMbr)))
    return FailRun(run, kStoreLoaderFailed, error);
  if (!WriteMenu(p, j)) return FailRun(run, kMenuFailed, error);

  if (!RunEntryCommands(p, editor, run, BiosPeEntryArgs(title), kStoreLoaderFailed, error))
    return false;
  f.SetAttributes(loader, kAttrHiddenSystem);
  f.SetAttributes(loaderMbr, kAttrHiddenSystem);
  return true;
}

}  // namespace lum
