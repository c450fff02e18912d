// The runner on the simulated machine driving the engine core, which fetches
// from nginx on 127.0.0.1: the engine files deployed and bound, a file
// fetched over stale leftovers, a 404 among good URLs, an exit request in the
// middle of a transfer, and a target that cannot be cleared.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "download/core_engine.h"
#include "download/deploy.h"
#include "download/runner.h"
#include "engine/host/curl_transport.h"
#include "fake_view.h"
#include "platform/sim/sim_machine.h"
#include "tests/host/engine/test_servers.h"

namespace lum {
namespace {

using namespace std::chrono_literals;
using enginetest::NginxServer;

constexpr char kEngineDir[] = "C:\\Windows\\Temp\\ZqXunlei\\";
constexpr char kLib[] = "C:\\Windows\\Temp\\ZqXunlei\\xldl.dll";
constexpr char kLogPath[] = "C:\\Windows\\temp\\OrvekRun.LOG";

class RunnerHttp : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char tmpl[] = "/tmp/lumora-download-XXXXXX";
    root_ = mkdtemp(tmpl);
    chmod(root_.c_str(), 0755);  // nginx workers may run as another user
    std::system(("mkdir -p " + root_ + "/srv " + root_ + "/nginx").c_str());
    enginetest::WriteFile(root_ + "/srv/KRP8PE6F.ISO", enginetest::RandomBytes(3 << 20, 1));
    enginetest::WriteFile(root_ + "/srv/win7x64.gho", enginetest::RandomBytes((5 << 20) + 123, 2));
    enginetest::WriteFile(root_ + "/srv/one.bin", "x");
    server_ = new NginxServer;
    ASSERT_TRUE(server_->Start(root_ + "/srv", root_ + "/nginx", true));
  }
  static void TearDownTestSuite() {
    delete server_;
    std::system(("rm -rf " + root_).c_str());
  }

  void SetUp() override {
    ExitRequested = 0;
    m.AddDrive('D', {.disk = 0, .partition = 2});
    m.AddResource("DLL", "XLDL", std::string_view("MZ our engine"));
    m.AddResource("DAT", "IDDAT", std::string_view("[partner]\r\nid=00000001\r\nver = 3.2.1.46\r\n"));
    // Real time passes while the simulated clock is waited on, so that the
    // engine's threads get on with the transfer between polls.
    m.OnPump([](sim::SimMachine&) { std::this_thread::sleep_for(1ms); });
  }
  void TearDown() override { ExitRequested = 0; }

  bool Run(const std::vector<std::string>& urls, const std::string& dir = "D:\\ZqGhost") {
    return RunDownloads(services, urls, dir, kLib, view);
  }
  std::string Url(const std::string& name) const { return server_->Url(name); }
  std::string Host(const std::string& winPath) const { return m.Host(winPath).string(); }
  std::string Log() { return m.ReadFile(kLogPath).value_or(""); }
  bool Logged(const std::string& text) { return Log().find(text + "\r\n") != std::string::npos; }
  std::string Sha(const std::string& path) { return enginetest::Sha256File(path); }

  static std::string root_;
  static NginxServer* server_;

  sim::SimMachine m;
  std::int64_t speedLimit = 0;
  CoreEngineLoader loader{
      m.platform().files,
      [this] {
        auto e = std::make_unique<engine::Engine>(engine::MakeCurlTransport(),
                                                  std::shared_ptr<engine::IEngineFiles>(engine::MakeNativeFiles()));
        e->SetSpeedLimit(speedLimit);
        return e;
      },
      [this](const std::string& dir) { return m.Host(dir).string() + "/"; }};
  ClockMessageWait wait{m.platform().clock};
  DownloadServices services{m.platform(), loader, wait};
  test::FakeView view;
};

std::string RunnerHttp::root_;
NginxServer* RunnerHttp::server_ = nullptr;

TEST_F(RunnerHttp, DeploysBindsAndFetchesOverLeftoversOfAnEarlierAttempt) {
  // No engine files yet: nothing to bind.
  EXPECT_FALSE(Run({Url("KRP8PE6F.ISO")}));
  EXPECT_TRUE(Logged("[Error]Load API Failed:" + std::string(kLib)));
  EXPECT_FALSE(loader.bound());

  DeployEngineFiles(m.platform(), kEngineDir);
  m.PutFile("D:\\ZqGhost\\KRP8PE6F.ISO", "stale");
  m.PutFile("D:\\ZqGhost\\KRP8PE6F.ISO.td", std::string(4 << 20, 'z'));
  m.PutFile("D:\\ZqGhost\\KRP8PE6F.ISO.td.cfg", "garbage");
  EXPECT_TRUE(Run({Url("KRP8PE6F.ISO")}));

  EXPECT_TRUE(loader.bound());
  EXPECT_EQ(loader.boundPath(), kLib);
  EXPECT_EQ(Sha(Host("D:\\ZqGhost\\KRP8PE6F.ISO")), Sha(root_ + "/srv/KRP8PE6F.ISO"));
  EXPECT_FALSE(m.Exists("D:\\ZqGhost\\KRP8PE6F.ISO.td"));
  EXPECT_FALSE(m.Exists("D:\\ZqGhost\\KRP8PE6F.ISO.td.cfg"));
  EXPECT_TRUE(Logged("[Load API] " + std::string(kLib)));
  EXPECT_TRUE(Logged("[Download Url] " + Url("KRP8PE6F.ISO")));
  EXPECT_TRUE(Logged("[Download Path] D:\\ZqGhost\\"));
  EXPECT_FALSE(Logged("[Download failed] " + Url("KRP8PE6F.ISO")));
  // The last poll showed the whole file.
  EXPECT_EQ(view.fn, "KRP8PE6F.ISO");
  EXPECT_EQ(view.dph, "D:\\ZqGhost\\");
  EXPECT_EQ(view.size, "3.00MB");
  EXPECT_EQ(view.received, "3.00MB");
  EXPECT_EQ(view.percent, "100.00%");
  EXPECT_EQ(view.bar, "100");
}

TEST_F(RunnerHttp, A404AmongGoodUrls) {
  DeployEngineFiles(m.platform(), kEngineDir);
  EXPECT_TRUE(Run({Url("missing.gho"), Url("one.bin")}));
  EXPECT_TRUE(Logged("[Download failed] " + Url("missing.gho")));
  EXPECT_TRUE(view.Saw("fn=下载出错！"));
  EXPECT_FALSE(m.Exists("D:\\ZqGhost\\missing.gho"));
  EXPECT_EQ(m.ReadFile("D:\\ZqGhost\\one.bin"), "x");
  EXPECT_EQ(view.size, "1B");

  EXPECT_FALSE(Run({Url("one.bin"), Url("missing.gho")}));
  EXPECT_EQ(m.ReadFile("D:\\ZqGhost\\one.bin"), "x");
  // The engine stays bound from the first run.
  EXPECT_EQ(Log().find("[Error]Load API Failed"), std::string::npos);
}

TEST_F(RunnerHttp, ExitRequestedInTheMiddleOfATransfer) {
  DeployEngineFiles(m.platform(), kEngineDir);
  speedLimit = 1 << 20;  // 5 MiB take about five seconds
  int polls = 0;
  m.OnPump([&](sim::SimMachine&) {
    std::this_thread::sleep_for(2ms);
    if (view.Saw("max=100") && !view.received.empty() && view.received != "0.00MB") ExitRequested = 1;
    ++polls;
  });
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Run({Url("win7x64.gho"), Url("one.bin")}));
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, 4s);
  // Something had arrived, not all of it; the second URL was never handled
  // and the runner logged no failure.
  EXPECT_NE(view.percent, "100.00%");
  EXPECT_NE(view.percent, "0.00%");
  EXPECT_FALSE(m.Exists("D:\\ZqGhost\\win7x64.gho"));
  EXPECT_FALSE(Logged("[Download failed] " + Url("win7x64.gho")));
  EXPECT_EQ(Log().find("one.bin"), std::string::npos);
  EXPECT_FALSE(m.Exists("D:\\ZqGhost\\one.bin"));
}

TEST_F(RunnerHttp, ATargetThatCannotBeClearedIsNotTakenForTheDownload) {
  DeployEngineFiles(m.platform(), kEngineDir);
  m.PutFile("D:\\ZqGhost\\win7x64.gho", "in use");
  m.Fail("files.Delete", "win7x64.gho");
  EXPECT_FALSE(Run({Url("win7x64.gho")}));
  EXPECT_TRUE(Logged("[Download failed] " + Url("win7x64.gho")));
  EXPECT_EQ(m.ReadFile("D:\\ZqGhost\\win7x64.gho"), "in use");
  EXPECT_FALSE(m.Exists("D:\\ZqGhost\\win7x64.gho.td"));
}

TEST_F(RunnerHttp, OverLongAndEmptyNamesMakeNoTask) {
  DeployEngineFiles(m.platform(), kEngineDir);
  const std::string longName = std::string(256, 'n') + ".gho";
  EXPECT_FALSE(Run({Url(longName), Url("")}));
  EXPECT_TRUE(Logged("[Download failed] " + Url(longName)));
  EXPECT_TRUE(Logged("[Download failed] " + Url("")));
  EXPECT_EQ(m.TreeText("D:\\"), "");
}

}  // namespace
}  // namespace lum
