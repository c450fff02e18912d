// The runner against a scripted engine on the simulated machine: what it puts
// into the task record, how it reads the status, what it shows and logs, and
// the refusals (engine missing, no handle, failed start, a nested run).
#include <gtest/gtest.h>

#include "engine/state_file.h"

#include <cstring>
#include <deque>
#include <map>

#include "download/runner.h"
#include "fake_view.h"
#include "platform/sim/sim_machine.h"
#include "platform/text.h"

namespace lum {
namespace {

// An engine whose tasks answer a scripted list of TaskInfo values, one per
// query (the last one repeats).
class ScriptedEngine : public IEngineLoader, public IEngineCalls {
 public:
  struct Answer {
    std::int32_t status;
    std::int64_t total = 0, received = 0;
    float fraction = 0;
    std::int32_t speed = 0;
  };

  IEngineCalls* Bind(const std::string& path) override {
    bindPaths.push_back(path);
    return bindable ? this : nullptr;
  }
  bool Init() override { ++inits; return initOk; }
  TaskHandle CreateTask(TaskParams& p) override {
    params.push_back(p);
    if (nullHandle) return 0;
    TaskHandle h = 0x100 + params.size();
    scripts[h] = nextScripts.empty() ? std::deque<Answer>{{4}} : nextScripts.front();
    if (!nextScripts.empty()) nextScripts.pop_front();
    return h;
  }
  bool StartTask(TaskHandle h) override { started.push_back(h); return startOk; }
  bool RequestStop(TaskHandle h) override {
    stopped[h] = queries;
    return true;
  }
  bool QueryTaskInfoEx(TaskHandle h, TaskInfo& info) override {
    ++queries;
    queryStatusBefore.push_back(info.status);
    auto& s = scripts[h];
    Answer a = s.front();
    if (s.size() > 1) s.pop_front();
    if (stopped.count(h) && stopHonoured && a.status != 4) a.status = 2;  // a finished task stays finished
    info.status = a.status;
    info.totalSize = a.total;
    info.received = a.received;
    info.fraction = a.fraction;
    info.speed = a.speed;
    return true;
  }

  bool bindable = true, initOk = true, nullHandle = false, startOk = true;
  bool stopHonoured = true;                  // a stopped task then reads as stopped
  std::map<TaskHandle, int> stopped;         // task -> queries made before its stop
  std::vector<std::string> bindPaths;
  int inits = 0, queries = 0;
  std::vector<TaskParams> params;
  std::vector<TaskHandle> started;
  std::vector<std::int32_t> queryStatusBefore;
  std::deque<std::deque<Answer>> nextScripts;
  std::map<TaskHandle, std::deque<Answer>> scripts;
};

constexpr char kLib[] = "C:\\Windows\\Temp\\ZqXunlei\\xldl.dll";
constexpr char kLogPath[] = "C:\\Windows\\temp\\OrvekRun.LOG";

class Runner : public ::testing::Test {
 protected:
  void SetUp() override {
    m.AddDrive('D', {.disk = 0, .partition = 2});
    ExitRequested = 0;
  }
  void TearDown() override { ExitRequested = 0; }

  bool Run(const std::vector<std::string>& urls, const std::string& dir = "D:\\ZqGhost") {
    return RunDownloads(services, urls, dir, kLib, view);
  }
  std::string Log() { return m.ReadFile(kLogPath).value_or(""); }
  bool Logged(const std::string& text) { return Log().find(text + "\r\n") != std::string::npos; }
  static std::string Field(const char16_t* f) { return Utf16ToUtf8(f); }

  sim::SimMachine m;
  ScriptedEngine engine;
  ClockMessageWait wait{m.platform().clock};
  DownloadServices services{m.platform(), engine, wait};
  test::FakeView view;
};

TEST_F(Runner, FillsTheTaskRecordAndPollsOnceASecondUntilFinished) {
  engine.nextScripts.push_back({{3, 2048000, 1024000, 0.5f, 2560},
                                {3, 2048000, 1536000, 0.75f, 1048577},
                                {4, 2048000, 2048000, 1.0f, 0}});
  std::uint64_t start = m.Tick();
  EXPECT_TRUE(Run({"http://dl.example.com/a/win7x64.gho"}));

  ASSERT_EQ(engine.params.size(), 1u);
  const TaskParams& p = engine.params[0];
  EXPECT_EQ(Field(p.url), "http://dl.example.com/a/win7x64.gho");
  EXPECT_EQ(Field(p.fileName), "win7x64.gho");
  EXPECT_EQ(Field(p.saveDir), "D:\\ZqGhost\\");
  EXPECT_EQ(p.switch18368, 0);
  EXPECT_EQ(p.switch18364, 0);
  EXPECT_EQ(p.switch18356, 0);
  EXPECT_EQ(p.value18360, 5);
  EXPECT_EQ(Field(p.secondText), "");
  EXPECT_EQ(Field(p.thirdText), "");
  EXPECT_TRUE(m.Exists("D:\\ZqGhost\\"));

  EXPECT_EQ(engine.inits, 1);
  EXPECT_EQ(engine.bindPaths, std::vector<std::string>{kLib});
  EXPECT_EQ(engine.started.size(), 1u);
  // Three polls, then the final query; each saw a freshly initialised record.
  EXPECT_EQ(engine.queries, 4);
  for (std::int32_t s : engine.queryStatusBefore) EXPECT_EQ(s, 2);
  EXPECT_GE(m.Tick() - start, 3000u);
  EXPECT_LT(m.Tick() - start, 3100u);

  const std::vector<std::string> expected = {
      "max=100", "bar=0",
      "bar=50", "fn=win7x64.gho", "dph=D:\\ZqGhost\\", "size=1.95MB", "speed=3KB/S", "js=0.98MB", "pro=50.00%",
      "bar=75", "fn=win7x64.gho", "dph=D:\\ZqGhost\\", "size=1.95MB", "speed=1.00MB/S", "js=1.46MB", "pro=75.00%",
      "bar=100", "fn=win7x64.gho", "dph=D:\\ZqGhost\\", "size=1.95MB", "speed=0KB/S", "js=1.95MB", "pro=100.00%"};
  EXPECT_EQ(view.calls, expected);

  EXPECT_TRUE(Logged("[Load API] " + std::string(kLib)));
  EXPECT_TRUE(Logged("[Download Url] http://dl.example.com/a/win7x64.gho"));
  EXPECT_TRUE(Logged("[Download Path] D:\\ZqGhost\\"));
  EXPECT_FALSE(Logged("[Download failed] http://dl.example.com/a/win7x64.gho"));
  // Log order: the API line, then the URL, then the path.
  std::string log = Log();
  EXPECT_LT(log.find("[Load API]"), log.find("[Download Url]"));
  EXPECT_LT(log.find("[Download Url]"), log.find("[Download Path]"));
}

TEST_F(Runner, TextsOutOfRangeKeepTheirLastValue) {
  engine.nextScripts.push_back({{3, 5000, 1048576, 0.1f, 0},
                                {3, 2000000000000, 2000000000000, 0.2f, 0},
                                {1}});
  EXPECT_FALSE(Run({"http://h/a/x.gho"}));
  // The second poll kept the size and received texts of the first.
  EXPECT_TRUE(view.Saw("size=4.88KB"));
  auto it = std::find(view.calls.begin(), view.calls.end(), "pro=20.00%");
  ASSERT_NE(it, view.calls.end());
  EXPECT_EQ(*(it - 3), "size=4.88KB");
  EXPECT_EQ(*(it - 1), "js=1.00MB");
  EXPECT_EQ(view.fn, "下载出错！");
  EXPECT_TRUE(Logged("[Download failed] http://h/a/x.gho"));
}

TEST_F(Runner, AFailedTaskDoesNotEndTheRunAndTheLastOutcomeCounts) {
  engine.nextScripts = {{{1}}, {{4}}};
  EXPECT_TRUE(Run({"http://h/a/one.gho", "http://h/a/two.gho"}));
  EXPECT_TRUE(Logged("[Download failed] http://h/a/one.gho"));
  EXPECT_FALSE(Logged("[Download failed] http://h/a/two.gho"));
  EXPECT_TRUE(view.Saw("fn=下载出错！"));
  EXPECT_EQ(view.fn, "two.gho");

  engine.nextScripts = {{{4}}, {{1}}};
  EXPECT_FALSE(Run({"http://h/a/three.gho", "http://h/a/four.gho"}));
  // A status that is neither 1 nor 4 at the final query is a failure too.
  engine.nextScripts = {{{4}, {3}}};
  EXPECT_FALSE(Run({"http://h/a/five.gho"}));
}

TEST_F(Runner, EngineThatCannotBeBoundOrInitialised) {
  engine.bindable = false;
  EXPECT_FALSE(Run({"http://h/a/x.gho"}));
  EXPECT_TRUE(Logged("[Error]Load API Failed:" + std::string(kLib)));
  EXPECT_FALSE(Logged("[Load API] " + std::string(kLib)));
  EXPECT_TRUE(view.calls.empty());
  EXPECT_TRUE(engine.params.empty());

  engine.bindable = true;
  engine.initOk = false;
  EXPECT_FALSE(Run({"http://h/a/x.gho"}));
  EXPECT_EQ(engine.inits, 1);
  EXPECT_TRUE(view.calls.empty());
  EXPECT_TRUE(engine.params.empty());
}

TEST_F(Runner, EmptyListLogsTheApiAndReturnsFalse) {
  EXPECT_FALSE(Run({}));
  EXPECT_TRUE(Logged("[Load API] " + std::string(kLib)));
  EXPECT_TRUE(view.calls.empty());
}

TEST_F(Runner, NoHandleOrAFailedStartIsAFailedTask) {
  engine.nullHandle = true;
  EXPECT_FALSE(Run({"http://h/a/x.gho"}));
  EXPECT_TRUE(engine.started.empty());
  EXPECT_EQ(engine.queries, 0);
  EXPECT_TRUE(Logged("[Download failed] http://h/a/x.gho"));
  EXPECT_EQ(view.fn, "下载出错！");

  engine.nullHandle = false;
  engine.startOk = false;
  EXPECT_FALSE(Run({"http://h/a/y.gho"}));
  EXPECT_EQ(engine.queries, 0);
  EXPECT_TRUE(Logged("[Download failed] http://h/a/y.gho"));
}

TEST_F(Runner, ExitRequestedWhilePolledEndsTheRunAtOnce) {
  engine.nextScripts = {{{4}}, {{3, 100, 10, 0.1f}}, {{4}}};
  m.OnPump([this](sim::SimMachine&) {
    if (engine.started.size() == 2) ExitRequested = 1;
  });
  // The second task is polled once, then stopped so that the engine writes
  // out what arrived, and the run ends with the first task's outcome; the
  // third URL is never handled and nothing is logged as failed.
  EXPECT_TRUE(Run({"http://h/a/1.gho", "http://h/a/2.gho", "http://h/a/3.gho"}));
  EXPECT_EQ(engine.params.size(), 2u);
  // A poll and the final query of the first, one poll of the second, then
  // one query that finds it stopped.
  EXPECT_EQ(engine.queries, 4);
  EXPECT_EQ(engine.stopped, (std::map<TaskHandle, int>{{engine.started[1], 3}}));
  EXPECT_EQ(view.percent, "10.00%");
  EXPECT_TRUE(Logged("[Download Stop] D:\\ZqGhost\\2.gho.td"));
  EXPECT_FALSE(Logged("[Download failed] http://h/a/2.gho"));
  EXPECT_FALSE(Log().find("3.gho") != std::string::npos);
}

// A task that does not stop (a stalled connection) holds up the quit for a
// bounded time only, and nothing claims that it stopped.
TEST_F(Runner, AQuitWaitsForAStoppedTaskOnlySoLong) {
  engine.stopHonoured = false;
  engine.nextScripts = {{{3, 100, 10, 0.1f}}};
  m.OnPump([](sim::SimMachine&) { ExitRequested = 1; });
  const std::uint64_t start = m.Tick();
  EXPECT_FALSE(Run({"http://h/a/1.gho"}));
  EXPECT_EQ(engine.stopped.size(), 1u);
  EXPECT_GE(m.Tick() - start, kQuitStopWaitMs);
  EXPECT_LT(m.Tick() - start, kQuitStopWaitMs + kPollIntervalMs + 1000);
  EXPECT_FALSE(Logged("[Download Stop] D:\\ZqGhost\\1.gho.td"));
}

TEST_F(Runner, ExitRequestedBeforeTheFirstWaitGoesToTheFinalStatus) {
  ExitRequested = 1;
  engine.nextScripts = {{{3}}, {{4}}};
  EXPECT_TRUE(Run({"http://h/a/1.gho", "http://h/a/2.gho"}));
  // Each task is stopped at once (one query finds it stopped), then its
  // final query; no polls.
  EXPECT_EQ(engine.queries, 4);
  EXPECT_EQ(engine.stopped.size(), 2u);
  EXPECT_TRUE(Logged("[Download failed] http://h/a/1.gho"));
  EXPECT_EQ(m.PumpCount(), 0);
}

TEST_F(Runner, OnlyTheValueOneCountsAsExitRequested) {
  ExitRequested = 2;
  engine.nextScripts = {{{3}, {4}}};
  EXPECT_TRUE(Run({"http://h/a/1.gho"}));
  EXPECT_EQ(engine.queries, 3);
}

TEST_F(Runner, ANestedRunIsRefused) {
  engine.nextScripts = {{{3}, {4}}};
  int nested = 0;
  bool nestedResult = true;
  m.OnPump([&](sim::SimMachine&) {
    if (nested++ == 0) nestedResult = RunDownloads(services, {"http://h/a/other.gho"}, "D:\\", kLib, view);
  });
  EXPECT_TRUE(Run({"http://h/a/1.gho"}));
  EXPECT_FALSE(nestedResult);
  EXPECT_EQ(engine.params.size(), 1u);
  EXPECT_EQ(engine.bindPaths.size(), 1u);
  // Once the run is over, the next one goes ahead.
  engine.nextScripts = {{{4}}};
  EXPECT_TRUE(Run({"http://h/a/2.gho"}));
}

TEST_F(Runner, ClearsTheWayBeforeEachTask) {
  m.PutFile("D:\\ZqGhost\\KRP8PE6F.ISO", "old");
  m.PutFile("D:\\ZqGhost\\KRP8PE6F.ISO.td", "old");
  m.PutFile("D:\\ZqGhost\\KRP8PE6F.ISO.td.cfg", "old");
  m.PutFile("D:\\ZqGhost\\other.iso", "keep");
  m.AddProcess("C:\\Users\\x\\krp8pe6f.iso");
  m.AddProcess("explorer.exe");
  bool seenClear = false;
  engine.nextScripts = {{{4}}};
  m.OnPump([&](sim::SimMachine& sm) {
    if (engine.started.size() == 1 && !seenClear) {
      seenClear = true;
      EXPECT_FALSE(sm.Exists("D:\\ZqGhost\\KRP8PE6F.ISO"));
      EXPECT_FALSE(sm.Exists("D:\\ZqGhost\\KRP8PE6F.ISO.td"));
      EXPECT_FALSE(sm.Exists("D:\\ZqGhost\\KRP8PE6F.ISO.td.cfg"));
    }
  });
  EXPECT_TRUE(Run({"http://h/a/KRP8PE6F.ISO"}, "D:\\ZqGhost\\"));
  EXPECT_TRUE(seenClear);
  EXPECT_TRUE(m.Exists("D:\\ZqGhost\\other.iso"));
  ASSERT_EQ(m.Terminated().size(), 1u);
  EXPECT_EQ(m.Terminated()[0].exeFile, "C:\\Users\\x\\krp8pe6f.iso");
}

// Partial files stay for the engine to resume only when their state file
// names this URL; a damaged state, another URL or a state without data goes.
TEST_F(Runner, KeepsOnlyPartialFilesOfTheSameUrl) {
  const std::string url = "http://h/a/win7x64.gho";
  auto state = [](const std::string& u) {
    engine::TransferState st{u, 1000, "\"e\"", "", {{500, 1000}}, {}};
    return engine::FormatState(st);
  };
  struct Case {
    const char* what;
    std::optional<std::string> cfg;
    bool data;
    bool kept;
  };
  const std::vector<Case> cases = {
      {"same URL", state(url), true, true},
      {"another URL", state("http://other/a/win7x64.gho"), true, false},
      {"a damaged state file", state(url).substr(0, 40), true, false},
      {"a state file without its data", state(url), false, false},
      {"data without a state file", std::nullopt, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* f : {"D:\\ZqGhost\\win7x64.gho.td", "D:\\ZqGhost\\win7x64.gho.td.cfg"})
      m.platform().files.Delete(f);
    m.PutFile("D:\\ZqGhost\\win7x64.gho", "a complete file of an earlier run");
    if (c.data) m.PutFile("D:\\ZqGhost\\win7x64.gho.td", "partial");
    if (c.cfg) m.PutFile("D:\\ZqGhost\\win7x64.gho.td.cfg", *c.cfg);
    bool checked = false;
    engine.nextScripts = {{{4}}};
    m.OnPump([&](sim::SimMachine& sm) {
      if (checked || engine.started.empty()) return;
      checked = true;
      EXPECT_FALSE(sm.Exists("D:\\ZqGhost\\win7x64.gho"));
      EXPECT_EQ(sm.Exists("D:\\ZqGhost\\win7x64.gho.td"), c.kept);
      EXPECT_EQ(sm.Exists("D:\\ZqGhost\\win7x64.gho.td.cfg"), c.kept);
    });
    const std::size_t logBefore = Log().size();
    EXPECT_TRUE(Run({url}, "D:\\ZqGhost\\"));
    EXPECT_TRUE(checked);
    EXPECT_EQ(Log().find("[Download Resume] D:\\ZqGhost\\win7x64.gho.td", logBefore) != std::string::npos,
              c.kept);
  }
}

TEST_F(Runner, ATargetThatStaysIsAFailedTaskAfterBoundedAttempts) {
  m.PutFile("D:\\ZqGhost\\stuck.gho", "locked");
  m.Fail("files.Delete", "D:\\ZqGhost\\stuck.gho");
  engine.nextScripts = {{{4}}};
  // Stays as long as the deletion fails; the next URL still runs.
  EXPECT_TRUE(Run({"http://h/a/stuck.gho", "http://h/a/fine.gho"}));
  EXPECT_EQ(engine.params.size(), 1u);
  EXPECT_EQ(Field(engine.params[0].fileName), "fine.gho");
  EXPECT_EQ(m.ReadFile("D:\\ZqGhost\\stuck.gho"), "locked");
  EXPECT_TRUE(Logged("[Download Url] http://h/a/stuck.gho"));
  EXPECT_TRUE(Logged("[Download failed] http://h/a/stuck.gho"));
  EXPECT_TRUE(view.Saw("fn=下载出错！"));
  // Messages were dispatched between the attempts (so ExitRequested can be
  // set), and the attempts ended.
  EXPECT_GE(m.PumpCount(), (kClearAttempts - 1) * kClearRetryWaitMs / 10);

  // A request to exit during the attempts ends them early.
  int pumps = 0;
  m.OnPump([&](sim::SimMachine&) { if (++pumps == 1) ExitRequested = 1; });
  EXPECT_FALSE(Run({"http://h/a/stuck.gho"}));
  EXPECT_LE(pumps, kClearRetryWaitMs / 10 + 1);  // one wait, not nine
}

TEST_F(Runner, UnusableTargetsAreFailedTasksAndTouchNothing) {
  m.PutFile("D:\\keep.txt", "keep");
  m.PutFile("D:\\ZqGhost\\keep.txt", "keep");
  const std::string longUrl = "http://h/" + std::string(2084 - 15, 'p') + "/x.gho";
  ASSERT_EQ(Utf8ToUtf16(longUrl).size(), 2084u);
  const std::string longName = std::string(256, 'n') + ".gho";  // 260 characters
  const std::string longDir = "D:\\" + std::string(256, 'd') + "\\";  // 260 characters
  struct Case { std::string url, dir; } cases[] = {
      {longUrl, "D:\\ZqGhost\\"},
      {"http://h/a/" + longName, "D:\\ZqGhost\\"},
      {"http://h/a/x.gho", longDir},
      {"http://h/a/", "D:\\ZqGhost\\"},
      {"", "D:\\ZqGhost\\"},
      {"http://h/a/..", "D:\\ZqGhost\\"},
      {"http://h/a/..\\keep.txt", "D:\\ZqGhost\\"},
      {"http://h/a/D:keep.txt", "D:\\ZqGhost\\"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(Run({c.url}, c.dir)) << c.url;
    EXPECT_TRUE(Logged("[Download failed] " + c.url)) << c.url;
    EXPECT_EQ(view.fn, "下载出错！");
  }
  EXPECT_TRUE(engine.params.empty());
  EXPECT_FALSE(Logged("[Download Path] D:\\ZqGhost\\"));
  EXPECT_EQ(m.ReadFile("D:\\keep.txt"), "keep");
  EXPECT_EQ(m.ReadFile("D:\\ZqGhost\\keep.txt"), "keep");

  // The longest texts the record holds are taken.
  const std::string url2083 = "http://h/" + std::string(2083 - 15, 'p') + "/x.gho";
  const std::string name259 = std::string(255, 'n') + ".gho";
  const std::string dir259 = "D:\\" + std::string(255, 'd') + "\\";
  ASSERT_EQ(url2083.size(), 2083u);
  ASSERT_EQ(dir259.size(), 259u);
  engine.nextScripts = {{{4}}, {{4}}, {{4}}};
  EXPECT_TRUE(Run({url2083}));
  EXPECT_TRUE(Run({"http://h/a/" + name259}));
  EXPECT_TRUE(Run({"http://h/a/x.gho"}, dir259));
  ASSERT_EQ(engine.params.size(), 3u);
  EXPECT_EQ(Field(engine.params[0].url), url2083);
  EXPECT_EQ(Field(engine.params[1].fileName), name259);
  EXPECT_EQ(Field(engine.params[2].saveDir), dir259);
}

TEST_F(Runner, ASaveDirectoryThatCannotBeMadeIsLoggedAndTheTaskStillRuns) {
  m.Fail("files.CreateDir", "ZqGhost");
  engine.nextScripts = {{{1}}};
  EXPECT_FALSE(Run({"http://h/a/x.gho"}));
  EXPECT_TRUE(Logged("[Error] Not Directory | D:\\ZqGhost\\"));
  EXPECT_EQ(engine.params.size(), 1u);
}

}  // namespace
}  // namespace lum
