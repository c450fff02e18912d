#pragma once
// The values the main window settles at start-up and the install workflow
// reads and changes. One instance lives as long as the main window.
#include <array>
#include <string>
#include <vector>

#include "boot/ghost_boot.h"
#include "inspect/disktable.h"
#include "inspect/partitioninfo.h"
#include "inspect/sysinfo.h"

namespace lum {

struct MainModel {
  std::string WorkDir;         // temp + "\~S??????\", removed when the window goes
  TSysinfo StartSysinfo;
  DiskTable Disks;             // the hidden list view List_Alldisk
  TSysPartitioninfo SysPartition;
  TSysPartitioninfo DataPartition;
  std::string DataDir;         // "D:\ZqGhost\"
  TGhofilesysinfo GhoInfo;
  std::string EngineDir;       // windir + "\Temp\ZqXunlei\"
  std::string PeIsoUrl;        // base URL + "/a/KRP8PE6F.ISO"
  std::string BaseUrl;         // base URL + "/a/"
  std::string SiteUrl;         // the product web site
  std::vector<std::string> SysCatalog;

  bool UefiMode = false;
  std::vector<std::string> DownList;
  bool DownReturned = false;
  int RestartSeconds = 0;

  // What the window shows.
  int Page = 0;
  std::array<bool, 5> Banners{false, true, false, false, false};  // index 1..4
  bool SetupEnabled = false;
  bool CountdownRunning = false;

  // Set while an install runs; a second install click is refused meanwhile.
  bool InstallRunning = false;
  // Set once the program has been asked to end.
  bool Ending = false;
};

}  // namespace lum
