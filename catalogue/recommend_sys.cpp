#include "catalogue/recommend_sys.h"

#include "inspect/sysquery.h"

namespace lum {

Recommendation GetRecommendSys(Platform& p, bool isGpt) {
  TSysinfo info;
  GetSysinfo(p, info);
  Recommendation rec = isGpt ? RecommendSys(true, info.hname, IsWin64(p), 0)
                             : RecommendSys(false, info.hname, false, p.system.Memory().totalPhys);
  // A processor without long mode cannot start a 64-bit system, however much
  // memory the machine has.
  if (rec.arch == "x64" && !p.system.HasLongMode()) rec.arch = "x86";
  return rec;
}

}  // namespace lum
