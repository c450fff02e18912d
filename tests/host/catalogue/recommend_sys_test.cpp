// The recommendation for the running machine, on the simulated machine.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace lum
