// The download page's texts, the URL file name, the task records as the
// runner prepares them, the target directory, the wait with message dispatch
// and the deployment of the engine files, on the simulated machine.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "download/deploy.h"
#include "download/format.h"
#include "download/pump_wait.h"
#include "download/runner.h"
#include "download/task_setup.h"
#include "download/url_name.h"
#include "platform/sim/sim_machine.h"

namespace lum {
namespace {

TEST(DownloadFormat, SpeedTable) {
  struct Case { std::int32_t bytes; const char* text; } cases[] = {
      {0, "0KB/S"},          {2560, "3KB/S"},          {1536, "2KB/S"},   {1535, "1KB/S"},
      {1048576, "1024KB/S"}, {1048577, "1.00MB/S"},    {5 << 20, "5.00MB/S"},
      {1048576 + 5242, "1.00MB/S"}, {1048576 + 5243, "1.01MB/S"},
      {-2560, "-3KB/S"},     {std::numeric_limits<std::int32_t>::max(), "2048.00MB/S"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatSpeed(c.bytes), c.text) << c.bytes;
}

TEST(DownloadFormat, TotalSizeTable) {
  struct Case { std::int64_t n; const char* text; } cases[] = {
      {0, "0B"}, {-1, "-1B"}, {-5000, "-5000B"}, {1023, "1023B"}, {1024, "1.00KB"},
      {1535, "1.50KB"}, {1023999, "1000.00KB"}, {1024000, "0.98MB"}, {1048576, "1.00MB"},
      {1023999999, "976.56MB"}, {1024000000, "0.95GB"}, {4294967296, "4.00GB"},
      {1023999999999, "953.67GB"},
  };
  for (const Case& c : cases) {
    auto text = FormatTotalSize(c.n);
    ASSERT_TRUE(text) << c.n;
    EXPECT_EQ(*text, c.text) << c.n;
  }
  EXPECT_FALSE(FormatTotalSize(1024000000000));
  EXPECT_FALSE(FormatTotalSize(std::numeric_limits<std::int64_t>::max()));
}

TEST(DownloadFormat, ReceivedTable) {
  struct Case { std::int64_t r; const char* text; } cases[] = {
      {0, "0.00MB"}, {1048576, "1.00MB"}, {5242, "0.00MB"}, {5243, "0.01MB"}, {-1, "-0.00MB"},
      {1023999999, "976.56MB"}, {1024000000, "0.95GB"}, {1023999999999, "953.67GB"},
  };
  for (const Case& c : cases) {
    auto text = FormatReceived(c.r);
    ASSERT_TRUE(text) << c.r;
    EXPECT_EQ(*text, c.text) << c.r;
  }
  EXPECT_FALSE(FormatReceived(1024000000000));
}

TEST(DownloadFormat, PercentAndBar) {
  struct Case { float f; int bar; const char* text; } cases[] = {
      {0.0f, 0, "0.00%"},         {0.5f, 50, "50.00%"},     {1.0f, 100, "100.00%"},
      {0.99995f, 100, "99.99%"},  {0.125f, 13, "12.50%"},   {0.00005f, 0, "0.00%"},
      {0.0049f, 0, "0.49%"},      {0.005f, 0, "0.50%"}, {0.00505f, 1, "0.50%"},     {-0.5f, -50, "-50.00%"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProgressBarValue(c.f), c.bar) << c.f;
    EXPECT_EQ(FormatPercent(c.f), c.text) << c.f;
  }
  EXPECT_EQ(ProgressBarValue(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(ProgressBarValue(std::numeric_limits<float>::infinity()), std::numeric_limits<int>::max());
}

TEST(DownloadFormat, FixedRoundsHalfAwayFromZeroOnTheExactValue) {
  EXPECT_EQ(FormatFixed(2.5, 0), "3");
  EXPECT_EQ(FormatFixed(3.5, 0), "4");
  EXPECT_EQ(FormatFixed(-2.5, 0), "-3");
  EXPECT_EQ(FormatFixed(0.125, 2), "0.13");  // exact tie
  EXPECT_EQ(FormatFixed(0.375, 2), "0.38");
  EXPECT_EQ(FormatFixed(1.005, 2), "1.00");  // the double lies just below 1.005
  EXPECT_EQ(FormatFixed(9.995, 2), "9.99");  // likewise
  EXPECT_EQ(FormatFixed(9.9951, 2), "10.00");
  EXPECT_EQ(FormatFixed(999.999, 2), "1000.00");
  EXPECT_EQ(FormatFixed(0.0, 2), "0.00");
  EXPECT_EQ(FormatFixed(-0.0, 2), "0.00");
  EXPECT_EQ(FormatFixed(123456789012.0, 0), "123456789012");
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 2), "NAN");
  EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 2), "-INF");
}

TEST(DownloadFormat, NoLocaleSeparators) {
  std::setlocale(LC_ALL, "de_DE.UTF-8");  // a comma locale where one is installed
  EXPECT_EQ(FormatFixed(1234567.5, 2), "1234567.50");
  std::setlocale(LC_ALL, "C");
}

TEST(DownloadUrlName, Table) {
  struct Case { const char* url; const char* name; } cases[] = {
      {"http://dl.example.com/a/win7x64.gho", "win7x64.gho"},
      {"http://dl.example.com/a/KRP8PE6F.ISO", "KRP8PE6F.ISO"},
      {"http://dl.example.com/a/", ""},
      {"", ""},
      {"win7.gho", "win7.gho"},
      {"http://h/a/my file.gho", "file.gho"},        // a space ends a field
      {"http://h/a/x.gho   ", "x.gho"},               // trailing blanks
      {"http://h/a/x.gho\t/", ""},
      {"http://h/a/\"my file.gho\"", "my file.gho"},  // quoted field
      {"http://h/a/\"say \"\"hi\"\".txt\"", "say \"hi\".txt"},
      {"http://h/a/\"open", "open"},                  // quote never closed
      {"http://h//", ""},
      {"http://h/a/b?x=1", "b?x=1"},
  };
  for (const Case& c : cases) EXPECT_EQ(UrlFileName(c.url), c.name) << c.url;
  EXPECT_EQ(SplitUrlFields("http://h/a"), (std::vector<std::string>{"http:", "", "h", "a"}));
}

TEST(DownloadRecords, InitTaskParams) {
  TaskParams p;
  std::memset(&p, 0xAB, sizeof p);
  InitTaskParams(p);
  const auto* b = reinterpret_cast<const std::uint8_t*>(&p);
  for (std::size_t i = 0; i < sizeof p; ++i) {
    if (i >= 18360 && i < 18364) continue;
    if (i >= 18368 && i < 18372) continue;
    ASSERT_EQ(b[i], 0) << "offset " << i;
  }
  std::int32_t five, ones;
  std::memcpy(&five, b + 18360, 4);
  std::memcpy(&ones, b + 18368, 4);
  EXPECT_EQ(five, 5);
  EXPECT_EQ(ones, -1);
}

TEST(DownloadRecords, InitTaskInfo) {
  TaskInfo info;
  std::memset(&info, 0xCD, sizeof info);
  InitTaskInfo(info);
  const auto* b = reinterpret_cast<const std::uint8_t*>(&info);
  EXPECT_EQ(b[0], 2);
  for (std::size_t i = 1; i < sizeof info; ++i) ASSERT_EQ(b[i], 0) << "offset " << i;
}

TEST(DownloadTargetDir, Normalised) {
  EXPECT_EQ(NormaliseTargetDir("D:\\ZqGhost"), "D:\\ZqGhost\\");
  EXPECT_EQ(NormaliseTargetDir("D:\\ZqGhost\\"), "D:\\ZqGhost\\");
  EXPECT_EQ(NormaliseTargetDir("  D:\\ZqGhost\\ "), "  D:\\ZqGhost\\ ");  // kept as given
  EXPECT_EQ(NormaliseTargetDir(" D:\\ZqGhost \r\n"), "D:\\ZqGhost\\");
}

TEST(DownloadPumpWait, DispatchesUntilTheTimeHasPassed) {
  sim::SimMachine m;
  ClockMessageWait wait(m.platform().clock);
  const std::uint64_t start = m.Tick();
  PumpWait(m.platform(), wait, 1000);
  EXPECT_GE(m.Tick() - start, 1000u);
  EXPECT_LT(m.Tick() - start, 1011u);
  EXPECT_GE(m.PumpCount(), 100);  // no message waits longer than 10 ms

  // Time that passes inside the dispatch counts too.
  int pumps = m.PumpCount();
  m.OnPump([](sim::SimMachine& sm) { sm.Advance(400); });
  PumpWait(m.platform(), wait, 1000);
  EXPECT_EQ(m.PumpCount() - pumps, 3);

  pumps = m.PumpCount();
  PumpWait(m.platform(), wait, 0);
  PumpWait(m.platform(), wait, -5);
  EXPECT_EQ(m.PumpCount() - pumps, 2);  // dispatches once, waits not at all
}

TEST(DownloadDeploy, WritesTheEngineFilesIntoAFreshDirectory) {
  sim::SimMachine m;
  m.AddResource("DLL", "XLDL", std::string_view("MZ engine"));
  const std::string idDat = "[partner]\r\nid=00000001\r\nver = 3.2.1.46\r\n";
  ASSERT_EQ(idDat.size(), 40u);
  m.AddResource("DAT", "IDDAT", idDat);
  const std::string dir = "C:\\Windows\\Temp\\ZqXunlei\\";
  ASSERT_FALSE(m.Exists(dir));
  DeployEngineFiles(m.platform(), dir);
  EXPECT_EQ(m.ReadFile(dir + "xldl.dll"), "MZ engine");
  EXPECT_EQ(m.ReadFile(dir + "download\\id.dat"), idDat);

  // Again over existing files, with one resource gone: the other is still
  // written, the failure is logged.
  m.PutFile(dir + "download\\id.dat", "old");
  m.Fail("resources.Find", "XLDL", err::ResourceNameNotFound);
  DeployEngineFiles(m.platform(), dir);
  EXPECT_EQ(m.ReadFile(dir + "xldl.dll"), "MZ engine");
  EXPECT_EQ(m.ReadFile(dir + "download\\id.dat"), idDat);
  auto log = m.ReadFile("C:\\Windows\\temp\\OrvekRun.LOG");
  ASSERT_TRUE(log);
  EXPECT_NE(log->find("ZqXunlei\\xldl.dll"), std::string::npos);
  EXPECT_NE(log->find("1814"), std::string::npos);
}

TEST(DownloadDeploy, TableHoldsOurEngineFiles) {
  auto files = EngineFiles();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_STREQ(files[0].target, "xldl.dll");
  EXPECT_STREQ(files[1].target, "download\\id.dat");
}

}  // namespace
}  // namespace lum
