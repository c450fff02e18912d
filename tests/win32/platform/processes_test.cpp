// Child processes of the real machine under Wine, with the child program that
// lies beside the tests.
#include <gtest/gtest.h>

#include "platform/text.h"
#include "tests/win32/platform/machine_support.h"

namespace lum::win32::test {
namespace {

class ProcessesTest : public ::testing::Test {
 protected:
  Win32Machine machine;
  Platform p = machine.platform();
};

TEST_F(ProcessesTest, StartWaitAndExitCode) {
  std::optional<ProcHandle> h = p.processes.Start(ChildCommand("exit 7"), SW_HIDE);
  ASSERT_TRUE(h);
  EXPECT_EQ(p.processes.Wait(*h, INFINITE), kWaitObject0);
  EXPECT_EQ(p.processes.ExitCode(*h), 7u);
  p.processes.Close(*h);
}

TEST_F(ProcessesTest, RunningChildIsStillActiveAndCanBeTerminated) {
  std::optional<ProcHandle> h = p.processes.Start(ChildCommand("sleep 20000"), SW_HIDE);
  ASSERT_TRUE(h);
  EXPECT_EQ(p.processes.Wait(*h, 0), kWaitTimeout);
  EXPECT_EQ(p.processes.ExitCode(*h), kStillActive);

  // The snapshot names it by its file name; terminating it ends the wait.
  DWORD pid = ::GetProcessId(reinterpret_cast<HANDLE>(*h));
  bool seen = false;
  for (const ProcessEntry& e : p.processes.Snapshot()) {
    if (e.pid == pid) {
      seen = true;
      EXPECT_TRUE(SameTextAscii(ExtractFileName(e.exeFile), "platform_child.exe")) << e.exeFile;
    }
  }
  EXPECT_TRUE(seen);
  EXPECT_TRUE(p.processes.Terminate(pid, 42));
  EXPECT_EQ(p.processes.Wait(*h, 5000), kWaitObject0);
  EXPECT_EQ(p.processes.ExitCode(*h), 42u);
  p.processes.Close(*h);
}

TEST_F(ProcessesTest, SnapshotListsThisProcess) {
  std::vector<ProcessEntry> all = p.processes.Snapshot();
  bool self = false;
  for (const ProcessEntry& e : all) {
    if (e.pid == ::GetCurrentProcessId()) {
      self = true;
      EXPECT_TRUE(SameTextAscii(ExtractFileName(e.exeFile), "win_platform_test.exe")) << e.exeFile;
    }
  }
  EXPECT_TRUE(self);
  EXPECT_GE(all.size(), 2u);
}

TEST_F(ProcessesTest, FailuresLeaveTheirErrorCodes) {
  EXPECT_FALSE(p.processes.Start("C:\\no\\such\\program.exe", SW_HIDE));
  EXPECT_NE(p.system.LastError(), 0u);
  EXPECT_FALSE(p.processes.Terminate(0x7FFFFFF0u, 0));  // no such process

  CaptureResult r = p.processes.RunCaptured("C:\\no\\such\\program.exe", {});
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error, 0u);
  EXPECT_EQ(p.system.LastError(), r.error);  // the pipe's clean-up kept it
}

TEST_F(ProcessesTest, CaptureOfSilentAndShortOutput) {
  int pumps = 0;
  CaptureResult silent = p.processes.RunCaptured(ChildCommand("silent"), [&] { ++pumps; });
  ASSERT_TRUE(silent.ok);
  EXPECT_TRUE(silent.output.empty());
  EXPECT_EQ(silent.exitCode, 0u);
  EXPECT_GE(pumps, 2);  // once before waiting and once after each wait

  CaptureResult text = p.processes.RunCaptured(ChildCommand("text no-line-break"), {});
  ASSERT_TRUE(text.ok);
  EXPECT_EQ(std::string(text.output.begin(), text.output.end()), "no-line-break");
}

TEST_F(ProcessesTest, CaptureOfMoreThanThePipeHolds) {
  // Far more than any pipe buffer: a capture that read only at the end would
  // leave the child blocked on a full pipe for ever.
  constexpr std::size_t kBytes = 300 * 1024;
  int pumps = 0;
  CaptureResult r = p.processes.RunCaptured(ChildCommand("big " + std::to_string(kBytes)),
                                            [&] { ++pumps; });
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.exitCode, 3u);
  std::string out(r.output.begin(), r.output.end());
  ASSERT_EQ(out.size(), kBytes + 7);  // and "err-end" from standard error
  EXPECT_EQ(out.substr(0, 24), "line 000001\nline 000002\n");
  EXPECT_EQ(out.substr(out.size() - 7), "err-end");
  // The lines arrive whole and in order.
  EXPECT_EQ(out.substr(12 * 25000, 12), "line 025001\n");
  EXPECT_GE(pumps, 1);
}

TEST_F(ProcessesTest, CaptureThroughCmd) {
  CaptureResult r = p.processes.RunCaptured("cmd /c echo hello", {});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(std::string(r.output.begin(), r.output.end()), "hello\r\n");
}

}  // namespace
}  // namespace lum::win32::test
