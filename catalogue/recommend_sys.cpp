#include "catalogue/recommend_sys.h"

#include "inspect/sysquery.h"

namespace lum {

Recommendation GetRecommendSys(Platform& p, bool isGpt) {
  TSysinfo info;
  GetSysinfo(p, info);
  if (isGpt) return RecommendSys(true, info.hname, IsWin64(p), 0);
  return RecommendSys(false, info.hname, false, p.system.Memory().totalPhys);
}

}  // namespace lum
