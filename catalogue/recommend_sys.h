#pragma once
// The recommendation for the running machine.
#include "catalogue/recommend.h"
#include "platform/platform.h"

namespace lum {

// isGpt: the running system's partition lies on a GPT disk.
Recommendation GetRecommendSys(Platform& p, bool isGpt);

}  // namespace lum
