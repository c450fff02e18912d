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
  bool FetchQuietly(const std::string&, const std::string&, const std::string&,
                    std::int32_t&) override {
    return false;
  }
  bool ExitRequested() override { return exit; }
  void SetExitRequested(bool set) override { exit = set; }
  bool PreparePeBoot(BootRun&, const std::string&, const std::string&, const std::string&,
                     std::string&, bool, const std::string&, const std::string&,
                     const std::string&, const std::string&) override {
    return false;
  }
  bool PrepareGhostBoot(BootRun&, const TGhofilesysinfo&, const std::string&, std::string&) override {
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

// The requests to end the program that come from outside: the window's close
// message (Task Manager, taskkill) and the end of the session.
struct OutsideRequest {
  const char* name;
  void (*send)(MainForm&);
  bool ends;
};
const OutsideRequest kOutsideRequests[] = {
    {"WM_CLOSE", [](MainForm& f) { f.WMClose(); }, true},
    {"WM_QUERYENDSESSION", [](MainForm& f) { EXPECT_TRUE(f.WMQueryEndSession()); }, true},
    {"WM_QUERYENDSESSION, WM_ENDSESSION(true)",
     [](MainForm& f) {
       EXPECT_TRUE(f.WMQueryEndSession());
       f.WMEndSession(true);
     },
     true},
    {"WM_ENDSESSION(true)", [](MainForm& f) { f.WMEndSession(true); }, true},
    // Another program refused the end of the session: nothing was asked of us.
    {"WM_ENDSESSION(false)", [](MainForm& f) { f.WMEndSession(false); }, false},
};

TEST(OutsideEnd, StopsTheInstallAndEndsWithoutAQuestionOnEveryPage) {
  for (const OutsideRequest& r : kOutsideRequests) {
    for (int page : {kPageHome, kPageSysList, kPageDownload, kPageInstall}) {
      SCOPED_TRACE(std::string(r.name) + " on page " + std::to_string(page));
      Window w;
      w.GoTo(page);
      w.view.events.clear();
      r.send(w.form);
      EXPECT_TRUE(w.view.dialogs.empty());
      EXPECT_EQ(w.steps.exit, r.ends);
      EXPECT_EQ(w.view.terminated, r.ends);
      EXPECT_EQ(w.form.model().Ending, r.ends);
      EXPECT_EQ(w.view.page, page);
    }
  }
}

// On the finish page the boot is prepared: an end from outside keeps it and
// stops the countdown, so the machine is not restarted by a program that is
// ending.
TEST(OutsideEnd, OnTheFinishPageStopsTheCountdownAndNeverRestarts) {
  for (const OutsideRequest& r : kOutsideRequests) {
    if (!r.ends) continue;
    SCOPED_TRACE(r.name);
    Window w;
    w.GoTo(kPageFinish);
    w.form.model().RestartSeconds = 10;
    w.form.model().CountdownRunning = true;
    w.view.SetCountdownTimer(true);
    w.form.Timer_CountDownTimer();
    r.send(w.form);
    EXPECT_FALSE(w.view.timer);
    EXPECT_FALSE(w.form.model().CountdownRunning);
    EXPECT_TRUE(w.view.terminated);
    EXPECT_TRUE(w.steps.exit);
    EXPECT_EQ(w.form.model().RestartSeconds, 9);
    EXPECT_TRUE(w.view.dialogs.empty());
  }
}

// The close button ends the program through the window's close message,
// which comes back to WMClose: asked twice, the end stays one end.
TEST(OutsideEnd, TheCloseButtonsOwnCloseMessageChangesNothing) {
  Window w;
  w.GoTo(kPageDownload);
  w.view.answers = {kMbOk};
  w.form.Btn_CloseClick();
  ASSERT_TRUE(w.view.closed);
  w.form.WMClose();
  EXPECT_EQ(w.view.dialogs.size(), 1u);
  EXPECT_TRUE(w.steps.exit);
  EXPECT_TRUE(w.view.terminated);
  EXPECT_EQ(std::count(w.view.events.begin(), w.view.events.end(), "timer off"), 0);
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
