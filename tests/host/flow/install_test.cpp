// The whole install on the simulated machine, with the engine core fetching
// from nginx on 127.0.0.1 and the boot chains running against the simulated
// drives: the legacy Ghost path, the UEFI path, the failure rows, and the
// window's handlers reaching a running download.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/mainform.h"
#include "download/core_engine.h"
#include "engine/state_file.h"
#include "download/deploy.h"
#include "download/pump_wait.h"
#include "engine/host/curl_transport.h"
#include "tests/host/bootchain/boot_sim.h"
#include "tests/host/engine/test_servers.h"
#include "tests/host/flow/flow_support.h"

namespace lum::flowtest {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class HostDir {
 public:
  HostDir() {
    std::string pattern = (fs::temp_directory_path() / "lumora-flow-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~HostDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

enum class Style { Mbr, Gpt };

// One machine, one server, one main window.
class Rig {
 public:
  explicit Rig(Style style) : style_(style) {
    fs::create_directories(www_.path() + "/a");
    // nginx's worker runs as another user: the served folders must be readable.
    for (const std::string& dir : {www_.path(), www_.path() + "/a"})
      fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    fs::create_directories(work_.path() + "/nginx");
    // The PE image: the ISO that xorriso made for the boot chain tests, taken
    // off the machine so that only the download can bring it back.
    peIso_ = *bs.m.ReadFile("C:\\BOOT\\KRP8PE6F.ISO");
    bs.m.platform().files.Delete("C:\\BOOT\\KRP8PE6F.ISO");
    bs.m.platform().files.Delete("D:\\ZqGhost\\win7x64.gho");
    for (const EngineFile& f : EngineFiles())
      bs.m.AddResource(f.type, f.name, std::string_view("engine file"));
    bs.m.RegisterProgram("cmd /c shutdown", [](sim::SimRun&) { return 0; });
    if (style == Style::Gpt) bs.m.UseWindows(10, 0, 10240, 0, true, "10.0.10240.16384");
    ToolLine c{"1:1", "C:", "100.00GB", "50.00GB"}, d{"1:2", "D:", "200.00GB", "150.00GB"};
    if (style == Style::Gpt) c.style = d.style = "GPT";
    else c.active = "1";
    InstallDiskTool(bs.m, {c, d});
  }

  // Serves a file under /a/.
  void Serve(const std::string& name, const std::string& data) {
    const std::string path = www_.path() + "/a/" + name;
    ASSERT_TRUE(enginetest::WriteFile(path, data));
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
  }
  // Publishes SHA256SUMS for every file served so far, as sha256sum writes it.
  void PublishSums() {
    ASSERT_EQ(std::system(("cd '" + www_.path() + "/a' && sha256sum -- $(ls | grep -v SHA256SUMS) > SHA256SUMS && chmod 644 SHA256SUMS").c_str()), 0);
  }
  // A Ghost image: its signature, then data.
  std::string Image(const std::string& name) {
    return std::string("\xFE\xEF\x01\x00", 4) + enginetest::RandomBytes(300 * 1024, name.size());
  }

  // Starts nginx, creates the window and presses the setup button.
  void Start() {
    ASSERT_TRUE(nginx_.Start(www_.path(), work_.path() + "/nginx", true));
    bs.m.SetEnv("LUMORA_BASE_URL", "http://127.0.0.1:" + std::to_string(nginx_.port));
    form.FormCreate();
    ASSERT_FALSE(view.terminated) << view.dialogs.front();
    logStart_ = RunLogLines(bs.m).size();
    form.Btn_setupClick();
  }
  std::string Url(const std::string& name) const { return form.model().BaseUrl + name; }

  // Runs something on the n-th pump of the window's messages from now on.
  void OnPump(std::function<void(Rig&)> action) {
    bs.m.OnPump([this, action](sim::SimMachine&) {
      if (!inPump_) {
        inPump_ = true;
        action(*this);
        inPump_ = false;
      }
    });
  }

  // Log lines since the setup button.
  Lines Log() const {
    Lines all = RunLogLines(const_cast<test::BootSim&>(bs).m);
    return {all.begin() + static_cast<long>(logStart_), all.end()};
  }
  // The last n log lines, the server's "/a/" address written as "URL:".
  Lines LogTail(std::size_t n) const {
    Lines log = Log();
    Lines tail(log.end() - static_cast<long>(std::min(n, log.size())), log.end());
    const std::string url = form.model().BaseUrl;
    for (std::string& l : tail)
      if (std::size_t at = l.find(url); at != std::string::npos) l.replace(at, url.size(), "URL:");
    return tail;
  }
  bool Logged(const std::string& line) const {
    Lines l = Log();
    return std::find(l.begin(), l.end(), line) != l.end();
  }

  test::BootSim bs;
  FakeView view;
  engine::EngineOptions options;
  CoreEngineLoader loader{
      bs.m.platform().files,
      [] {
        return std::make_unique<engine::Engine>(
            engine::MakeCurlTransport(),
            std::shared_ptr<engine::IEngineFiles>(engine::MakeNativeFiles()));
      },
      [this](const std::string& dir) { return bs.m.Host(dir).string() + "/"; }};
  ClockMessageWait wait{bs.p().clock};
  std::unique_ptr<IInstallSteps> steps = MakeInstallSteps(bs.p(), bs.ini(), loader, wait, view);
  MainForm form{bs.p(), view, *steps};
  std::string peIso_;

 private:
  Style style_;
  HostDir www_, work_;
  enginetest::NginxServer nginx_;
  std::size_t logStart_ = 0;
  bool inPump_ = false;
};

Lines SetupLines(const char* bootType) {
  return {"开始执行重装", bootType, "系统盘符：[C:] 磁盘序号：[1:1]",
          "数据目录：[D:\\ZqGhost\\] 磁盘序号：[1:2]"};
}

TEST(Install, LegacyGhostPathToTheRestart) {
  Rig r(Style::Mbr);
  const std::string image = r.Image("win7x64.gho");
  r.Serve("win7x64.gho", image);
  r.PublishSums();
  r.Start();
  EXPECT_EQ(r.Log(), SetupLines("引导类型：MBR"));
  EXPECT_EQ(r.view.page, kPageSysList);
  EXPECT_TRUE(r.view.banners[2]);
  EXPECT_FALSE(r.form.model().UefiMode);

  r.form.Contorl_install("JXBUTTONI3");  // Windows 7 64-bit
  const MainModel& m = r.form.model();
  EXPECT_EQ(m.DownList, Lines{r.Url("win7x64.gho")});
  EXPECT_EQ(m.GhoInfo.GhofilePath, "1:2\\ZqGhost\\win7x64.gho");
  Lines log = r.Log();
  Lines head(log.begin(), log.begin() + std::min<std::size_t>(log.size(), 17));
  Lines expected = SetupLines("引导类型：MBR");
  for (const std::string& l :
       Lines{"下载后文件路径:D:\\ZqGhost\\win7x64.gho", "文件路径:1:2\\ZqGhost\\win7x64.gho", "开始下载",
             "[Load API] C:\\Windows\\Temp\\ZqXunlei\\xldl.dll", "[Download Url] " + r.Url("SHA256SUMS"),
             "[Download Path] " + m.WorkDir, "读取校验文件：" + r.Url("SHA256SUMS"),
             "[Load API] C:\\Windows\\Temp\\ZqXunlei\\xldl.dll",
             "[Download Url] " + r.Url("win7x64.gho"), "[Download Path] D:\\ZqGhost\\", "下载成功",
             "SHA256校验通过：D:\\ZqGhost\\win7x64.gho"})
    expected.push_back(l);
  head.resize(expected.size());
  EXPECT_EQ(head, expected);
  EXPECT_EQ(log.back(), "提示：安装成功");

  EXPECT_TRUE(r.bs.m.ReadFile("D:\\ZqGhost\\win7x64.gho") == image);
  EXPECT_TRUE(r.bs.m.Exists("C:\\Windows\\Temp\\ZqXunlei\\xldl.dll"));
  EXPECT_TRUE(r.bs.m.ScreenSaverDisabled());
  const std::optional<std::string> ghost = r.bs.m.ReadFile("C:\\Ghost.ba_");
  ASSERT_TRUE(ghost);
  EXPECT_NE(ghost->find("1:2\\ZqGhost\\win7x64.gho"), std::string::npos) << *ghost;
  EXPECT_NE(ghost->find("1:1"), std::string::npos) << *ghost;
  const std::string store = r.bs.Store();
  EXPECT_NE(store.find(std::string("default=") + test::kG), std::string::npos) << store;
  EXPECT_NE(store.find("description=Lumora"), std::string::npos) << store;
  EXPECT_FALSE(r.bs.m.Exists("C:\\BOOT\\KRP8PE6F.ISO"));  // no PE image on this path

  EXPECT_TRUE(r.view.dialogs.empty());
  EXPECT_FALSE(r.view.terminated);
  EXPECT_EQ(r.view.page, kPageFinish);
  EXPECT_TRUE(r.view.banners[4]);
  EXPECT_EQ(r.view.captions["Down_fn"], "win7x64.gho");
  EXPECT_EQ(r.view.captions["Down_pro"], "100.00%");
  EXPECT_EQ(r.view.progress, 100);
  EXPECT_NE(std::find(r.view.events.begin(), r.view.events.end(), "show window"),
            r.view.events.end());
  EXPECT_EQ(r.view.captions["Lab_time"], "(10S)");
  EXPECT_TRUE(r.view.visibility["Lab_time"]);
  EXPECT_TRUE(r.view.timer);
  EXPECT_EQ(m.RestartSeconds, 10);

  // Ten ticks: (9S) down to (1S), then (0S), hidden, and the restart.
  const std::string restart = "cmd /c shutdown /r /t 0 ";
  auto restarts = [&] {
    return std::count(r.bs.m.Started().begin(), r.bs.m.Started().end(), restart);
  };
  for (int i = 9; i >= 1; --i) {
    r.form.Timer_CountDownTimer();
    EXPECT_EQ(r.view.captions["Lab_time"], "(" + std::to_string(i) + "S)");
  }
  EXPECT_EQ(restarts(), 0);
  EXPECT_TRUE(r.view.visibility["Lab_time"]);
  r.form.Timer_CountDownTimer();
  EXPECT_EQ(r.view.captions["Lab_time"], "(0S)");
  EXPECT_FALSE(r.view.visibility["Lab_time"]);
  EXPECT_FALSE(r.view.timer);
  EXPECT_EQ(restarts(), 1);
  r.form.Pic_restartClick();
  EXPECT_EQ(restarts(), 2);
}

TEST(Install, UefiPathImageThenPeImageAndTheRamdiskEntry) {
  Rig r(Style::Gpt);
  const std::string image = r.Image("win10x64.gho");
  r.Serve("win10x64.gho", image);
  r.Serve("KRP8PE6F.ISO", r.peIso_);
  r.Start();
  EXPECT_EQ(r.Log(), SetupLines("引导类型：UEFI GPT"));
  EXPECT_TRUE(r.form.model().UefiMode);
  r.form.Contorl_install("JXBUTTONI5");  // Windows 10 64-bit
  const MainModel& m = r.form.model();
  EXPECT_EQ(m.DownList, (Lines{r.Url("win10x64.gho"), r.Url("KRP8PE6F.ISO")}));
  EXPECT_TRUE(r.Logged("[Download Url] " + r.Url("win10x64.gho")));
  EXPECT_TRUE(r.Logged("[Download Url] " + r.Url("KRP8PE6F.ISO")));
  EXPECT_EQ(r.Log().back(), "提示：安装成功");
  EXPECT_TRUE(r.bs.m.ReadFile("D:\\ZqGhost\\win10x64.gho") == image);
  EXPECT_TRUE(r.bs.m.ReadFile("D:\\ZqGhost\\KRP8PE6F.ISO") == r.peIso_);
  EXPECT_TRUE(r.bs.m.ReadFile("C:\\Boot\\KRP8PE6F.ISO") == r.peIso_);
  const std::optional<std::string> wim = r.bs.m.ReadFile("C:\\BOOT\\KRP8PE6L.WIM");
  ASSERT_TRUE(wim);
  EXPECT_EQ(wim->substr(0, 5), "MSWIM");
  const std::string store = r.bs.Store();
  EXPECT_NE(store.find("ramdisk=[C:]\\boot\\KRP8PE6L.WIM"), std::string::npos) << store;
  EXPECT_NE(store.find(std::string("default=") + test::kG), std::string::npos) << store;
  const std::optional<std::string> kfun = r.bs.m.ReadFile("C:\\KFun.JP");
  ASSERT_TRUE(kfun);
  EXPECT_TRUE(r.bs.m.Exists("D:\\GFun.JP"));  // beside the image
  EXPECT_FALSE(r.bs.m.Exists("C:\\Ghost.ba_"));
  EXPECT_EQ(r.view.page, kPageFinish);
  EXPECT_TRUE(r.view.timer);
  EXPECT_TRUE(r.view.dialogs.empty());
}

struct FailureCase {
  const char* what;
  Style style;
  std::function<void(Rig&)> setUp;
  Lines tail;         // the last log lines
  Lines dialogs;
};

TEST(Install, EachFailureLogsShowsAndEnds) {
  const std::vector<FailureCase> cases = {
      {"download failed", Style::Mbr, [](Rig&) {},
       {"[Download failed] URL:win7x64.gho", "下载失败"},
       {"提示：下载失败，请关闭程序后重试！"}},
      {"download failed after Return", Style::Mbr,
       [](Rig& r) { r.OnPump([](Rig& x) { if (x.view.page == kPageDownload) x.form.Lab_ReturnClick(); }); },
       {"[Download failed] URL:win7x64.gho", "下载失败"}, {}},
      {"image missing while the PE image succeeded", Style::Gpt,
       [](Rig& r) { r.Serve("KRP8PE6F.ISO", r.peIso_); },
       {"下载成功", "下载失败：D:\\ZqGhost\\win7x64.gho"}, {"系统文件下载失败！"}},
      {"PE image copy failed", Style::Gpt,
       [](Rig& r) {
         r.Serve("win7x64.gho", r.Image("win7x64.gho"));
         r.Serve("KRP8PE6F.ISO", r.peIso_);
         r.bs.m.Fail("files.Copy", "C:\\Boot\\KRP8PE6F.ISO");
       },
       {"未校验SHA256(没有校验值)：D:\\ZqGhost\\KRP8PE6F.ISO", "数据包拷贝失败！(C:\\Boot\\KRP8PE6F.ISO)"},
       {"提示：数据包不存在！"}},
      {"boot preparation failed", Style::Mbr,
       [](Rig& r) {
         r.Serve("win7x64.gho", r.Image("win7x64.gho"));
         r.bs.m.Fail("files.Write", "Ghost.ba_");
       },
       {"错误：安装失败[Boot启动文件创建失败！]"}, {"Boot启动文件创建失败！"}},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r(c.style);
    c.setUp(r);
    r.Start();
    r.form.Contorl_install("JXBUTTONI3");
    EXPECT_EQ(r.LogTail(c.tail.size()), c.tail);
    EXPECT_EQ(r.view.dialogs, c.dialogs);
    EXPECT_TRUE(r.view.terminated);
    EXPECT_FALSE(r.view.timer);
    EXPECT_NE(r.view.page, kPageFinish);
    EXPECT_FALSE(r.Logged("提示：安装成功"));
    EXPECT_FALSE(r.form.model().InstallRunning);
  }
}

TEST(Install, CloseDuringTheDownloadAnsweredCancelGoesOn) {
  Rig r(Style::Mbr);
  r.Serve("win7x64.gho", r.Image("win7x64.gho"));
  r.Start();
  r.view.answers = {kMbCancel};
  bool asked = false;
  r.OnPump([&](Rig& x) {
    if (!asked && x.view.page == kPageDownload) {
      asked = true;
      x.form.Btn_CloseClick();
    }
  });
  r.form.Contorl_install("JXBUTTONI3");
  EXPECT_EQ(r.view.dialogs, Lines{"提示：程序正在运行，确定要退出吗？"});
  EXPECT_FALSE(r.view.closed);
  EXPECT_EQ(r.view.page, kPageFinish);
  EXPECT_TRUE(r.Logged("提示：安装成功"));
}

TEST(Install, QuitDuringTheDownloadStopsWithoutABootChain) {
  struct Quit {
    const char* what;
    std::function<void(MainForm&)> action;
    Lines dialogs;
  };
  const std::vector<Quit> quits = {
      {"close answered OK", [](MainForm& f) { f.Btn_CloseClick(); },
       {"提示：程序正在运行，确定要退出吗？"}},
      {"tray exit", [](MainForm& f) { f.N4Click(); }, {}},
  };
  for (const Quit& q : quits) {
    SCOPED_TRACE(q.what);
    Rig r(Style::Mbr);
    r.Serve("win7x64.gho", r.Image("win7x64.gho"));
    r.Start();
    bool done = false;
    r.OnPump([&](Rig& x) {
      if (!done && x.view.captions["Down_fn"] == "win7x64.gho") {
        done = true;
        q.action(x.form);
      }
    });
    r.form.Contorl_install("JXBUTTONI3");
    EXPECT_EQ(r.view.dialogs, q.dialogs);
    EXPECT_TRUE(r.view.closed);
    EXPECT_TRUE(r.steps->ExitRequested());
    EXPECT_TRUE(r.Logged("下载失败"));
    EXPECT_FALSE(r.Logged("下载成功"));
    EXPECT_FALSE(r.bs.m.Exists("C:\\Ghost.ba_"));
    EXPECT_NE(r.view.page, kPageFinish);
  }
}

TEST(Install, QuitDuringThePeImagePreparesNothing) {
  Rig r(Style::Gpt);
  r.Serve("win7x64.gho", r.Image("win7x64.gho"));
  r.Serve("KRP8PE6F.ISO", r.peIso_);
  r.Start();
  bool done = false;
  r.OnPump([&](Rig& x) {
    if (!done && x.view.captions["Down_fn"] == "KRP8PE6F.ISO") {
      done = true;
      x.form.N4Click();
    }
  });
  r.form.Contorl_install("JXBUTTONI3");
  ASSERT_TRUE(done);
  EXPECT_TRUE(r.Logged("下载中止：程序正在退出"));
  EXPECT_FALSE(r.Logged("下载成功"));
  EXPECT_FALSE(r.bs.m.Exists("C:\\Boot\\KRP8PE6F.ISO"));
  EXPECT_FALSE(r.bs.m.Exists("C:\\KFun.JP"));
  EXPECT_EQ(r.bs.Store(), test::BootSim::StoreBefore());
  EXPECT_TRUE(r.view.dialogs.empty());
  EXPECT_NE(r.view.page, kPageFinish);
}

TEST(Install, SecondInstallClickWhileOneRunsIsRefused) {
  Rig r(Style::Mbr);
  r.Serve("win7x64.gho", r.Image("win7x64.gho"));
  r.Serve("win10x64.gho", r.Image("win10x64.gho"));
  r.Start();
  bool done = false;
  r.OnPump([&](Rig& x) {
    if (!done && x.view.page == kPageDownload) {
      done = true;
      x.form.Lab_ReturnClick();
      EXPECT_EQ(x.view.page, kPageSysList);
      EXPECT_FALSE(x.view.banners[3]);
      EXPECT_TRUE(x.view.banners[2]);
      x.form.Contorl_install("JXBUTTONI5");
    }
  });
  r.form.Contorl_install("JXBUTTONI3");
  ASSERT_TRUE(done);
  EXPECT_TRUE(r.Logged("重装正在进行中，忽略本次安装请求"));
  const Lines log = r.Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "开始下载"), 1);
  EXPECT_EQ(r.form.model().DownList, Lines{r.Url("win7x64.gho")});
  EXPECT_FALSE(r.bs.m.Exists("D:\\ZqGhost\\win10x64.gho"));
  EXPECT_EQ(r.view.page, kPageFinish);
  // Once the first install is over, the buttons work again.
  EXPECT_FALSE(r.form.model().InstallRunning);
}

TEST(Install, UnknownSenderDoesNothing) {
  Rig r(Style::Mbr);
  r.Start();
  const std::size_t before = r.Log().size();
  r.form.Contorl_install("JXBUTTONI99");
  r.form.Contorl_install("JXLABA3");
  EXPECT_EQ(r.Log().size(), before);
  EXPECT_EQ(r.view.page, kPageSysList);
}

}  // namespace
}  // namespace lum::flowtest

namespace lum::flowtest {
namespace {

// The downloaded file is checked before anything of the boot is touched: its
// format, then its SHA-256 against the server's SHA256SUMS. A file that
// fails is deleted, the run log names it, the dialog tells the user, and the
// program ends with the boot as it was.
TEST(Verify, AFileThatFailsNeverReachesTheBoot) {
  struct Case {
    const char* what;
    std::function<void(Rig&)> serve;
    Lines tail;
    Lines dialogs;
    bool imageFetched;
  };
  const std::string html = "<html><body>Please log in to the hotel network</body></html>\n";
  const std::vector<Case> cases = {
      {"an HTML page served as the image", [&](Rig& r) { r.Serve("win7x64.gho", html); },
       {"错误：下载的文件不是有效的系统镜像(D:\\ZqGhost\\win7x64.gho)"}, {"提示：下载的文件不是有效的系统镜像，请重试！"}, true},
      {"an empty image", [](Rig& r) { r.Serve("win7x64.gho", ""); },
       {"错误：下载的文件不是有效的系统镜像(D:\\ZqGhost\\win7x64.gho)"}, {"提示：下载的文件不是有效的系统镜像，请重试！"}, true},
      {"an image other than the one listed",
       [](Rig& r) {
         r.Serve("win7x64.gho", r.Image("win7x64.gho"));
         r.PublishSums();
         r.Serve("win7x64.gho", r.Image("another image"));
       },
       {"错误：文件校验失败(D:\\ZqGhost\\win7x64.gho)"}, {"提示：下载的文件校验失败，请重试！"}, true},
      {"a login page in the digest list's place",
       [&](Rig& r) {
         r.Serve("win7x64.gho", r.Image("win7x64.gho"));
         r.Serve("SHA256SUMS", html);
       },
       {"错误：校验文件无法识别(URL:SHA256SUMS)"}, {"提示：校验文件无法识别，请稍后重试！"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r(Style::Mbr);
    c.serve(r);
    r.Start();
    r.form.Contorl_install("JXBUTTONI3");
    EXPECT_EQ(r.LogTail(c.tail.size()), c.tail);
    EXPECT_EQ(r.view.dialogs, c.dialogs);
    EXPECT_TRUE(r.view.terminated);
    EXPECT_EQ(r.Logged("[Download Url] " + r.Url("win7x64.gho")), c.imageFetched);
    EXPECT_FALSE(r.bs.m.Exists("D:\\ZqGhost\\win7x64.gho"));
    EXPECT_FALSE(r.bs.m.Exists("C:\\Ghost.ba_"));
    EXPECT_FALSE(r.bs.m.Exists("C:\\ZqUndo"));
    EXPECT_EQ(r.bs.Store(), test::BootSim::StoreBefore());
    EXPECT_NE(r.view.page, kPageFinish);
  }
}

TEST(Verify, WithoutADigestListOnlyTheFormatIsChecked) {
  Rig r(Style::Mbr);
  r.Serve("win7x64.gho", r.Image("win7x64.gho"));
  r.Start();
  r.form.Contorl_install("JXBUTTONI3");
  EXPECT_TRUE(r.Logged("校验文件未发布：" + r.Url("SHA256SUMS")));
  EXPECT_TRUE(r.Logged("未校验SHA256(没有校验值)：D:\\ZqGhost\\win7x64.gho"));
  EXPECT_EQ(r.view.page, kPageFinish);
}

TEST(Verify, TheUefiPathChecksThePeImageToo) {
  Rig r(Style::Gpt);
  r.Serve("win10x64.gho", r.Image("win10x64.gho"));
  r.Serve("KRP8PE6F.ISO", r.peIso_);
  r.PublishSums();
  r.Serve("KRP8PE6F.ISO", r.peIso_ + "changed on the way");
  r.Start();
  r.form.Contorl_install("JXBUTTONI5");
  EXPECT_TRUE(r.Logged("SHA256校验通过：D:\\ZqGhost\\win10x64.gho"));
  EXPECT_EQ(r.Log().back(), "错误：文件校验失败(D:\\ZqGhost\\KRP8PE6F.ISO)");
  EXPECT_FALSE(r.bs.m.Exists("C:\\Boot\\KRP8PE6F.ISO"));
  EXPECT_EQ(r.bs.Store(), test::BootSim::StoreBefore());
}

// Quitting while the image is hashed, or confirming the close on the install
// page while the boot is being prepared: the program ends and nothing stays armed.
TEST(Verify, QuitWhileHashingOrPreparingLeavesNothingArmed) {
  struct Quit {
    const char* what;
    std::function<bool(Rig&)> when;
    const char* logged;
  };
  const std::vector<Quit> quits = {
      {"while hashing", [](Rig& x) { return x.view.captions["Down_SD"] == "校验中"; }, "校验中止：程序正在退出"},
      {"on the install page", [](Rig& x) { return x.view.page == kPageInstall; },
       "安装中止：程序正在退出，引导修改已撤销"},
  };
  for (const Quit& q : quits) {
    SCOPED_TRACE(q.what);
    Rig r(Style::Mbr);
    r.Serve("win7x64.gho", r.Image("win7x64.gho"));
    r.PublishSums();
    r.Start();
    r.view.answers = {kMbOk};
    bool done = false;
    r.OnPump([&](Rig& x) {
      if (!done && q.when(x)) {
        done = true;
        x.form.Btn_CloseClick();
      }
    });
    r.form.Contorl_install("JXBUTTONI3");
    ASSERT_TRUE(done);
    EXPECT_TRUE(r.Logged(q.logged));
    EXPECT_FALSE(r.Logged("提示：安装成功"));
    EXPECT_FALSE(r.bs.m.Exists("C:\\Ghost.ba_"));
    EXPECT_FALSE(r.bs.m.Exists("C:\\wvldr"));
    EXPECT_FALSE(r.bs.m.Exists("C:\\ZqUndo"));
    EXPECT_EQ(r.bs.Store(), test::BootSim::StoreBefore());
    EXPECT_NE(r.view.page, kPageFinish);
  }
}

}  // namespace
}  // namespace lum::flowtest

namespace lum::flowtest {
namespace {

// A 64-bit row on a processor without long mode is refused at the click; the
// list stays and a 32-bit row installs.
TEST(Install, SixtyFourBitRowOnAProcessorWithoutLongModeIsRefused) {
  Rig r(Style::Mbr);
  r.bs.m.sys.longMode = false;
  r.Serve("win7x32.gho", r.Image("win7x32.gho"));
  r.Start();
  r.form.Contorl_install("JXBUTTONI3");  // Windows 7 64-bit
  EXPECT_EQ(r.Log().back(), "错误：此电脑的处理器不支持64位系统，请选择32位系统！");
  EXPECT_EQ(r.view.dialogs, Lines{"提示：此电脑的处理器不支持64位系统，请选择32位系统！"});
  EXPECT_FALSE(r.view.terminated);
  EXPECT_EQ(r.view.page, kPageSysList);
  EXPECT_FALSE(r.Logged("开始下载"));
  r.form.Contorl_install("JXBUTTONI2");  // Windows 7 32-bit
  EXPECT_EQ(r.view.page, kPageFinish);
}

}  // namespace
}  // namespace lum::flowtest

namespace lum::flowtest {
namespace {

// What an earlier run left in the data folder: a complete image that still
// matches its digest is not fetched again; a partial one of the same address
// is handed to the engine, which keeps what it can prove and ends with the
// server's file.
TEST(Resume, EarlierDownloadsAreUsedOnlyWhenTheyProveThemselves) {
  struct Case {
    const char* what;
    std::function<void(Rig&, const std::string& image)> leave;
    bool fetched;
  };
  const std::vector<Case> cases = {
      {"a complete image matching SHA256SUMS",
       [](Rig& r, const std::string& image) { r.bs.m.PutFile("D:\\ZqGhost\\win7x64.gho", image); }, false},
      {"a complete image of another version",
       [](Rig& r, const std::string&) { r.bs.m.PutFile("D:\\ZqGhost\\win7x64.gho", r.Image("older")); }, true},
      {"a partial image of this address whose state names another version",
       [](Rig& r, const std::string& image) {
         r.bs.m.PutFile("D:\\ZqGhost\\win7x64.gho.td", image.substr(0, image.size() / 2));
         engine::TransferState st{r.Url("win7x64.gho"), static_cast<std::int64_t>(image.size()), "\"older\"", "",
                                  {{static_cast<std::int64_t>(image.size() / 2), static_cast<std::int64_t>(image.size())}},
                                  {}};
         r.bs.m.PutFile("D:\\ZqGhost\\win7x64.gho.td.cfg", engine::FormatState(st));
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r(Style::Mbr);
    const std::string image = r.Image("win7x64.gho");
    r.Serve("win7x64.gho", image);
    r.PublishSums();
    r.Start();
    c.leave(r, image);
    r.form.Contorl_install("JXBUTTONI3");
    EXPECT_EQ(r.Logged("[Download Url] " + r.Url("win7x64.gho")), c.fetched);
    EXPECT_EQ(r.Logged("已下载并校验通过，不再下载：D:\\ZqGhost\\win7x64.gho"), !c.fetched);
    EXPECT_TRUE(r.bs.m.ReadFile("D:\\ZqGhost\\win7x64.gho") == image);
    EXPECT_FALSE(r.bs.m.Exists("D:\\ZqGhost\\win7x64.gho.td"));
    EXPECT_EQ(r.view.page, kPageFinish);
  }
}

}  // namespace
}  // namespace lum::flowtest
