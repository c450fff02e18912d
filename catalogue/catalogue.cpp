#include "catalogue/catalogue.h"

#include "platform/text.h"

namespace lum {
namespace {

struct CatalogRow {
  const char* name;
  const char* picture;
  const char* file;
  const char* family;
  const char* arch;
  const char* tag;
  const char* description;
  const char* size;
};

constexpr char kUpdateNote[] = "更新时间:2017年";
constexpr char kClassicText[] = "经典系统，稳定安全，兼容性强，安装快速。";
constexpr char kModernText[] = "简洁高效，稳定安全，兼容性强，性能强劲。";

// Windows 10 comes before Windows 8 in the list.
constexpr CatalogRow kRows[] = {
    {"Windows XP[32位]", "XP", "winxp.gho", "WinXP", "x86", "XP.GHO", kClassicText, "镜像大小:1.80G"},
    {"Windows 7[32位]", "7-86", "win7x32.gho", "Win7", "x86", "W7X32.GHO", kModernText, "镜像大小:3.30G"},
    {"Windows 7[64位]", "7-64", "win7x64.gho", "Win7", "x64", "W7X64.GHO", kModernText, "镜像大小:3.99G"},
    {"Windows 10[32位]", "10-86", "win10x32.gho", "Win10", "x86", "W10X32.GHO", kModernText, "镜像大小:3.38G"},
    {"Windows 10[64位]", "10-64", "win10x64.gho", "Win10", "x64", "W10X64.GHO", kModernText, "镜像大小:3.96G"},
    {"Windows 8[32位]", "8-86", "win8x32.gho", "Win8", "x86", "W8X32.GHO", kModernText, "镜像大小:3.50G"},
    {"Windows 8[64位]", "8-64", "win8x64.gho", "Win8", "x64", "W8X64.GHO", kModernText, "镜像大小:3.90G"},
};

}  // namespace

std::vector<std::string> BuildSysCatalog(const std::string& baseUrl) {
  std::vector<std::string> lines;
  lines.reserve(std::size(kRows));
  for (const CatalogRow& r : kRows) {
    std::string line;
    for (const std::string& field :
         {std::string(r.name), std::string(r.picture), baseUrl + r.file, std::string(kUpdateNote),
          std::string(r.family), std::string(r.arch), std::string(r.tag),
          std::string(r.description), std::string(r.size)}) {
      if (!line.empty()) line += '|';
      line += field;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<std::string> SplitCatalogLine(std::string_view line) { return SplitOn(line, '|'); }

}  // namespace lum
