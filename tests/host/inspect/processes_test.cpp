// Starting, waiting, capturing and ending programs; resources and deletion.
#include <gtest/gtest.h>

#include "inspect/oserror.h"
#include "inspect/processes.h"
#include "inspect/resources.h"
#include "platform/sim/sim_machine.h"

using namespace lum;
using lum::sim::SimMachine;
using lum::sim::SimRun;
using lum::sim::SimExit;

namespace {

Bytes B(std::string_view s) { return Bytes(s.begin(), s.end()); }

std::string LogText(SimMachine& m) {
  std::string raw = m.ReadFile("C:\\Windows\\temp\\OrvekRun.LOG").value_or("");
  return m.platform().codepage.FromAnsi(Bytes(raw.begin(), raw.end()));
}

TEST(RunAndWait, WaitsPumpingOrReturnsAtOnce) {
  SimMachine m;
  m.RegisterProgram("bcdedit", [](SimRun&) { return SimExit::RunningFor(350, 4); });
  m.RegisterProgram("busy", [](SimRun&) { return SimExit::Running(); });
  EXPECT_EQ(RunAndWait(m.platform(), "bcdedit /export x", -1, kShowHide), 4u);
  EXPECT_EQ(m.PumpCount(), 4);  // 100, 200, 300 timed out, 350 ended: one pump after each wait
  EXPECT_EQ(RunAndWait(m.platform(), "busy", 0, kShowHide), kStillActive);
  EXPECT_EQ(RunAndWait(m.platform(), "bcdedit", 100, kShowHide), kStillActive);
  EXPECT_EQ(RunAndWait(m.platform(), "missing.exe", -1, kShowHide), 0u);
  EXPECT_EQ(m.PumpCount(), 4);  // no pumping except while waiting to the end
}

TEST(RunAndCapture, DecodesAndRaisesWhenItCannotStart) {
  SimMachine m;
  m.RegisterProgram("tool", [](SimRun& r) {
    r.Write(r.machine.platform().codepage.ToAnsi("磁盘 0\n分区 1"));
    return 0;
  });
  EXPECT_EQ(RunAndCapture(m.platform(), "tool -l"), "磁盘 0\r\n分区 1\r\n");
  EXPECT_GE(m.PumpCount(), 1);
  try {
    RunAndCapture(m.platform(), "absent.exe");
    FAIL() << "no error raised";
  } catch (const OsError& e) {
    EXPECT_EQ(e.code(), err::FileNotFound);
    EXPECT_STREQ(e.what(), "系统找不到指定的文件。");
  }
  m.Fail("processes.RunCaptured", "tool", err::AccessDenied);
  EXPECT_THROW(RunAndCapture(m.platform(), "tool"), OsError);
}

TEST(DecodeCapturedOutput, EncodingsAndLineBreaks) {
  SimMachine m;
  ICodePage& cp = m.platform().codepage;
  const std::pair<Bytes, std::string> cases[] = {
      {{}, ""},
      {B("abc"), "abc\r\n"},
      {B("a\r\nb\r\n"), "a\r\nb\r\n"},
      {B("a\rb\nc\r\n\r\nd"), "a\r\nb\r\nc\r\n\r\nd\r\n"},
      {B("\n"), "\r\n"},
      {B("\r\r\n"), "\r\n\r\n"},
      {B("\xEF\xBB\xBF" "\xE4\xB8\xAD\n"), "中\r\n"},
      {Bytes{0xFF, 0xFE, 0x2D, 0x4E, '\n', 0}, "中\r\n"},
      {Bytes{0xFE, 0xFF, 0x4E, 0x2D}, "中\r\n"},
      {Bytes{0xD6, 0xD0, 0xCE, 0xC4}, "中文\r\n"},  // GBK without a mark
      {B("\xEF\xBB\xBF"), ""},
  };
  for (const auto& [in, want] : cases)
    EXPECT_EQ(DecodeCapturedOutput(cp, in), want) << std::string(in.begin(), in.end());
}

TEST(KillProcessesByName, NameMatching) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"MiniThunderPlatform.exe", "minithunderplatform.EXE", true},
      {"C:\\Program Files\\Xl\\XLDL.exe", "xldl.exe", true},
      {"C:\\Program Files\\Xl\\XLDL.exe", "c:\\program files\\xl\\xldl.exe", true},
      {"XLDL.exe", "C:\\Xl\\XLDL.exe", false},  // a name with a path never matches the name alone
      {"D:XLDL.exe", "xldl.exe", true},
      {"xldl.exe.bak", "xldl.exe", false},
      {"ÄXLDL.exe", "äxldl.exe", false},  // only ASCII letters are folded
  };
  for (auto [exe, want, match] : cases)
    EXPECT_EQ(ProcessNameMatches(exe, want), match) << exe << " / " << want;

  SimMachine m;
  std::uint32_t a = m.AddProcess("xldl.exe");
  m.AddProcess("explorer.exe");
  std::uint32_t c = m.AddProcess("C:\\x\\XLDL.EXE");
  EXPECT_TRUE(KillProcessesByName(m.platform(), "XlDl.exe"));
  ASSERT_EQ(m.Terminated().size(), 2u);
  EXPECT_EQ(m.Terminated()[0].pid, a);
  EXPECT_EQ(m.Terminated()[1].pid, c);
  EXPECT_EQ(m.Terminated()[1].exitCode, 0u);
  EXPECT_FALSE(KillProcessesByName(m.platform(), "xldl.exe"));  // none left
  // Only the last attempt decides.
  m.AddProcess("a.exe");
  m.AddProcess("a.exe");
  m.Fail("processes.Terminate", "a.exe", err::AccessDenied, 1);
  EXPECT_TRUE(KillProcessesByName(m.platform(), "a.exe"));
  m.AddProcess("b.exe");
  m.AddProcess("b.exe");
  m.Fail("processes.Terminate", "b.exe", err::AccessDenied, -1);
  EXPECT_FALSE(KillProcessesByName(m.platform(), "b.exe"));
}

TEST(ShellOperations, RestartKeepAwakeOpen) {
  SimMachine m;
  m.RegisterProgram("cmd /c shutdown", [](SimRun&) { return SimExit::Running(); });
  RestartComputer(m.platform());
  EXPECT_EQ(m.Started(), (std::vector<std::string>{"cmd /c shutdown /r /t 0 "}));
  KeepAwake(m.platform());
  EXPECT_TRUE(m.ScreenSaverDisabled());
  EXPECT_EQ(m.ExecutionStates(), (std::vector<std::uint32_t>{0x80000003u}));
  ShellOpen(m.platform(), "http://www.example.com/");
  EXPECT_EQ(m.ShellOpened(), (std::vector<std::string>{"http://www.example.com/"}));
}

TEST(DeleteFileOrTree, FileFolderAndMissingPath) {
  SimMachine m;
  m.PutFile("C:\\Windows\\temp\\~SkQwErT\\FerroYX.exe", "MZ");
  m.PutFile("C:\\Windows\\temp\\~SkQwErT\\sub\\x", "");
  m.PutFile("C:\\one.txt", "1");
  EXPECT_TRUE(DeleteFileOrTree(m.platform(), "C:\\one.txt"));
  EXPECT_FALSE(m.Exists("C:\\one.txt"));
  // The tree delete gets the folder's name without the closing backslash.
  m.Fail("files.DeleteTree", "~SkQwErT\\");
  EXPECT_TRUE(DeleteFileOrTree(m.platform(), "C:\\Windows\\temp\\~SkQwErT\\"));
  EXPECT_FALSE(m.Exists("C:\\Windows\\temp\\~SkQwErT"));
  EXPECT_TRUE(m.Exists("C:\\Windows\\temp"));
  EXPECT_FALSE(DeleteFileOrTree(m.platform(), "C:\\Windows\\temp\\~Snothere"));
}

TEST(ReleaseResource, WritesTheBytesOrLogsTheFailure) {
  SimMachine m;
  m.AddResource("FUN", "RUSORT", std::string_view("MZ\x90\0tool", 8));
  ASSERT_TRUE(ReleaseResource(m.platform(), "fun", "RuSort", "C:\\Windows\\temp\\FerroYX.exe"));
  EXPECT_EQ(m.ReadFile("C:\\Windows\\temp\\FerroYX.exe").value(), std::string("MZ\x90\0tool", 8));
  EXPECT_EQ(LogText(m), "");

  EXPECT_FALSE(ReleaseResource(m.platform(), "FUN", "BEDIT", "C:\\Windows\\temp\\b.exe"));
  EXPECT_FALSE(ReleaseResource(m.platform(), "FUN", "RUSORT", "C:\\nofolder\\x.exe"));
  m.Fail("files.Write", "locked", err::AccessDenied);
  EXPECT_FALSE(ReleaseResource(m.platform(), "FUN", "RUSORT", "C:\\locked.exe"));
  EXPECT_EQ(LogText(m),
            "2017-08-18 14:05:09 C:\\Windows\\temp\\b.exe释放资源失败，错误代码：1814\r\n"
            "2017-08-18 14:05:09 C:\\nofolder\\x.exe释放资源失败，错误代码：3\r\n"
            "2017-08-18 14:05:09 C:\\locked.exe释放资源失败，错误代码：5\r\n");
  EXPECT_FALSE(m.Exists("C:\\Windows\\temp\\b.exe"));
}

}  // namespace
