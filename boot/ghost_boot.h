#pragma once
// The Ghost restore path: no PE is involved. A command file with a Norton
// Ghost command line is written to the root of the system drive, a small
// restore environment is unpacked beside it and its loader becomes the
// default boot entry (boot.ini on Windows XP and Server 2003, a boot-sector
// entry in the system boot store on Vista and later). After the restart the
// environment restores the image onto the system partition and restarts.
#include <string>

#include "boot/profile_writer.h"
#include "boot/undo_journal.h"
#include "platform/platform.h"

namespace lum {

// The Ghost restore parameters. The workflow keeps one program-wide record and
// hands it on by value; only GhofilePath, GhofilesRpartition,
// Restorepartitionid and Runcmdline_pw go into the command line.
struct TGhofilesysinfo {
  std::string GhofilePath;         // "1:3\ZqGhost\win7x64.gho": partition address + path without drive
  std::string GhofilesRpartition;  // partition inside the image to restore
  std::string Restorepartitionid;  // partition address of the destination, "1:1"
  std::string Restorepartitionlabel;
  bool Runcmdline_nousb = false;
  bool Runcmdline_noide = false;
  bool Runcmdline_noscsi = false;
  bool Runcmdline_crcignore = false;
  std::string Runcmdline_pw;  // password of the image; empty: none
  bool Runcmdline_split = false;
  std::string Runcmdline_splitsize;
  std::string Runcmdline_CompressionLevel;
  bool Runcmdline_fro = false;
  bool Runcmdline_batch = false;
  bool Runcmdline_sure = false;
  bool Runcmdline_fx = false;
  bool Runcmdline_afile = false;
  std::string Runcmdline_afilepath;
};

// The first line of "Ghost.ba_": Ghost loads partition GhofilesRpartition of
// the image onto Restorepartitionid, with the fixed switches.
std::string GhostCommandLine(const TGhofilesysinfo& info);

// Writes S\Ghost.ba_: the command line and "restart", in the ANSI code page
// with CR LF. False when the file could not be written.
bool WriteGhostCommandFile(Platform& p, const TGhofilesysinfo& info);

// Prepares the restore path, noting every change in run's journal first.
// True when the boot now starts the restore environment; otherwise the run is
// undone and the result is false with the error text (cleared on entry;
// empty when the end of the program was requested, run.stopped). A command
// file that cannot be written and a damaged restore archive fail with
// "Boot启动文件创建失败！".
bool PrepareGhostBoot(Platform& p, IProfileWriter& ini, BootRun& run, TGhofilesysinfo info,
                      const std::string& title, std::string& error);

}  // namespace lum
