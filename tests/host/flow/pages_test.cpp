// The closing rule, Return and the finish page's handlers, on a ready window.
#include <gtest/gtest.h>

#include "app/mainform.h"
#include "tests/host/flow/flow_support.h"

namespace lum::flowtest {
namespace {

// Steps that only keep the stop flag; the page tests never install.
class FlagSteps : public IInstallSteps {
 public:
  void DeployEngineFiles(const std::string&) override {}
  bool RunDownloads(const std::vector<std::string>&, const std::string&, const std::string&) override {
    return false;
  }
  bool ExitRequested() override { return exit; }
  void SetExitRequested(bool set) override { exit = set; }
  bool PreparePeBoot(const std::string&, const std::string&, const std::string&, std::string&,
                     bool, const std::string&, const std::string&, const std::string&,
                     const std::string&) override {
    return false;
  }
  bool PrepareGhostBoot(const TGhofilesysinfo&, const std::string&, std::string&) override {
    return false;
  }
  bool exit = false;
};

struct Window {
  sim::SimMachine m;
  FakeView view;
  FlagSteps steps;
  MainForm form{m.platform(), view, steps};

  Window() {
    m.AddDrive('D', {.disk = 0, .partition = 2});
    InstallDiskTool(m, {{"1:1", "C:", "100.00GB", "50.00GB"}, {"1:2", "D:", "200.00GB", "150.00GB"}});
    m.RegisterProgram("cmd /c shutdown", [](sim::SimRun&) { return 0; });
    form.FormCreate();
  }
  ~Window() { form.FormDestroy(); }
  // Puts the window on a page as the workflow would.
  void GoTo(int page) {
    view.ShowPage(page);
    form.model().Page = page;
  }
};

TEST(ClosingRule, AsksOnlyOnTheDownloadAndInstallPages) {
  struct Case {
    int page;
    std::deque<int> answers;
    bool asked, closes;
  };
  const std::vector<Case> cases = {
      {kPageHome, {}, false, true},           {kPageSysList, {}, false, true},
      {kPageFinish, {}, false, true},         {kPageDownload, {kMbCancel}, true, false},
      {kPageDownload, {kMbOk}, true, true},   {kPageInstall, {kMbCancel}, true, false},
      {kPageInstall, {kMbOk}, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("page " + std::to_string(c.page) + " answer " +
                 (c.answers.empty() ? "none" : std::to_string(c.answers.front())));
    Window w;
    w.GoTo(c.page);
    w.view.answers = c.answers;
    w.form.Btn_CloseClick();
    EXPECT_EQ(w.view.dialogs, c.asked ? std::vector<std::string>{"提示：程序正在运行，确定要退出吗？"}
                                      : std::vector<std::string>{});
    EXPECT_EQ(w.view.closed, c.closes);
    EXPECT_EQ(w.steps.exit, c.closes);
    EXPECT_EQ(w.view.page, c.page);
  }
}

TEST(ClosingRule, TrayExitNeverAsks) {
  Window w;
  w.GoTo(kPageDownload);
  w.form.N4Click();
  EXPECT_TRUE(w.view.dialogs.empty());
  EXPECT_TRUE(w.view.closed);
  EXPECT_TRUE(w.steps.exit);
}

TEST(Pages, ReturnFromTheInstallPageKeepsBanner4) {
  Window w;
  w.form.Btn_setupClick();
  w.GoTo(kPageInstall);
  for (int b : {3, 4}) w.view.SetBannerVisible(b, true);
  w.form.Lab_ReturnClick();
  EXPECT_TRUE(w.form.model().DownReturned);
  EXPECT_EQ(w.view.page, kPageSysList);
  EXPECT_FALSE(w.view.banners[3]);
  EXPECT_TRUE(w.view.banners[4]);
  EXPECT_TRUE(w.view.banners[2]);
}

TEST(Pages, TrayIconAndShowItemBringTheWindowBack) {
  Window w;
  w.form.mltrycn1Click();
  w.form.N5Click();
  EXPECT_EQ(std::count(w.view.events.begin(), w.view.events.end(), "show window"), 2);
}

}  // namespace
}  // namespace lum::flowtest
