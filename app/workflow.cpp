// The install workflow: the setup button fixes the mode, an install button
// downloads the chosen image (and in UEFI mode the PE image), prepares the
// next start of the machine and opens the finish page.
#include "app/mainform.h"
#include "boot/image_probe.h"
#include "boot/payload_table.h"
#include "boot/undo_journal.h"
#include "catalogue/processor_rule.h"
#include "download/digests.h"
#include "download/url_name.h"
#include "inspect/processes.h"
#include "platform/runlog.h"
#include "platform/text.h"

namespace lum {
namespace {

constexpr char kTitle[] = "Lumora";
constexpr char kDigestListName[] = "SHA256SUMS";
constexpr char kNotAnImage[] = "提示：下载的文件不是有效的系统镜像，请重试！";
constexpr char kDigestMismatch[] = "提示：下载的文件校验失败，请重试！";
constexpr char kStopped[] = "安装中止：程序正在退出，引导修改已撤销";

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
  std::size_t row = 0;
  const std::size_t count = list_.Controls().size();
  for (std::size_t k = 1; k <= count && !button; ++k) {
    if (senderName == std::string(SlotNamePrefix(kSlotInstall)) + std::to_string(k)) {
      button = list_.Find(senderName);
      row = k;
    }
  }
  if (!button) return;
  // A 64-bit system cannot start on a processor without long mode: that row
  // is refused and the list stays for another choice.
  std::string reason;
  if (row <= m_.SysCatalog.size() && RefuseRowForProcessor(p_, m_.SysCatalog[row - 1], reason)) {
    Log("错误：" + reason);
    view_.ShowAppmbox("提示：" + reason, false);
    return;
  }
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
  DigestList published;
  if (!LoadPublishedDigests(published)) return;
  // A file an earlier run completed and that still matches its digest is
  // not fetched again; without a digest nothing proves it complete.
  std::vector<std::string> fetch;
  std::vector<std::string> verified;
  for (const std::string& url : m_.DownList) {
    const std::string path = m_.DataDir + UrlFileName(url);
    const bool iso = url == m_.PeIsoUrl;
    if (p_.files.FileExists(path)) {
      const FileCheck check = CheckDownload(path, iso, published);
      if (check == FileCheck::Stopped) {
        Log("校验中止：程序正在退出");
        Terminate();
        return;
      }
      if (check == FileCheck::Verified) {
        Log("已下载并校验通过，不再下载：" + path);
        verified.push_back(path);
        continue;
      }
    }
    fetch.push_back(url);
  }
  const bool ok = fetch.empty() || steps_.RunDownloads(fetch, m_.DataDir, m_.EngineDir + "xldl.dll");
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
  // Nothing of the boot is touched before every downloaded file has passed.
  auto checked = [&](const std::string& path) {
    return std::find(verified.begin(), verified.end(), path) != verified.end();
  };
  if (!checked(imagePath) && !VerifyDownload(imagePath, false, published)) return;
  const std::string pePath = m_.DataDir + UrlFileName(m_.PeIsoUrl);
  if (m_.UefiMode && !checked(pePath) && !VerifyDownload(pePath, true, published)) return;

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

bool MainForm::LoadPublishedDigests(DigestList& published) {
  bool needed = false;
  for (const std::string& url : m_.DownList)
    if (!FindDigest(BuiltInDigests(), UrlFileName(url))) needed = true;
  if (!needed) return true;

  const std::string url = m_.BaseUrl + kDigestListName;
  std::int32_t failCode = 0;
  if (steps_.FetchQuietly(url, m_.WorkDir, m_.EngineDir + "xldl.dll", failCode)) {
    std::optional<Bytes> text = p_.files.Read(m_.WorkDir + kDigestListName);
    if (!text || !ParseSha256Sums(std::string(text->begin(), text->end()), published)) {
      // A login page answering in the list's place must not pass for "no digests".
      Fail("错误：校验文件无法识别(" + url + ")", "提示：校验文件无法识别，请稍后重试！");
      return false;
    }
    Log("读取校验文件：" + url);
    return true;
  }
  if (steps_.ExitRequested()) {
    Log("下载中止：程序正在退出");
    Terminate();
    return false;
  }
  if (failCode == 404 || failCode == 410) {
    Log("校验文件未发布：" + url);
    return true;
  }
  Fail("错误：校验文件下载失败(" + url + ")", "提示：下载失败，请关闭程序后重试！");
  return false;
}

// Hashes the file with the page showing it; nullopt when the hashing failed
// or the end of the program was requested (stopped is set then).
std::optional<Sha256Digest> MainForm::HashWithProgress(const std::string& path, std::uint64_t size,
                                                       bool& stopped) {
  view_.SetCaption("Down_SD", "校验中");
  view_.SetProgressMax(100);
  view_.SetProgress(0);
  int shown = 0;
  std::optional<std::uint64_t> lastPump;
  std::optional<Sha256Digest> actual = p_.digests.Sha256File(path, [&](std::uint64_t done) {
    const int percent = size ? static_cast<int>(done * 100 / size) : 100;
    if (percent != shown) view_.SetProgress(shown = percent);
    // The window stays as responsive as during the download.
    if (!lastPump || p_.clock.TickMs() - *lastPump >= 50) {
      p_.pump.Pump();
      lastPump = p_.clock.TickMs();
    }
    return !steps_.ExitRequested();
  });
  stopped = steps_.ExitRequested();
  if (actual) {
    view_.SetProgress(100);
    view_.SetCaption("Down_SD", "校验完成");
  }
  return actual;
}

MainForm::FileCheck MainForm::CheckDownload(const std::string& path, bool isoImage,
                                            const DigestList& published) {
  const std::optional<std::uint64_t> size = p_.files.Size(path);
  const bool format = size && *size > 0 &&
                      (isoImage ? IsIsoImage(p_.files, path) : IsGhostImage(p_.files, path));
  if (!format) return FileCheck::NotAnImage;
  const std::string name = ExtractFileName(path);
  std::optional<FileDigest> expected = FindDigest(BuiltInDigests(), name);
  if (!expected) expected = FindDigest(published, name);
  if (!expected) return FileCheck::NoDigest;
  if (expected->size && *expected->size != *size) return FileCheck::Mismatch;
  bool stopped = false;
  std::optional<Sha256Digest> actual = HashWithProgress(path, *size, stopped);
  if (stopped) return FileCheck::Stopped;
  if (!actual) return FileCheck::HashFailed;
  return *actual == expected->sha256 ? FileCheck::Verified : FileCheck::Mismatch;
}

bool MainForm::VerifyDownload(const std::string& path, bool isoImage, const DigestList& published) {
  switch (CheckDownload(path, isoImage, published)) {
    case FileCheck::Verified:
      Log("SHA256校验通过：" + path);
      return true;
    case FileCheck::NoDigest:
      Log("未校验SHA256(没有校验值)：" + path);
      return true;
    case FileCheck::NotAnImage:
      p_.files.Delete(path);
      Fail("错误：下载的文件不是有效的系统镜像(" + path + ")", kNotAnImage);
      return false;
    case FileCheck::Mismatch:
      p_.files.Delete(path);
      Fail("错误：文件校验失败(" + path + ")", kDigestMismatch);
      return false;
    case FileCheck::HashFailed:
      Fail("错误：文件校验失败(" + path + ")，错误代码：" + std::to_string(p_.system.LastError()),
           kDigestMismatch);
      return false;
    case FileCheck::Stopped:
      break;
  }
  Log("校验中止：程序正在退出");
  Terminate();
  return false;
}

bool MainForm::PrepareBoot(const std::string& imagePath) {
  UndoJournal journal(p_);
  BootRun run{journal, [this] { return steps_.ExitRequested(); }};
  // What an earlier run left (finished and closed, or a restore that came
  // back) goes first, so that this run starts from the machine as it was
  // before the first run and its own failure leads back there.
  if (journal.HasRecord()) {
    Log("撤销上次运行的引导修改");
    if (!journal.Undo()) {
      Fail("错误：安装失败[撤销上次的引导修改失败！]", "撤销上次的引导修改失败！");
      return false;
    }
  }
  std::string error;
  bool ok = false;
  if (m_.UefiMode) {
    const std::string s = p_.env.Get("SystemDrive");
    const std::string peFile = UrlFileName(m_.PeIsoUrl);
    const std::string peSource = m_.DataDir + peFile;
    const std::string peTarget = s + "\\Boot\\" + peFile;
    if (journal.KeepDirs(s + "\\BOOT") && journal.Keep(peTarget)) {
      ForceDirectories(p_.files, s + "\\BOOT");
      // Only this run's copy of the verified image counts.
      p_.files.SetAttributes(peTarget, kAttrPlain);
      p_.files.Delete(peTarget);
      p_.files.Copy(peSource, peTarget, false);
    }
    if (!p_.files.FileExists(peTarget) || p_.files.Size(peTarget) != p_.files.Size(peSource)) {
      journal.Undo();
      Fail("数据包拷贝失败！(" + peTarget + ")", "提示：数据包不存在！");
      return false;
    }
    ok = steps_.PreparePeBoot(run, imagePath, "x86", "5", error, m_.SysPartition.PIsGpt, kTitle,
                              "", "", "");
  } else {
    ok = steps_.PrepareGhostBoot(run, m_.GhoInfo, kTitle, error);
  }
  // A quit confirmed while the last step ran finds the boot prepared: undone too.
  if (ok && steps_.ExitRequested()) {
    run.stopped = true;
    run.undone = journal.Undo();
  }
  if (run.stopped) {
    Log(run.undone ? kStopped : "安装中止：程序正在退出，引导修改撤销失败");
    Terminate();
    return false;
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
