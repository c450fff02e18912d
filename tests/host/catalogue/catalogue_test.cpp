#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "catalogue/recommend.h"

namespace lum {
namespace {

const std::string kBase = "http://dl.example.test/a/";

TEST(SysCatalog, SevenLinesInListOrder) {
  std::vector<std::string> cat = BuildSysCatalog(kBase);
  ASSERT_EQ(cat.size(), 7u);
  EXPECT_EQ(cat[2],
            "Windows 7[64位]|7-64|http://dl.example.test/a/win7x64.gho|更新时间:2017年|Win7|x64|"
            "W7X64.GHO|简洁高效，稳定安全，兼容性强，性能强劲。|镜像大小:3.99G");
  struct Row {
    const char *name, *picture, *file, *family, *arch, *tag, *size;
  } rows[] = {
      {"Windows XP[32位]", "XP", "winxp.gho", "WinXP", "x86", "XP.GHO", "镜像大小:1.80G"},
      {"Windows 7[32位]", "7-86", "win7x32.gho", "Win7", "x86", "W7X32.GHO", "镜像大小:3.30G"},
      {"Windows 7[64位]", "7-64", "win7x64.gho", "Win7", "x64", "W7X64.GHO", "镜像大小:3.99G"},
      {"Windows 10[32位]", "10-86", "win10x32.gho", "Win10", "x86", "W10X32.GHO", "镜像大小:3.38G"},
      {"Windows 10[64位]", "10-64", "win10x64.gho", "Win10", "x64", "W10X64.GHO", "镜像大小:3.96G"},
      {"Windows 8[32位]", "8-86", "win8x32.gho", "Win8", "x86", "W8X32.GHO", "镜像大小:3.50G"},
      {"Windows 8[64位]", "8-64", "win8x64.gho", "Win8", "x64", "W8X64.GHO", "镜像大小:3.90G"},
  };
  for (std::size_t i = 0; i < 7; ++i) {
    SCOPED_TRACE(i + 1);
    std::vector<std::string> f = SplitCatalogLine(cat[i]);
    ASSERT_EQ(f.size(), 9u);
    EXPECT_EQ(f[kCatName], rows[i].name);
    EXPECT_EQ(f[kCatPicture], rows[i].picture);
    EXPECT_EQ(f[kCatImageUrl], kBase + rows[i].file);
    EXPECT_EQ(f[kCatUpdateNote], "更新时间:2017年");
    EXPECT_EQ(f[kCatFamily], rows[i].family);
    EXPECT_EQ(f[kCatArch], rows[i].arch);
    EXPECT_EQ(f[kCatImageTag], rows[i].tag);
    EXPECT_EQ(f[kCatDescription], i == 0 ? "经典系统，稳定安全，兼容性强，安装快速。"
                                         : "简洁高效，稳定安全，兼容性强，性能强劲。");
    EXPECT_EQ(f[kCatSizeNote], rows[i].size);
  }
}

TEST(SplitCatalogLine, SplitsAtEveryBarOnly) {
  EXPECT_EQ(SplitCatalogLine(" a |b,，c||"), (std::vector<std::string>{" a ", "b,，c", "", ""}));
  EXPECT_EQ(SplitCatalogLine(BuildSysCatalog(kBase)[0])[0], "Windows XP[32位]");
}

// The rows each recommendation marks (1-based); every matching row is marked.
std::vector<int> Marked(const Recommendation& rec) {
  std::vector<int> rows;
  std::vector<std::string> cat = BuildSysCatalog(kBase);
  for (std::size_t i = 0; i < cat.size(); ++i)
    if (IsRecommendedEntry(cat[i], rec)) rows.push_back(static_cast<int>(i + 1));
  return rows;
}

TEST(RecommendSys, MbrDiskByInstalledMemory) {
  constexpr std::uint64_t MB = 1024 * 1024;
  struct Case {
    std::uint64_t bytes;
    const char *family, *arch;
    std::vector<int> rows;
  } cases[] = {
      {1024 * MB, "WinXP", "x86", {1}},
      {1499 * MB, "WinXP", "x86", {1}},
      {1500 * MB - 1, "WinXP", "x86", {1}},  // the fraction is cut off
      {1500 * MB, "Win7", "x86", {2}},
      {2000 * MB, "Win7", "x86", {2}},
      {2001 * MB - 1, "Win7", "x86", {2}},
      {2001 * MB, "Win7", "x64", {3}},
      {16384 * MB, "Win7", "x64", {3}},
      {0, "WinXP", "x86", {1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    // On an MBR disk the running system's class and bitness do not count.
    for (bool win64 : {false, true}) {
      Recommendation rec = RecommendSys(false, "Win10", win64, c.bytes);
      EXPECT_EQ(rec.family, c.family);
      EXPECT_EQ(rec.arch, c.arch);
      EXPECT_EQ(Marked(rec), c.rows);
    }
  }
}

TEST(RecommendSys, GptDiskByRunningSystem) {
  struct Case {
    const char* versionClass;
    bool win64;
    std::vector<int> rows;
  } cases[] = {
      {"WinXP", false, {1}}, {"WinXP", true, {}},  {"Win7", false, {2}}, {"Win7", true, {3}},
      {"Win10", false, {4}}, {"Win10", true, {5}}, {"Win8", false, {6}}, {"Win8", true, {7}},
      {"Win2000", false, {}}, {"Unknown", true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.versionClass) + (c.win64 ? " 64" : " 32"));
    Recommendation rec = RecommendSys(true, c.versionClass, c.win64, 1024ull << 20);
    EXPECT_EQ(rec.family, c.versionClass);
    EXPECT_EQ(rec.arch, c.win64 ? "x64" : "x86");
    EXPECT_EQ(Marked(rec), c.rows);
  }
}

TEST(IsRecommendedEntry, WholeFieldsWithoutRegardToCase) {
  const std::string line = BuildSysCatalog(kBase)[4];  // Win10 x64
  EXPECT_TRUE(IsRecommendedEntry(line, {"X64", "WIN10"}));
  EXPECT_TRUE(IsRecommendedEntry(line, {"x64", "win10"}));
  EXPECT_FALSE(IsRecommendedEntry(line, {"x64", "Win1"}));
  EXPECT_FALSE(IsRecommendedEntry(line, {"x64 ", "Win10"}));
  EXPECT_FALSE(IsRecommendedEntry("Win10|x64", {"x64", "Win10"}));
}

}  // namespace
}  // namespace lum
