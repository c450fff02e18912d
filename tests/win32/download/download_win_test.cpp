// The download subsystem on the real machine under Wine: the engine files
// written from this program's resources, the real xldl.dll bound by name, and
// the runner fetching from nginx on 127.0.0.1 while it dispatches messages.
#include "platform/win32/windows_api.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

#include "download/deploy.h"
#include "download/runner.h"
#include "download/win32/engine_api.h"
#include "download/win32/message_wait.h"
#include "platform/text.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_machine.h"
#include "tests/host/download/fake_view.h"
#include "tests/win32/platform/machine_support.h"

namespace lum::win32 {
namespace {

std::string WinPath(const std::string& unixPath) {
  std::string w = "Z:";
  for (char c : unixPath) w += c == '/' ? '\\' : c;
  return w;
}

std::string ReadAll(const std::string& path) {
  std::ifstream f(Wide(path).c_str(), std::ios::binary);
  if (!f) return "<missing>";
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

std::string ModulePath(HMODULE m) {
  wchar_t buf[MAX_PATH] = {};
  DWORD n = ::GetModuleFileNameW(m, buf, MAX_PATH);
  return Narrow(buf, n);
}

const std::string kServers = WinPath(LUMORA_SERVER_DIR);
const std::string kBuiltXldl = WinPath(LUMORA_XLDL_PATH);
const std::string kPartialXldl = WinPath(LUMORA_PARTIAL_XLDL_PATH);

class DownloadWin : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new test::ScratchDir;
    // The run log goes to "%windir%\temp": keep it in the scratch folder.
    ::CreateDirectoryW(Wide(scratch_->path() + "\\temp").c_str(), nullptr);
    ::SetEnvironmentVariableW(L"windir", Wide(scratch_->path()).c_str());
  }
  static void TearDownTestSuite() {
    UnbindEngine();
    delete scratch_;
  }
  void SetUp() override { ExitRequested = 0; }

  static std::string Dir(const std::string& name) { return scratch_->path() + "\\" + name + "\\"; }
  static std::string Nginx(const std::string& name) {
    return "http://127.0.0.1:" + Trimmed(ReadAll(kServers + "\\nginx.port")) + "/" + name;
  }
  // The run log is in the ANSI code page.
  std::string Log() {
    std::string raw = ReadAll(scratch_->path() + "\\temp\\OrvekRun.LOG");
    return p.codepage.FromAnsi(Bytes(raw.begin(), raw.end()));
  }
  bool Logged(const std::string& text) { return Log().find(text + "\r\n") != std::string::npos; }

  bool Run(const std::vector<std::string>& urls, const std::string& dir, const std::string& lib) {
    return RunDownloads(services, urls, dir, lib, view);
  }

  static test::ScratchDir* scratch_;
  Win32Machine machine;
  Platform p = machine.platform();
  BoundEngineLoader loader;
  Win32MessageWait wait;
  DownloadServices services{p, loader, wait};
  lum::test::FakeView view;
};

test::ScratchDir* DownloadWin::scratch_ = nullptr;

// Binding first, before any task has started (a started engine keeps itself
// loaded for the rest of the process).
TEST_F(DownloadWin, BindingTheEngineLibrary) {
  EXPECT_FALSE(EngineApi.bound);
  UnbindEngine();  // unbound: nothing happens
  EXPECT_FALSE(EngineApi.bound);

  // No library there: false, nothing bound.
  EXPECT_FALSE(BindEngine(Dir("nowhere") + "xldl.dll", false));
  EXPECT_FALSE(EngineApi.bound);
  EXPECT_EQ(EngineApi.module, nullptr);
  for (FARPROC f : EngineApi.slots) EXPECT_EQ(f, nullptr);

  // A library without one of the four called entry points is refused.
  ::SetLastError(0);
  EXPECT_FALSE(BindEngine(kPartialXldl, false));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_FALSE(EngineApi.bound);
  for (FARPROC f : EngineApi.slots) EXPECT_EQ(f, nullptr);
  EXPECT_EQ(::GetModuleHandleW(L"partial_xldl.dll"), nullptr);  // and not left loaded

  // Our xldl.dll has all twenty.
  ASSERT_TRUE(BindEngine(kBuiltXldl, false));
  EXPECT_TRUE(EngineApi.bound);
  EXPECT_TRUE(SameTextAscii(ModulePath(EngineApi.module), kBuiltXldl));
  for (std::size_t i = 0; i < kEngineSlotCount; ++i) {
    EXPECT_EQ(EngineApi.slots[i], ::GetProcAddress(EngineApi.module, kEngineSlotNames[i])) << kEngineSlotNames[i];
    EXPECT_NE(EngineApi.slots[i], nullptr) << kEngineSlotNames[i];
  }

  // Bound: reload false changes nothing, whatever the path.
  HMODULE first = EngineApi.module;
  EXPECT_TRUE(BindEngine(Dir("nowhere") + "xldl.dll", false));
  EXPECT_EQ(EngineApi.module, first);

  // Reload true loads anew from the given path.
  const std::string copy = Dir("copy") + "xldl.dll";
  ::CreateDirectoryW(Wide(Dir("copy")).c_str(), nullptr);
  ASSERT_TRUE(::CopyFileW(Wide(kBuiltXldl).c_str(), Wide(copy).c_str(), FALSE));
  ASSERT_TRUE(BindEngine(copy, true));
  EXPECT_TRUE(SameTextAscii(ModulePath(EngineApi.module), copy));

  UnbindEngine();
  EXPECT_FALSE(EngineApi.bound);
  EXPECT_EQ(EngineApi.module, nullptr);
  for (FARPROC f : EngineApi.slots) EXPECT_EQ(f, nullptr);
}

TEST_F(DownloadWin, DeploysTheEngineFromTheProgramsResourcesAndFetchesAFile) {
  const std::string engineDir = Dir("ZqXunlei");
  DeployEngineFiles(p, engineDir);
  EXPECT_EQ(ReadAll(engineDir + "xldl.dll"), ReadAll(kBuiltXldl));
  EXPECT_EQ(ReadAll(engineDir + "download\\id.dat"), "[partner]\r\nid=00000001\r\nver = 3.2.1.46\r\n");

  const std::string lib = engineDir + "xldl.dll";
  const std::string data = Dir("data");
  EXPECT_TRUE(Run({Nginx("small.bin"), Nginx("big.bin")}, scratch_->path() + "\\data", lib));
  EXPECT_TRUE(SameTextAscii(ModulePath(EngineApi.module), lib));
  EXPECT_EQ(ReadAll(data + "small.bin"), ReadAll(kServers + "\\srv\\small.bin"));
  EXPECT_EQ(ReadAll(data + "big.bin"), ReadAll(kServers + "\\srv\\big.bin"));
  EXPECT_EQ(::GetFileAttributesW(Wide(data + "big.bin.td").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(::GetFileAttributesW(Wide(data + "big.bin.td.cfg").c_str()), INVALID_FILE_ATTRIBUTES);

  EXPECT_TRUE(Logged("[Load API] " + lib));
  EXPECT_TRUE(Logged("[Download Url] " + Nginx("big.bin")));
  EXPECT_TRUE(Logged("[Download Path] " + data));
  EXPECT_EQ(view.fn, "big.bin");
  EXPECT_EQ(view.size, "8.00MB");
  EXPECT_EQ(view.percent, "100.00%");

  // A second deployment while the library is loaded cannot replace it; the
  // failure is logged and the partner file is still written.
  ::DeleteFileW(Wide(engineDir + "download\\id.dat").c_str());
  DeployEngineFiles(p, engineDir);
  EXPECT_TRUE(Logged(engineDir + "xldl.dll释放资源失败，错误代码：32")) << Log();
  EXPECT_EQ(ReadAll(engineDir + "download\\id.dat").size(), 40u);
}

TEST_F(DownloadWin, A404IsAFailedTask) {
  const std::string lib = Dir("ZqXunlei") + "xldl.dll";
  EXPECT_FALSE(Run({Nginx("missing.bin")}, Dir("data404"), lib));
  EXPECT_TRUE(Logged("[Download failed] " + Nginx("missing.bin")));
  EXPECT_EQ(view.fn, "下载出错！");
}

const lum::test::FakeView* g_view = nullptr;

void CALLBACK RequestExit(HWND, UINT, UINT_PTR id, DWORD) {
  // Dispatched by the runner's message pump while it waits.
  if (g_view && !g_view->received.empty() && g_view->received != "0.00MB") {
    ExitRequested = 1;
    ::KillTimer(nullptr, id);
  }
}

TEST_F(DownloadWin, ATimerDispatchedDuringTheWaitEndsTheRun) {
  const std::string lib = Dir("ZqXunlei") + "xldl.dll";
  ASSERT_TRUE(BindEngine(lib, false));
  using SpeedLimitFn = BOOL(WINAPI*)(INT32);
  ASSERT_TRUE(EngineApi.As<SpeedLimitFn>(kXL_SetSpeedLimit)(1024));  // 8 MiB take eight seconds
  g_view = &view;
  UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &RequestExit);
  ASSERT_NE(timer, 0u);
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Run({Nginx("big.bin"), Nginx("small.bin")}, Dir("exit"), lib));
  auto took = std::chrono::steady_clock::now() - start;
  ::KillTimer(nullptr, timer);
  g_view = nullptr;
  EngineApi.As<SpeedLimitFn>(kXL_SetSpeedLimit)(0);

  EXPECT_EQ(ExitRequested, 1);
  EXPECT_LT(took, std::chrono::seconds(5));
  EXPECT_NE(view.percent, "100.00%");
  EXPECT_FALSE(Logged("[Download failed] " + Nginx("big.bin")));
  EXPECT_EQ(::GetFileAttributesW(Wide(Dir("exit") + "small.bin").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace lum::win32
