// The install workflow: the setup button fixes the mode, an install button
// downloads the chosen image (and in UEFI mode the PE image), prepares the
// next start of the machine and opens the finish page.
#include "app/mainform.h"
#include "app/runlog.h"
#include "download/url_name.h"
#include "inspect/processes.h"

namespace lum {
namespace {

constexpr char kTitle[] = "Lumora";

// Clears a flag when the scope ends, also when a run log failure unwinds it.
class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = false; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace

void MainForm::Btn_setupClick() {
  Log("开始执行重装");
  m_.UefiMode = m_.SysPartition.PIsGpt;
  Log(m_.UefiMode ? "引导类型：UEFI GPT" : "引导类型：MBR");
  Log("系统盘符：[" + m_.SysPartition.SysbootLetter + "] 磁盘序号：[" + m_.SysPartition.Pdiskid +
      "]");
  Log("数据目录：[" + m_.DataDir + "] 磁盘序号：[" + m_.DataPartition.Pdiskid + "]");
  ShowPage(kPageSysList);
  ShowBanner(2, true);
}

void MainForm::Contorl_install(const std::string& senderName) {
  const ListControl* button = nullptr;
  const std::size_t count = list_.Controls().size();
  for (std::size_t k = 1; k <= count && !button; ++k) {
    if (senderName == std::string(SlotNamePrefix(kSlotInstall)) + std::to_string(k))
      button = list_.Find(senderName);
  }
  if (!button) return;
  // The waits of an install dispatch messages, so after Return the list and
  // its buttons are usable again while the first install still runs. A second
  // install would share the download list, the flags and the engine with it.
  if (m_.InstallRunning) {
    Log("重装正在进行中，忽略本次安装请求");
    return;
  }
  ScopedFlag running(m_.InstallRunning);
  RunInstall(button->hint);
}

void MainForm::RunInstall(const std::string& imageUrl) {
  const std::string imagePath = m_.DataDir + UrlFileName(imageUrl);
  m_.DownList = {imageUrl};
  if (m_.UefiMode) m_.DownList.push_back(m_.PeIsoUrl);
  Log("下载后文件路径:" + imagePath);
  m_.GhoInfo.GhofilePath =
      m_.DataPartition.Pdiskid + (imagePath.size() > 2 ? imagePath.substr(2) : std::string());
  Log("文件路径:" + m_.GhoInfo.GhofilePath);
  ForceDirectories(p_.files, m_.DataDir);

  ShowPage(kPageDownload);
  ShowBanner(3, true);
  m_.DownReturned = false;
  steps_.SetExitRequested(false);
  KeepAwake(p_);
  steps_.DeployEngineFiles(m_.EngineDir);
  Log("开始下载");
  const bool ok = steps_.RunDownloads(m_.DownList, m_.DataDir, m_.EngineDir + "xldl.dll");
  if (!ok) {
    Log("下载失败");
    // After Return the user has left the download; after a quit the program
    // is already ending and the dialog would close by itself.
    if (!m_.DownReturned && !steps_.ExitRequested())
      view_.ShowAppmbox("提示：下载失败，请关闭程序后重试！", false);
    Terminate();
    return;
  }
  // A quit during the PE image leaves the runner reporting the image's
  // success while the PE image is incomplete: no boot chain is prepared then.
  if (steps_.ExitRequested()) {
    Log("下载中止：程序正在退出");
    Terminate();
    return;
  }
  Log("下载成功");
  N5Click();
  if (!p_.files.FileExists(imagePath)) {
    Fail("下载失败：" + imagePath, "系统文件下载失败！");
    return;
  }

  ShowPage(kPageInstall);
  ShowBanner(4, true);
  if (!PrepareBoot(imagePath)) return;
  Log("提示：安装成功");
  // Closed during the boot preparation: the program ends without a restart.
  if (m_.Ending) return;

  ShowPage(kPageFinish);
  m_.RestartSeconds = 10;
  view_.SetCaption("Lab_time", "(10S)");
  view_.SetVisible("Lab_time", true);
  m_.CountdownRunning = true;
  view_.SetCountdownTimer(true);
}

bool MainForm::PrepareBoot(const std::string& imagePath) {
  std::string error;
  bool ok = false;
  if (m_.UefiMode) {
    const std::string s = p_.env.Get("SystemDrive");
    const std::string peFile = UrlFileName(m_.PeIsoUrl);
    const std::string peTarget = s + "\\Boot\\" + peFile;
    ForceDirectories(p_.files, s + "\\BOOT");
    p_.files.Copy(m_.DataDir + peFile, peTarget, false);
    if (!p_.files.FileExists(peTarget)) {
      Fail("数据包拷贝失败！(" + peTarget + ")", "提示：数据包不存在！");
      return false;
    }
    ok = steps_.PreparePeBoot(imagePath, "x86", "5", error, m_.SysPartition.PIsGpt, kTitle, "", "",
                              "");
  } else {
    ok = steps_.PrepareGhostBoot(m_.GhoInfo, kTitle, error);
  }
  if (!ok) {
    Fail("错误：安装失败[" + error + "]", error);
    return false;
  }
  return true;
}

void MainForm::Fail(const std::string& logLine, const std::string& dialogText) {
  Log(logLine);
  view_.ShowAppmbox(dialogText, false);
  Terminate();
}

}  // namespace lum
