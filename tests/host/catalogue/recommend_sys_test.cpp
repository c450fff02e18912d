// The recommendation for the running machine, on the simulated machine.
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "catalogue/processor_rule.h"
#include "catalogue/recommend_sys.h"
#include "platform/sim/sim_machine.h"

namespace lum {
namespace {

TEST(GetRecommendSys, GptDiskFollowsTheRunningWindows) {
  struct Case {
    unsigned major, minor, build;
    bool x64;
    const char* ntdll;
    const char *family, *arch;
  } cases[] = {
      {10, 0, 10240, true, "10.0.10240.16384", "Win10", "x64"},
      {6, 3, 9600, true, "6.3.9600.17031", "Win8", "x64"},
      {6, 1, 7601, false, "6.1.7601.17514", "Win7", "x86"},
      {6, 0, 6002, true, "6.0.6002.18005", "Win7", "x64"},  // Vista counts as Windows 7
      {5, 1, 2600, false, "5.1.2600.5512", "WinXP", "x86"},
      {6, 1, 7601, true, "", "Unknown", "x64"},  // unreadable ntdll version
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ntdll);
    sim::SimMachine m;
    m.UseWindows(c.major, c.minor, c.build, 0, c.x64, c.ntdll);
    m.sys.memory.totalPhys = 1024ull << 20;  // does not count on GPT
    Recommendation rec = GetRecommendSys(m.platform(), true);
    EXPECT_EQ(rec.family, c.family);
    EXPECT_EQ(rec.arch, c.arch);
  }
}

TEST(GetRecommendSys, MbrDiskFollowsInstalledMemory) {
  struct Case {
    std::uint64_t megabytes;
    const char *family, *arch;
  } cases[] = {{1499, "WinXP", "x86"}, {1500, "Win7", "x86"}, {2000, "Win7", "x86"},
               {2001, "Win7", "x64"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.megabytes);
    sim::SimMachine m;
    m.UseWindows(10, 0, 10240, 0, true, "10.0.10240.16384");
    m.sys.memory.totalPhys = c.megabytes << 20;
    Recommendation rec = GetRecommendSys(m.platform(), false);
    EXPECT_EQ(rec.family, c.family);
    EXPECT_EQ(rec.arch, c.arch);
  }
}

// A processor without long mode never gets a 64-bit recommendation, whatever
// the disk, the running Windows or the memory would say; the family stays.
TEST(GetRecommendSys, NoLongModeAlwaysRecommendsThirtyTwoBits) {
  struct Case {
    bool gpt, longMode;
    std::uint64_t megabytes;
    const char *family, *arch;
  } cases[] = {
      {false, true, 4096, "Win7", "x64"},  {false, false, 4096, "Win7", "x86"},
      {false, false, 1024, "WinXP", "x86"}, {true, true, 4096, "Win10", "x64"},
      {true, false, 4096, "Win10", "x86"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.gpt) + " " + std::to_string(c.longMode) + " " + std::to_string(c.megabytes));
    sim::SimMachine m;
    m.UseWindows(10, 0, 10240, 0, true, "10.0.10240.16384");
    m.sys.memory.totalPhys = c.megabytes << 20;
    m.sys.longMode = c.longMode;
    Recommendation rec = GetRecommendSys(m.platform(), c.gpt);
    EXPECT_EQ(rec.family, c.family);
    EXPECT_EQ(rec.arch, c.arch);
  }
}

// Every row of the real catalogue: the 64-bit ones are refused on a processor
// without long mode and only there; a refusal fills the reason, a pass leaves
// it as it was.
TEST(RefuseRowForProcessor, SixtyFourBitRowsNeedLongMode) {
  const std::vector<std::string> rows = BuildSysCatalog("http://127.0.0.1/a/");
  for (bool longMode : {true, false}) {
    sim::SimMachine m;
    m.sys.longMode = longMode;
    int refused = 0;
    for (const std::string& row : rows) {
      SCOPED_TRACE(row);
      const bool x64 = SplitCatalogLine(row)[kCatArch] == "x64";
      std::string reason = "before";
      const bool refuse = RefuseRowForProcessor(m.platform(), row, reason);
      EXPECT_EQ(refuse, x64 && !longMode);
      EXPECT_EQ(reason, refuse ? "此电脑的处理器不支持64位系统，请选择32位系统！" : "before");
      refused += refuse;
    }
    EXPECT_EQ(refused > 0, !longMode);
  }
  // The architecture compared without letter case; a line without one passes.
  sim::SimMachine m;
  m.sys.longMode = false;
  std::string reason;
  EXPECT_TRUE(RefuseRowForProcessor(m.platform(), "W|p|u|n|Win7|X64|T|d|s", reason));
  EXPECT_FALSE(RefuseRowForProcessor(m.platform(), "W|p|u|n|Win7|x86|T|d|s", reason));
  EXPECT_FALSE(RefuseRowForProcessor(m.platform(), "W|p|u|n|Win7", reason));
}

}  // namespace
}  // namespace lum
