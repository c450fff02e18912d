// The main window's creation on simulated machines: the refusal rules, a
// ready machine, the system list rows, and the work folder's removal.
#include <gtest/gtest.h>

#include "app/mainform.h"
#include "platform/runlog.h"
#include "tests/host/flow/flow_support.h"

namespace lum::flowtest {
namespace {

using sim::SimMachine;

// Creation never reaches the install steps.
class NoSteps : public IInstallSteps {
 public:
  void DeployEngineFiles(const std::string&) override { ADD_FAILURE() << "deploy"; }
  bool RunDownloads(const std::vector<std::string>&, const std::string&,
                    const std::string&) override {
    ADD_FAILURE() << "download";
    return false;
  }
  bool FetchQuietly(const std::string&, const std::string&, const std::string&,
                    std::int32_t&) override {
    ADD_FAILURE() << "digest list";
    return false;
  }
  bool ExitRequested() override { return exit; }
  void SetExitRequested(bool set) override { exit = set; }
  bool PreparePeBoot(BootRun&, const std::string&, const std::string&, const std::string&,
                     std::string&, bool, const std::string&, const std::string&,
                     const std::string&, const std::string&) override {
    ADD_FAILURE() << "pe";
    return false;
  }
  bool PrepareGhostBoot(BootRun&, const TGhofilesysinfo&, const std::string&, std::string&) override {
    ADD_FAILURE() << "ghost";
    return false;
  }
  bool exit = false;
};

const ToolLine kC{"1:1", "C:", "100.00GB", "50.00GB"};
const ToolLine kD{"1:2", "D:", "200.00GB", "180.25GB"};

struct Machine {
  SimMachine m;
  FakeView view;
  NoSteps steps;
  MainForm form{m.platform(), view, steps};

  Machine() { m.SetEnv("LUMORA_BASE_URL", "http://127.0.0.1:8080"); }
  void AddD(sim::DriveSpec setup = {.disk = 0, .partition = 2}) { m.AddDrive('D', setup); }
  // Creation then destruction, as the program runs them; the work folder must
  // exist between the two and be gone afterwards.
  void Run(const std::vector<ToolLine>& lines) {
    InstallDiskTool(m, lines);
    form.FormCreate();
    ASSERT_EQ(WorkFolders(m).size(), 1u);
    EXPECT_EQ("C:\\Windows\\temp\\" + WorkFolders(m)[0] + "\\", form.model().WorkDir);
    EXPECT_FALSE(m.Exists(form.model().WorkDir + "FerroYX.exe"));
    form.FormDestroy();
    EXPECT_TRUE(WorkFolders(m).empty());
  }
};

const std::vector<std::string> kPrologue = {"读取磁盘信息", "读取非系统分区最大容量驱动器"};

std::vector<std::string> Expect(std::vector<std::string> tail) {
  std::vector<std::string> all = kPrologue;
  all.insert(all.end(), tail.begin(), tail.end());
  return all;
}

struct RefusalCase {
  const char* what;
  std::function<void(Machine&)> setUp;
  std::vector<ToolLine> lines;
  std::vector<std::string> log;  // after the header
  std::string dialog;
};

TEST(FormCreate, EachRefusalLogsShowsAndEnds) {
  ToolLine smallC = kC;
  smallC.total = "2.50GB";
  ToolLine tightD = kD;
  tightD.free = "3.50GB";
  ToolLine cNoAddress = kC;
  cNoAddress.address = "";
  ToolLine dNoAddress = kD;
  dNoAddress.address = "";
  // The tool's letter field with a stray blank: the row escapes the exclusion
  // of the system letter, but the data folder still lies on the system drive.
  ToolLine cBlank = kC;
  cBlank.letter = "C: ";
  cBlank.free = "190.00GB";
  // What the listing tool prints for 3 GiB less 1 MiB and for 4 GiB less
  // 1 MiB free: the whole units stay below the limits.
  ToolLine shortC = kC;
  shortC.total = "2.99GB";
  ToolLine shortD = kD;
  shortD.free = "3.99GB";
  ToolLine fveC = kC;
  fveC.fs = "FVE_NTFS";
  ToolLine fveD = kD;
  fveD.fs = "FVE_NTFS";
  const auto withD = [](Machine& x) { x.AddD(); };
  const std::vector<RefusalCase> cases = {
      {"one fixed partition", [](Machine&) {}, {kC},
       Expect({"数据目录：\\ZqGhost\\", "错误：没有找到可存储下载的多余分区！"}),
       "提示：没有找到可存储下载的多余分区！"},
      {"only a USB drive besides C:",
       [](Machine& x) { x.m.AddDrive('E', {.disk = 1, .partition = 1, .bus = kBusTypeUsb}); },
       {kC, {"2:1", "E:", "500.00GB", "400.00GB"}},
       Expect({"数据目录：\\ZqGhost\\", "错误：没有找到可存储下载的多余分区！"}),
       "提示：没有找到可存储下载的多余分区！"},
      {"second internal drive without disk number",
       [](Machine& x) { x.AddD({.disk = -1, .partition = 2}); }, {kC, kD},
       Expect({"数据目录：D:\\ZqGhost\\", "错误：没有找到可存储的多余分区！"}),
       "提示：没有找到可存储的多余分区！"},
      {"data drive is the system drive", withD, {cBlank, kD},
       Expect({"数据目录：C: \\ZqGhost\\", "错误：没有找到可存储的多余分区！"}),
       "提示：没有找到可存储的多余分区！"},
      {"system partition of 2.5 GB", withD, {smallC, kD},
       Expect({"数据目录：D:\\ZqGhost\\", "错误：系统分区容量不足！"}),
       "提示：系统分区容量不足！"},
      {"D: with 3.5 GB free", withD, {kC, tightD},
       Expect({"数据目录：D:\\ZqGhost\\", "错误：D盘空间不足(可用容量需大于4GB)！"}),
       "提示：D盘空间不足(可用容量需大于4GB)！"},
      {"system partition without address", withD, {cNoAddress, kD},
       Expect({"数据目录：D:\\ZqGhost\\", "错误：系统驱动器序号获取失败！"}),
       "提示：系统驱动器序号获取失败！"},
      {"data partition without address", withD, {kC, dNoAddress},
       Expect({"数据目录：D:\\ZqGhost\\", "错误：数据目录盘符序号获取失败！"}),
       "提示：数据目录盘符序号获取失败！"},
      {"system partition 1 MiB short of 3 GiB", withD, {shortC, kD},
       Expect({"数据目录：D:\\ZqGhost\\", "错误：系统分区容量不足！"}),
       "提示：系统分区容量不足！"},
      {"D: 1 MiB short of 4 GiB free", withD, {kC, shortD},
       Expect({"数据目录：D:\\ZqGhost\\", "错误：D盘空间不足(可用容量需大于4GB)！"}),
       "提示：D盘空间不足(可用容量需大于4GB)！"},
      {"BitLocker on the system partition", withD, {fveC, kD},
       Expect({"数据目录：D:\\ZqGhost\\", "错误：系统分区已启用BitLocker加密，无法重装！"}),
       "提示：系统分区已启用BitLocker加密，无法重装！"},
      {"BitLocker on both: the system partition is named", withD, {fveC, fveD},
       Expect({"数据目录：D:\\ZqGhost\\", "错误：系统分区已启用BitLocker加密，无法重装！"}),
       "提示：系统分区已启用BitLocker加密，无法重装！"},
      {"BitLocker on the data partition", withD, {kC, fveD},
       Expect({"数据目录：D:\\ZqGhost\\", "错误：D盘已启用BitLocker加密，无法存放系统镜像！"}),
       "提示：D盘已启用BitLocker加密，无法存放系统镜像！"},
      {"BitLocker on a hidden-type data partition E:",
       [](Machine& x) { x.m.AddDrive('E', {.disk = 0, .partition = 2}); },
       {kC, {"1:2", "E:", "200.00GB", "180.25GB", "Primary", "hidden_FVE_NTFS"}},
       Expect({"数据目录：E:\\ZqGhost\\", "错误：E盘已启用BitLocker加密，无法存放系统镜像！"}),
       "提示：E盘已启用BitLocker加密，无法存放系统镜像！"},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.what);
    Machine x;
    c.setUp(x);
    x.Run(c.lines);
    EXPECT_EQ(LinesAfterHeader(x.m), c.log);
    EXPECT_EQ(x.view.dialogs, std::vector<std::string>{c.dialog});
    EXPECT_TRUE(x.view.terminated);
    EXPECT_TRUE(x.form.model().Ending);
    EXPECT_FALSE(x.form.model().SetupEnabled);
    EXPECT_FALSE(x.view.enabledState.count("Btn_setup"));
    EXPECT_TRUE(x.view.created.empty());
    EXPECT_EQ(x.view.page, kPageHome);
  }
}

TEST(FormCreate, ReadyMachineOpensTheHomePageWithTheListBuilt) {
  Machine x;
  x.AddD();
  x.Run({kC, kD});
  EXPECT_EQ(LinesAfterHeader(x.m), Expect({"数据目录：D:\\ZqGhost\\",
                                           "系统分区磁盘序号：[1:1] 盘符：[C:]",
                                           "引导隐藏分区：[NO]",
                                           "迅雷目录：C:\\Windows\\Temp\\ZqXunlei\\",
                                           "读取系统列表", "推荐：Win7(x64)"}));
  EXPECT_EQ(x.view.events.front(), "tabs hidden");
  EXPECT_TRUE(x.view.dialogs.empty());
  EXPECT_FALSE(x.view.terminated);
  EXPECT_EQ(x.view.page, kPageHome);
  EXPECT_TRUE(x.view.enabledState["Btn_setup"]);
  EXPECT_EQ(x.view.events.back(), "enabled Btn_setup on");
  const MainModel& m = x.form.model();
  EXPECT_EQ(m.DataDir, "D:\\ZqGhost\\");
  EXPECT_EQ(m.DataPartition.Pdiskid, "1:2");
  EXPECT_EQ(m.DataPartition.PFreesize, 180);
  EXPECT_EQ(m.SysPartition.PSzie, 100);
  EXPECT_EQ(m.GhoInfo.Restorepartitionid, "1:1");
  EXPECT_EQ(m.GhoInfo.GhofilesRpartition, "1");
  EXPECT_EQ(m.EngineDir, "C:\\Windows\\Temp\\ZqXunlei\\");
  EXPECT_EQ(m.PeIsoUrl, "http://127.0.0.1:8080/a/KRP8PE6F.ISO");
  EXPECT_EQ(m.BaseUrl, "http://127.0.0.1:8080/a/");
  ASSERT_EQ(m.SysCatalog.size(), 7u);
  EXPECT_NE(m.SysCatalog[2].find("|http://127.0.0.1:8080/a/win7x64.gho|"), std::string::npos);
}

// Exactly 3 units on the system partition and 4 free on the data partition
// are enough.
TEST(FormCreate, ExactlyTheRequiredUnitsPass) {
  Machine x;
  x.AddD();
  x.Run({{"1:1", "C:", "3.00GB", "1.00GB"}, {"1:2", "D:", "200.00GB", "4.00GB"}});
  EXPECT_TRUE(x.view.dialogs.empty());
  EXPECT_FALSE(x.view.terminated);
  EXPECT_TRUE(x.view.enabledState["Btn_setup"]);
  EXPECT_EQ(x.form.model().SysPartition.PSzie, 3);
  EXPECT_EQ(x.form.model().DataPartition.PFreesize, 4);
}

// 4 GiB of memory would suggest 64 bits; the processor cannot run them.
TEST(FormCreate, ProcessorWithoutLongModeIsRecommendedThirtyTwoBits) {
  Machine x;
  x.AddD();
  x.m.sys.longMode = false;
  x.Run({kC, kD});
  const std::vector<std::string> log = LinesAfterHeader(x.m);
  EXPECT_EQ(log.back(), "推荐：Win7(x86)");
}

TEST(FormCreate, RunLogFailureEndsTheSequenceEarly) {
  Machine x;
  x.AddD();
  InstallDiskTool(x.m, {kC, kD});
  x.m.Fail("files.Append", "OrvekRun.LOG");
  EXPECT_THROW(x.form.FormCreate(), RunLogError);
  EXPECT_EQ(x.view.page, kPageHome);
  EXPECT_FALSE(x.view.enabledState.count("Btn_setup"));
  EXPECT_TRUE(x.view.created.empty());
  EXPECT_FALSE(x.view.terminated);
  x.form.FormDestroy();
  EXPECT_TRUE(WorkFolders(x.m).empty());
}

TEST(FormCreate, SystemVolumeBehindAHiddenPartitionIsLogged) {
  Machine x;
  x.m.AddDrive('C', {.disk = 0, .partition = 2});
  x.AddD({.disk = 0, .partition = 3});
  x.Run({{"1:2", "C:", "100.00GB", "50.00GB"}, {"1:3", "D:", "200.00GB", "180.00GB"}});
  const std::vector<std::string> log = LinesAfterHeader(x.m);
  EXPECT_NE(std::find(log.begin(), log.end(), "引导隐藏分区：[YES]"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "系统分区磁盘序号：[1:2] 盘符：[C:]"), log.end());
}

TEST(FormCreate, AddressesFollowTheBuildDefaultsAndTheEnvironment) {
  Machine x;
  x.m.UnsetEnv("LUMORA_BASE_URL");
  x.m.SetEnv("LUMORA_SITE_URL", "http://127.0.0.1:9/site/");
  x.AddD();
  x.Run({kC, kD});
  EXPECT_EQ(x.form.model().PeIsoUrl, std::string(LUMORA_TEST_BASE_URL) + "/a/KRP8PE6F.ISO");
  EXPECT_EQ(x.form.model().SiteUrl, "http://127.0.0.1:9/site");
  x.form.N3Click();
  x.form.ZeDaraLabel1Click();
  EXPECT_EQ(x.m.ShellOpened(),
            (std::vector<std::string>{"http://127.0.0.1:9/site", "http://127.0.0.1:9/site"}));
}

TEST(SystemList, RowsFollowTheLayoutTable) {
  Machine x;
  x.AddD();
  x.Run({kC, kD});
  const ListControlSet& set = x.form.listControls();
  EXPECT_EQ(set.Controls().size(), 7u * 7u + 1u);  // seven rows of seven, one badge
  EXPECT_EQ(x.view.created, set.Controls());
  const ListControl* pic = set.Find("JXPICA1");
  ASSERT_TRUE(pic);
  EXPECT_EQ(pic->kind, ListControlKind::Panel);
  EXPECT_EQ(pic->picture, "XP");
  EXPECT_EQ(pic->rect, (ListRect{0, 15, 100, 60}));
  const ListControl* name = set.Find("JXLABA1");
  ASSERT_TRUE(name);
  EXPECT_EQ(name->caption, "Windows XP[32位]");
  EXPECT_EQ(name->fontSize, 12);
  EXPECT_EQ(name->colour, 0xF7B57Eu);
  EXPECT_FALSE(name->bold);
  EXPECT_TRUE(name->showHint);
  EXPECT_EQ(name->rect, (ListRect{3, 136, 200, 20}));
  const ListControl* desc = set.Find("JXLABB2");
  ASSERT_TRUE(desc);
  EXPECT_EQ(desc->caption, "简洁高效，稳定安全，兼容性强，性能强劲。");
  EXPECT_EQ(desc->fontSize, 11);
  EXPECT_EQ(desc->colour, 0x908E8Cu);
  EXPECT_EQ(desc->rect, (ListRect{41 + 78, 136, 350, 20}));
  EXPECT_EQ(set.Find("JXLABC4")->caption, "更新时间:2017年");
  EXPECT_EQ(set.Find("JXLABD5")->caption, "镜像大小:3.96G");
  EXPECT_EQ(set.Find("JXLABD5")->rect, (ListRect{41 + 4 * 78, 500, 200, 20}));

  const ListControl* badge = set.Find("JXHOTSYS3");
  ASSERT_TRUE(badge);
  EXPECT_EQ(badge->picture, "JXHot");
  EXPECT_EQ(badge->rect, (ListRect{14 + 2 * 78, 440, 47, 28}));
  for (int n : {1, 2, 4, 5, 6, 7}) EXPECT_FALSE(set.Find("JXHOTSYS" + std::to_string(n)));

  const ListControl* button = set.Find("JXBUTTONI6");
  ASSERT_TRUE(button);
  EXPECT_EQ(button->kind, ListControlKind::Button);
  EXPECT_EQ(button->picture, "Btn_installsys");
  EXPECT_EQ(button->hint, "http://127.0.0.1:8080/a/win8x32.gho");
  EXPECT_FALSE(button->showHint);
  EXPECT_TRUE(button->caption.empty());
  EXPECT_EQ(button->rect, (ListRect{14 + 5 * 78, 710, 100, 30}));

  // Row 7 starts 468 pixels below row 1; its separator at 528, 9 high.
  EXPECT_EQ(set.Find("JXPICA7")->rect.top, 468);
  const ListControl* line = set.Find("JXLINES7");
  ASSERT_TRUE(line);
  EXPECT_EQ(line->rect, (ListRect{528, 15, 820, 9}));
  EXPECT_EQ(line->caption, std::string(201, '-'));
  EXPECT_EQ(line->fontSize, 9);
  EXPECT_EQ(line->colour, 0xFB811Bu);
}

TEST(SystemList, GptMachineWithoutCatalogueFamilyGetsNoBadge) {
  Machine x;
  x.m.UseWindows(6, 1, 7601, 1, true, "");  // unreadable ntdll version: class "Unknown"
  x.AddD();
  ToolLine c = kC, d = kD;
  c.style = d.style = "GPT";
  x.Run({c, d});
  const std::vector<std::string> log = LinesAfterHeader(x.m);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "读取系统列表");
  for (int n = 1; n <= 7; ++n) EXPECT_FALSE(x.form.listControls().Find("JXHOTSYS" + std::to_string(n)));
  EXPECT_TRUE(x.view.enabledState["Btn_setup"]);
}

TEST(SystemList, ARebuildFreesTheOldRowsLastToFirst) {
  Machine x;
  x.AddD();
  x.Run({kC, kD});
  const std::vector<ListControl> first = x.form.listControls().Controls();
  x.view.created.clear();
  x.form.Readsystolist();
  ASSERT_EQ(x.view.freed.size(), first.size());
  EXPECT_EQ(x.view.freed.front(), "JXLINES7");
  EXPECT_EQ(x.view.freed.back(), "JXPICA1");
  EXPECT_EQ(x.view.created, first);
}

TEST(SystemList, FactoriesDoNothingWhenTheNameExists) {
  FakeView view;
  ListControlSet set(view);
  set.CreateDiyLabel("JXLABA1", "first", "", false, 1, 12, 3, 136, 200, 20);
  set.CreateDiyLabel("jxlaba1", "second", "", true, 2, 9, 90, 90, 10, 10);
  set.CreateDiyPanel("JXLABA1", "pic", 0, 0, 1, 1);
  set.CreateDiyButton("JXLABA1", "Btn_installsys", "http://x/a/y.gho", 0, 0, 1, 1);
  ASSERT_EQ(set.Controls().size(), 1u);
  EXPECT_EQ(view.created.size(), 1u);
  EXPECT_EQ(set.Controls()[0].caption, "first");
  EXPECT_EQ(set.Controls()[0].rect, (ListRect{3, 136, 200, 20}));
  EXPECT_EQ(set.Controls()[0].kind, ListControlKind::Label);
}

TEST(SystemList, WheelMovesTheBarBy25AndStopsAtItsEnds) {
  Machine x;
  x.AddD();
  x.Run({kC, kD});
  x.form.Sb_SyslistMouseWheelUp();
  EXPECT_EQ(x.view.scroll, 0);
  x.form.Sb_SyslistMouseWheelDown();
  EXPECT_EQ(x.view.scroll, 25);
  x.form.Sb_SyslistMouseWheelDown();
  EXPECT_EQ(x.view.scroll, 50);
  x.form.Sb_SyslistMouseWheelUp();
  EXPECT_EQ(x.view.scroll, 25);
  for (int i = 0; i < 20; ++i) x.form.Sb_SyslistMouseWheelDown();
  EXPECT_EQ(x.view.scroll, x.view.scrollMax);
}

TEST(SystemList, WheelMessagesMove25PerNotchOfTheirDelta) {
  // Deltas as the wheel messages carry them (120 a notch, negative towards
  // the user, which scrolls the list down); the bar's position after each.
  struct Case {
    const char* what;
    std::vector<int> deltas;
    std::vector<int> positions;
  } cases[] = {
      {"one message of two notches", {-240}, {50}},
      {"four messages of 30", {-30, -30, -30, -30}, {6, 12, 18, 25}},
      {"two notches down, then part of one back up", {-240, 60}, {50, 38}},
      {"up at the top stays at the top", {120, 30}, {0, 0}},
      {"past the end stops at the end", {-120 * 8, -120}, {163, 163}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Machine x;
    x.AddD();
    x.Run({kC, kD});
    ASSERT_EQ(x.view.scrollMax, 163);
    std::vector<int> positions;
    for (int d : c.deltas) {
      x.form.Sb_SyslistMouseWheel(d);
      positions.push_back(x.view.scroll);
    }
    EXPECT_EQ(positions, c.positions);
  }
}

}  // namespace
}  // namespace lum::flowtest
