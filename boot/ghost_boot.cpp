#include "boot/ghost_boot.h"

#include "boot/ansi_text_file.h"
#include "boot/bcd_editor.h"
#include "boot/boot_paths.h"
#include "boot/ini_file.h"
#include "boot/payload_table.h"
#include "boot/rollback.h"
#include "boot/zip_extract.h"
#include "inspect/sysquery.h"
#include "inspect/textutil.h"
#include "inspect/volumes.h"

namespace lum {
namespace {

constexpr char kArchivePassword[] = "J5RT8WQ3";
constexpr char kFilesFailed[] = "Boot启动文件创建失败！";
constexpr char kNoDevicePath[] = "系统分区磁盘路径获取失败！";

bool Fail(Platform& p, const char* text, std::string& error) {
  RollbackBootArtefacts(p);
  error = text;
  return false;
}

// Windows XP and Server 2003: wvldr started from a boot.ini entry.
bool PrepareGhostBootIni(Platform& p, IProfileWriter& ini, const std::string& title,
                         std::string& error) {
  const std::string s = SystemDrive(p);
  IFiles& f = p.files;
  const std::string image = s + "\\Varnix.ima", loader = s + "\\wvldr";
  f.SetAttributes(image, kAttrPlain);
  f.SetAttributes(loader, kAttrPlain);
  const std::string archive = WritePayload(p, payload::kRestoreArchive);
  // The boot record is not needed here, although the archive holds it.
  ExtractZipFiles(f, p.codepage, archive, kArchivePassword, s + "\\", "wvldr");
  ExtractZipFiles(f, p.codepage, archive, kArchivePassword, s + "\\", "Varnix.ima");
  if (!f.FileExists(image) || !f.FileExists(loader)) return Fail(p, kFilesFailed, error);
  f.SetAttributes(loader, kAttrLocked);
  f.SetAttributes(image, kAttrLocked);

  // Refreshed by every run. The older copy carries boot.ini's read-only
  // attribute, which would make the copy over it fail.
  const std::string bootIni = s + "\\boot.ini";
  f.SetAttributes(s + "\\boot.in_", kAttrPlain);
  f.Copy(bootIni, s + "\\boot.in_", false);
  f.SetAttributes(bootIni, kAttrPlain);
  WriteIniValue(f, ini, "boot loader", "timeout", "3", bootIni);
  WriteIniValue(f, ini, "boot loader", "default", loader, bootIni);
  WriteIniValue(f, ini, "operating systems", loader, title, bootIni);
  f.SetAttributes(bootIni, kAttrLocked);
  return true;
}

// Vista and later: a boot-sector entry that reads wvldr.mbr from the system partition.
bool PrepareGhostBootStore(Platform& p, const std::string& title, std::string& error) {
  const std::string s = SystemDrive(p);
  IFiles& f = p.files;
  const std::string image = s + "\\Varnix.ima", loader = s + "\\wvldr", mbr = s + "\\wvldr.mbr";
  for (const std::string& file : {image, loader, mbr}) f.SetAttributes(file, kAttrPlain);
  const std::string archive = WritePayload(p, payload::kRestoreArchive);
  ExtractZipFiles(f, p.codepage, archive, kArchivePassword, s + "\\", "*.*");
  if (!f.FileExists(image) || !f.FileExists(loader) || !f.FileExists(mbr))
    return Fail(p, kFilesFailed, error);
  if (GetDosDeviceName(p, s).empty()) return Fail(p, kNoDevicePath, error);

  const std::string editor = LocateBcdEdit(p);
  for (const std::string& args : GhostEntryArgs(s, title)) RunBcdEdit(p, editor, args);
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

bool PrepareGhostBoot(Platform& p, IProfileWriter& ini, TGhofilesysinfo info,
                      const std::string& title, std::string& error) {
  error.clear();
  const std::uint32_t major = GetOSMajorVersion(p);
  // Without its own command file the restore environment would find none, or
  // an older run's, and restore the wrong image: a file that cannot be written
  // ends the preparation before anything else is changed.
  if (!WriteGhostCommandFile(p, info)) {
    p.files.Delete(SystemDrive(p) + "\\Ghost.ba_");
    error = kFilesFailed;
    return false;
  }
  if (major < 6) return PrepareGhostBootIni(p, ini, title, error);
  return PrepareGhostBootStore(p, title, error);
}

}  // namespace lum
