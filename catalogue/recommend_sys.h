#pragma once
// The recommendation for the running machine.
#include "catalogue/recommend.h"
#include "platform/platform.h"

namespace lum {

// isGpt: the running system's partition lies on a GPT disk. On a processor
// without long mode the architecture is always "x86".
Recommendation GetRecommendSys(Platform& p, bool isGpt);

}  // namespace lum
