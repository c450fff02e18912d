#include <gtest/gtest.h>

#include "app/startheader.h"
#include "platform/runlog.h"
#include "platform/sim/sim_machine.h"

namespace lum {
namespace {

using sim::SimMachine;

const char kLog[] = "C:\\Windows\\temp\\OrvekRun.LOG";

std::string Gbk(SimMachine& m, const std::string& utf8) {
  Bytes b = m.platform().codepage.ToAnsi(utf8);
  return std::string(b.begin(), b.end());
}

TEST(RunLog, PathAndStampFormat) {
  SimMachine m;
  EXPECT_EQ(RunLogPath(m.platform()), kLog);
  struct Case { LocalTime t; const char* sep; const char* stamp; };
  const Case cases[] = {
      {{2017, 8, 18, 14, 5, 9}, ":", "2017-08-18 14:05:09"},
      {{2026, 1, 2, 3, 4, 5}, ":", "2026-01-02 03:04:05"},
      {{2026, 12, 31, 23, 59, 59}, ".", "2026-12-31 23.59.59"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatLogStamp(c.t, c.sep), c.stamp);
}

TEST(RunLog, CreatesThenAppendsLinesInTheAnsiCodePage) {
  SimMachine m;
  m.SetLocalTime({2017, 8, 18, 14, 5, 9});
  EXPECT_FALSE(m.Exists(kLog));
  WriteRunLog(m.platform(), "Begin");
  WriteRunLog(m.platform(), "读取磁盘信息");
  const std::string expected =
      "2017-08-18 14:05:09 Begin\r\n2017-08-18 14:05:09 " + Gbk(m, "读取磁盘信息") + "\r\n";
  EXPECT_EQ(*m.ReadFile(kLog), expected);
  EXPECT_EQ(Gbk(m, "读取磁盘信息"), "\xB6\xC1\xC8\xA1\xB4\xC5\xC5\xCC\xD0\xC5\xCF\xA2");
}

TEST(RunLog, KeepsOldContentOfAnyFile) {
  SimMachine m;
  std::string old(100000, 'x');
  m.PutFile(kLog, old);
  WriteRunLog(m.platform(), "Begin");
  std::string now = *m.ReadFile(kLog);
  EXPECT_EQ(now.substr(0, old.size()), old);
  EXPECT_EQ(now.substr(now.size() - 7), "Begin\r\n");
}

TEST(RunLog, FailuresRaiseInputOutputErrors) {
  {
    SimMachine m;
    m.Fail("files.Append", "OrvekRun", err::AccessDenied);
    try {
      WriteRunLog(m.platform(), "Begin");
      FAIL() << "no error raised";
    } catch (const RunLogError& e) {
      EXPECT_EQ(e.code(), err::AccessDenied);
      EXPECT_STREQ(e.what(), "I/O error 5");
    }
  }
  {
    SimMachine m;
    m.SetEnv("windir", "");
    EXPECT_THROW(WriteRunLog(m.platform(), "Begin"), RunLogError);
  }
  {
    SimMachine m;
    m.SetEnv("windir", "C:\\NoSuchWindows");
    EXPECT_THROW(WriteRunLog(m.platform(), "Begin"), RunLogError);
  }
}

// Another instance appending at the same moment holds the file for a
// moment: the line waits for it (on the machine's clock) up to a second, and
// only then, or at once for any other error, raises.
TEST(RunLog, SharingCollisionsAreWaitedOutForAtMostASecond) {
  struct Case {
    const char* what;
    std::uint32_t error;
    int failures;  // -1: every attempt
    bool written;
    std::uint64_t minWaitMs, maxWaitMs;
  } cases[] = {
      {"sharing violation three times", 32, 3, true, 60, 60},
      {"lock violation for just under a second", 33, 50, true, 1000, 1000},
      {"sharing violation for a second", 32, 51, false, 1000, 1000},
      {"sharing violation that never ends", 32, -1, false, 1000, 1000},
      {"access denied", err::AccessDenied, 1, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimMachine m;
    WriteRunLog(m.platform(), "Begin");
    m.Fail("files.Append", "OrvekRun", c.error, c.failures);
    const std::uint64_t start = m.Tick();
    if (c.written) {
      WriteRunLog(m.platform(), "读取磁盘信息");
      EXPECT_EQ(*m.ReadFile(kLog), "2017-08-18 14:05:09 Begin\r\n2017-08-18 14:05:09 " + Gbk(m, "读取磁盘信息") + "\r\n");
    } else {
      try {
        WriteRunLog(m.platform(), "读取磁盘信息");
        ADD_FAILURE() << "no error raised";
      } catch (const RunLogError& e) {
        EXPECT_EQ(e.code(), c.error);
      }
      EXPECT_EQ(*m.ReadFile(kLog), "2017-08-18 14:05:09 Begin\r\n");
    }
    EXPECT_GE(m.Tick() - start, c.minWaitMs);
    EXPECT_LE(m.Tick() - start, c.maxWaitMs);
  }
}

TEST(StartHeader, WritesTheBlockFromTheSystemInformation) {
  SimMachine m;
  m.SetLocalTime({2026, 12, 10, 9, 8, 7});
  TSysinfo info;
  LogStartHeader(m.platform(), info);
  const std::string stamp = "2026-12-10 09:08:07 ";
  const std::string rule(25, '=');
  const std::string lines[] = {
      "Begin",
      rule + " Basic " + rule,
      "系统信息：" + info.infos,
      "系统归类：Win7",
      "NT版本：6.1.7601.17514",
      "系统语言：中文简体",
      "运行环境：" + info.syshj,
      "程序版本：" + GetAppVersion(m.platform()),
      "程序路径：" + info.Toolpath,
      rule + " Start " + rule,
  };
  std::string expected;
  for (const auto& l : lines) expected += stamp + Gbk(m, l) + "\r\n";
  EXPECT_EQ(*m.ReadFile(kLog), expected);
  EXPECT_EQ(info.hname, "Win7");
  EXPECT_EQ(info.Toolpath, "C:\\Lumora\\");
}

TEST(StartHeader, ALogFailureStopsTheBlock) {
  SimMachine m;
  m.Fail("files.Append", "OrvekRun", err::DiskFull, 1);
  TSysinfo info;
  EXPECT_THROW(LogStartHeader(m.platform(), info), RunLogError);
  EXPECT_FALSE(m.Exists(kLog));
}

}  // namespace
}  // namespace lum
