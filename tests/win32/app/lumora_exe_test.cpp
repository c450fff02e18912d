// The real Lumora.exe under Wine: the start-up header in the run log and the
// single-instance exchange between two starts.
#include <gtest/gtest.h>

#include <string>

#include "lumora_process.h"
#include "lumora_version.h"

using namespace lumtest;

namespace {

std::string Tail(const std::vector<unsigned char>& all, long long from) {
  if (from > static_cast<long long>(all.size())) from = 0;
  return std::string(all.begin() + from, all.end());
}

int Count(const std::string& s, const std::string& what) {
  int n = 0;
  for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

TEST(LumoraExe, WritesTheStartHeaderInGbkWithCrLf) {
  long long before = FileSize(RunLogPath());
  Started s = StartLumora();
  ASSERT_TRUE(s.ok);
  ASSERT_NE(WaitForMainWindow(s.pi.dwProcessId, true, 30000), nullptr);
  std::string log = Tail(ReadAll(RunLogPath()), before);
  CloseLumora(s);

  // Every line: "yyyy-mm-dd hh:nn:ss text" CR LF.
  ASSERT_GE(Count(log, "\r\n"), 10) << log;
  EXPECT_EQ(log.find('\n') == std::string::npos ? ' ' : log[log.find('\n') - 1], '\r');
  EXPECT_EQ(log.substr(19, 7), " Begin\r");
  EXPECT_EQ(log[4], '-');
  EXPECT_EQ(log[13], ':');
  EXPECT_NE(log.find("========================= Basic =========================\r\n"), std::string::npos);
  EXPECT_NE(log.find("========================= Start =========================\r\n"), std::string::npos);
  // "系统信息：" and "程序版本：" as GBK bytes, not UTF-8.
  EXPECT_NE(log.find("\xCF\xB5\xCD\xB3\xD0\xC5\xCF\xA2\xA3\xBA"), std::string::npos);
  EXPECT_EQ(log.find("\xE7\xB3\xBB"), std::string::npos) << "UTF-8 in the log";
  const std::string version = std::string("\xB3\xCC\xD0\xF2\xB0\xE6\xB1\xBE\xA3\xBA") + LUMORA_VERSION_TEXT + "\r\n";
  EXPECT_NE(log.find(version), std::string::npos) << log;
  // "运行环境：" + "桌面环境" / "部署环境" in GBK; the label itself is there.
  EXPECT_NE(log.find("\xD4\xCB\xD0\xD0\xBB\xB7\xBE\xB3\xA3\xBA"), std::string::npos);
}

TEST(LumoraExe, SecondStartRaisesTheRunningInstanceAndEnds) {
  // The running instance hidden to the tray by the minimise command and by
  // the close command: either way the second start must bring it back.
  for (WPARAM command : {WPARAM(SC_MINIMIZE), WPARAM(SC_CLOSE)}) {
    SCOPED_TRACE(command == SC_MINIMIZE ? "hidden by SC_MINIMIZE" : "hidden by SC_CLOSE");
    Started first = StartLumora();
    ASSERT_TRUE(first.ok);
    HWND firstWindow = WaitForMainWindow(first.pi.dwProcessId, true, 30000);
    ASSERT_NE(firstWindow, nullptr);
    SendMessageW(firstWindow, WM_SYSCOMMAND, command, 0);
    for (int i = 0; i < 50 && IsWindowVisible(firstWindow); ++i) Sleep(100);
    EXPECT_FALSE(IsWindowVisible(firstWindow));
    EXPECT_EQ(WaitForSingleObject(first.pi.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "hiding ended the program";

    long long before = FileSize(RunLogPath());
    Started second = StartLumora();
    ASSERT_TRUE(second.ok);
    bool sawSecondVisible = false;
    DWORD wait = WAIT_TIMEOUT;
    for (int i = 0; i < 300 && wait == WAIT_TIMEOUT; ++i) {
      if (FindMainWindow(second.pi.dwProcessId, true)) sawSecondVisible = true;
      wait = WaitForSingleObject(second.pi.hProcess, 100);
    }
    EXPECT_EQ(wait, WAIT_OBJECT_0) << "the second instance did not end";
    EXPECT_FALSE(sawSecondVisible) << "the second instance showed its main window";
    DWORD code = 1;
    GetExitCodeProcess(second.pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(second.pi.hThread);
    CloseHandle(second.pi.hProcess);

    // The first goes on, restored, and the second wrote its own Begin block.
    EXPECT_EQ(WaitForSingleObject(first.pi.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    for (int i = 0; i < 50 && !IsWindowVisible(firstWindow); ++i) Sleep(100);
    EXPECT_TRUE(IsWindowVisible(firstWindow)) << "the running instance was not restored";
    std::string log = Tail(ReadAll(RunLogPath()), before);
    EXPECT_EQ(Count(log, " Begin\r\n"), 1) << log;
    EXPECT_EQ(Count(log, "========================= Start ========================="), 1);
    CloseLumora(first);
  }
}

TEST(LumoraExe, StartsNormallyAfterThePreviousInstanceEnded) {
  for (int round = 0; round < 2; ++round) {
    Started s = StartLumora();
    ASSERT_TRUE(s.ok);
    EXPECT_NE(WaitForMainWindow(s.pi.dwProcessId, true, 30000), nullptr) << "round " << round;
    CloseLumora(s);
  }
}

TEST(LumoraExe, ARunLogFailureIsReportedAndTheProgramGoesOn) {
  // "windir" names a folder that does not exist: the first log line fails.
  Started s = StartLumora({L"windir=C:\\NoSuchWindowsDir"});
  ASSERT_TRUE(s.ok);
  HWND dialog = nullptr;
  for (int i = 0; i < 300 && !dialog; ++i) {
    dialog = FindDialog(s.pi.dwProcessId);
    if (!dialog) Sleep(100);
  }
  ASSERT_NE(dialog, nullptr) << "no error report";
  EXPECT_EQ(DialogText(dialog), L"I/O error 3.");
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  // After the report the program goes on: its main window opens.
  EXPECT_NE(WaitForMainWindow(s.pi.dwProcessId, true, 30000), nullptr);
  CloseLumora(s);
}

}  // namespace
