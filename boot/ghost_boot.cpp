#include "boot/ghost_boot.h"

#include "boot/ansi_text_file.h"
#include "boot/bcd_editor.h"
#include "boot/boot_paths.h"
#include "boot/ini_file.h"
#include "boot/payload_table.h"
#include "boot/pe_chains.h"
#include "boot/zip_error.h"
#include "boot/zip_extract.h"
#include "inspect/sysquery.h"
#include "inspect/textutil.h"
#include "inspect/volumes.h"

namespace lum {
namespace {

constexpr char kArchivePassword[] = "J5RT8WQ3";
constexpr char kFilesFailed[] = "Boot启动文件创建失败！";
constexpr char kNoDevicePath[] = "系统分区磁盘路径获取失败！";

// A damaged archive raises the archive layer's error; the run is undone like
// any other failure instead of leaving what was written so far.
bool Extract(Platform& p, const std::string& archive, const std::string& mask) {
  try {
    ExtractZipFiles(p.files, p.codepage, archive, kArchivePassword, SystemDrive(p) + "\\", mask);
    return true;
  } catch (const ZipError&) {
    return false;
  }
}

// Windows XP and Server 2003: wvldr started from a boot.ini entry.
bool PrepareGhostBootIni(Platform& p, IProfileWriter& ini, BootRun& run, const std::string& title,
                         std::string& error) {
  const std::string s = SystemDrive(p);
  IFiles& f = p.files;
  const std::string image = s + "\\Varnix.ima", loader = s + "\\wvldr";
  const std::string bootIni = s + "\\boot.ini", backup = s + "\\boot.in_";
  for (const std::string& file : {image, loader, PayloadPath(p, payload::kRestoreArchive), backup, bootIni})
    if (!run.journal.Keep(file)) return FailRun(run, kFilesFailed, error);
  f.SetAttributes(image, kAttrPlain);
  f.SetAttributes(loader, kAttrPlain);
  const std::string archive = WritePayload(p, payload::kRestoreArchive);
  // The boot record is not needed here, although the archive holds it.
  if (!Extract(p, archive, "wvldr") || !Extract(p, archive, "Varnix.ima"))
    return FailRun(run, kFilesFailed, error);
  if (!f.FileExists(image) || !f.FileExists(loader)) return FailRun(run, kFilesFailed, error);
  f.SetAttributes(loader, kAttrLocked);
  f.SetAttributes(image, kAttrLocked);

  // The older copy carries boot.ini's read-only attribute, which would make
  // the copy over it fail.
  f.SetAttributes(backup, kAttrPlain);
  f.Copy(bootIni, backup, false);
  f.SetAttributes(bootIni, kAttrPlain);
  WriteIniValue(f, ini, "boot loader", "timeout", "3", bootIni);
  WriteIniValue(f, ini, "boot loader", "default", loader, bootIni);
  WriteIniValue(f, ini, "operating systems", loader, title, bootIni);
  f.SetAttributes(bootIni, kAttrLocked);
  if (!BootIniDefaultIs(p, bootIni, loader)) return FailRun(run, kFilesFailed, error);
  return !run.StopHere();
}

// Vista and later: a boot-sector entry that reads wvldr.mbr from the system partition.
bool PrepareGhostBootStore(Platform& p, BootRun& run, const std::string& title, std::string& error) {
  const std::string s = SystemDrive(p);
  IFiles& f = p.files;
  const std::string image = s + "\\Varnix.ima", loader = s + "\\wvldr", mbr = s + "\\wvldr.mbr";
  for (const std::string& file : {image, loader, mbr, PayloadPath(p, payload::kRestoreArchive),
                                  PayloadPath(p, payload::kEditor), s + "\\Boot\\BCD_"})
    if (!run.journal.Keep(file)) return FailRun(run, kFilesFailed, error);
  for (const std::string& file : {image, loader, mbr}) f.SetAttributes(file, kAttrPlain);
  const std::string archive = WritePayload(p, payload::kRestoreArchive);
  if (!Extract(p, archive, "*.*")) return FailRun(run, kFilesFailed, error);
  if (!f.FileExists(image) || !f.FileExists(loader) || !f.FileExists(mbr))
    return FailRun(run, kFilesFailed, error);
  if (GetDosDeviceName(p, s).empty()) return FailRun(run, kNoDevicePath, error);

  const std::string editor = LocateBcdEdit(p);
  if (!RunEntryCommands(p, editor, run, GhostEntryArgs(s, title), kFilesFailed, error)) return false;
  f.Delete(PayloadPath(p, payload::kEditor));
  for (const std::string& file : {mbr, loader, image}) f.SetAttributes(file, kAttrLocked);
  return true;
}

}  // namespace

std::string GhostCommandLine(const TGhofilesysinfo& info) {
  std::string password = " ";
  if (!info.Runcmdline_pw.empty())
    password = " -pwd=\"" + StripLineBreaks(info.Runcmdline_pw) + "\" ";
  return "Ghost.exe -nousb -clone,mode=pload,src=\"" + info.GhofilePath + ":" +
         info.GhofilesRpartition + "\",dst=" + info.Restorepartitionid + password +
         "-fro -crcignore -sure -rb -fx";
}

bool WriteGhostCommandFile(Platform& p, const TGhofilesysinfo& info) {
  return WriteAnsiLines(p.files, p.codepage, SystemDrive(p) + "\\Ghost.ba_",
                        {GhostCommandLine(info), "restart"});
}

bool PrepareGhostBoot(Platform& p, IProfileWriter& ini, BootRun& run, TGhofilesysinfo info,
                      const std::string& title, std::string& error) {
  error.clear();
  const std::uint32_t major = GetOSMajorVersion(p);
  // Without its own command file the restore environment would find none, or
  // an older run's, and restore the wrong image: a file that cannot be written
  // ends the preparation before anything else is changed.
  if (!run.journal.Keep(SystemDrive(p) + "\\Ghost.ba_")) return FailRun(run, kFilesFailed, error);
  if (!WriteGhostCommandFile(p, info)) return FailRun(run, kFilesFailed, error);
  if (major < 6) return PrepareGhostBootIni(p, ini, run, title, error);
  return PrepareGhostBootStore(p, run, title, error);
}

}  // namespace lum
