// The main window's creation and destruction: the start-up checks.
#include "app/mainform.h"
#include "app/settings.h"
#include "app/startheader.h"
#include "catalogue/catalogue.h"
#include "inspect/partselect.h"
#include "inspect/processes.h"
#include "inspect/readdisk.h"
#include "inspect/textutil.h"
#include "inspect/volumes.h"
#include "platform/runlog.h"
#include "platform/text.h"

namespace lum {

void MainForm::FormCreate() {
  // The pages are switched by the program only; the user never sees tabs.
  view_.HidePageTabs();
  ShowPage(kPageHome);
  m_.SiteUrl = ProductSiteUrl(p_);
  // The disk reading creates the folder.
  m_.WorkDir = p_.env.Get("temp") + "\\" + RandomName(p_, 6) + "\\";
  LogStartHeader(p_, m_.StartSysinfo);

  Log("读取磁盘信息");
  Readdisk(p_, m_.WorkDir, m_.Disks, m_.SysPartition);
  const std::string systemDrive = p_.env.Get("SystemDrive");
  if (m_.SysPartition.PLetter.empty()) m_.SysPartition.PLetter = systemDrive;

  Log("读取非系统分区最大容量驱动器");
  const std::string drive = GetMaxpartition(p_, m_.Disks, m_.SysPartition.PLetter);
  m_.DataDir = drive + "\\ZqGhost\\";
  Log("数据目录：" + m_.DataDir);
  if (RefusedByDiskRules(drive)) return;

  m_.DataPartition = TSysPartitioninfo{};
  Getpartinfos(p_, m_.Disks, m_.DataDir.substr(0, 2), m_.DataPartition);
  if (RefusedByDataRules()) return;

  Log("系统分区磁盘序号：[" + m_.SysPartition.Pdiskid + "] 盘符：[" + systemDrive + "]");
  m_.GhoInfo.Restorepartitionid = m_.SysPartition.Pdiskid;
  m_.GhoInfo.GhofilesRpartition = "1";

  // A system volume behind a hidden system-reserved or EFI partition is not
  // the first partition of its disk. Only logged.
  const bool firstPartition = GetVolumePartitionNumber(p_, systemDrive.substr(0, 1)) == 1;
  Log(firstPartition ? "引导隐藏分区：[NO]" : "引导隐藏分区：[YES]");

  m_.EngineDir = p_.env.Get("windir") + "\\Temp\\" + "ZqXunlei\\";
  Log("迅雷目录：" + m_.EngineDir);

  const std::string server = DownloadServerUrl(p_);
  m_.PeIsoUrl = server + "/a/KRP8PE6F.ISO";
  m_.BaseUrl = server + "/a/";
  m_.SysCatalog = BuildSysCatalog(m_.BaseUrl);

  Log("读取系统列表");
  Readsystolist();
}

// Rules 1 to 4: a data drive exists, at least two usable fixed volumes, the
// data drive is not the system drive, the system partition holds 3 units.
bool MainForm::RefusedByDiskRules(const std::string& drive) {
  if (drive.empty()) {
    Refuse("没有找到可存储下载的多余分区！");
    return true;
  }
  if (CountFixedVolumes(p_) < 2 ||
      AsciiUpper(m_.DataDir.substr(0, 2)) == AsciiUpper(p_.env.Get("SystemDrive"))) {
    Refuse("没有找到可存储的多余分区！");
    return true;
  }
  if (m_.SysPartition.PSzie < 3) {
    Refuse("系统分区容量不足！");
    return true;
  }
  return false;
}

// Rules 5 to 7: 4 free units on the data drive, both disk addresses known.
// Then neither partition may be BitLocker-encrypted: the restore environment
// cannot read an encrypted data partition, nor write the system partition.
bool MainForm::RefusedByDataRules() {
  if (m_.DataPartition.PFreesize < 4) {
    Refuse(m_.DataDir.substr(0, 1) + "盘空间不足(可用容量需大于4GB)！");
    return true;
  }
  if (m_.SysPartition.Pdiskid.empty()) {
    Refuse("系统驱动器序号获取失败！");
    return true;
  }
  if (m_.DataPartition.Pdiskid.empty()) {
    Refuse("数据目录盘符序号获取失败！");
    return true;
  }
  if (IsBitLockerPartition(m_.SysPartition)) {
    Refuse("系统分区已启用BitLocker加密，无法重装！");
    return true;
  }
  if (IsBitLockerPartition(m_.DataPartition)) {
    Refuse(m_.DataDir.substr(0, 1) + "盘已启用BitLocker加密，无法存放系统镜像！");
    return true;
  }
  return false;
}

void MainForm::Refuse(const std::string& reason) {
  Log("错误：" + reason);
  view_.ShowAppmbox("提示：" + reason, false);
  Terminate();
}

void MainForm::FormDestroy() {
  if (!m_.WorkDir.empty()) DeleteFileOrTree(p_, m_.WorkDir);
}

void MainForm::Log(const std::string& text) { WriteRunLog(p_, text); }

void MainForm::Terminate() {
  m_.Ending = true;
  view_.Terminate();
}

void MainForm::CloseWindow() {
  m_.Ending = true;
  view_.CloseWindow();
}

void MainForm::ShowPage(int index) {
  m_.Page = index;
  view_.ShowPage(index);
}

void MainForm::ShowBanner(int banner, bool visible) {
  m_.Banners[static_cast<std::size_t>(banner)] = visible;
  view_.SetBannerVisible(banner, visible);
}

}  // namespace lum
