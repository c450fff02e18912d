#include "catalogue/recommend.h"

#include "catalogue/catalogue.h"
#include "platform/text.h"

namespace lum {

Recommendation RecommendSys(bool isGpt, const std::string& versionClass, bool isWin64,
                            std::uint64_t totalPhysBytes) {
  Recommendation rec{"x64", "Win7"};
  if (isGpt) {
    rec.family = versionClass;
    rec.arch = isWin64 ? "x64" : "x86";
    return rec;
  }
  std::uint64_t megabytes = totalPhysBytes / 1024 / 1024;
  rec.arch = megabytes > 2000 ? "x64" : "x86";
  if (megabytes < 1500) rec.family = "WinXP";
  return rec;
}

bool IsRecommendedEntry(std::string_view catalogLine, const Recommendation& rec) {
  std::vector<std::string> f = SplitCatalogLine(catalogLine);
  if (f.size() <= kCatArch) return false;
  return AsciiUpper(f[kCatFamily]) == AsciiUpper(rec.family) &&
         AsciiUpper(f[kCatArch]) == AsciiUpper(rec.arch);
}

}  // namespace lum
