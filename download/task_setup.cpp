#include "download/task_setup.h"

#include <cstring>

namespace lum {

void InitTaskParams(engine::TaskParams& params) {
  std::memset(&params, 0, sizeof params);
  params.value18360 = 5;
  // The word at 18096 inside the zero block, and the switches at 18356 and
  // 18364, are zero already; the switch at 18368 starts out true.
  params.switch18356 = 0;
  params.switch18364 = 0;
  params.switch18368 = -1;
}

void InitTaskInfo(engine::TaskInfo& info) {
  std::memset(&info, 0, sizeof info);
  info.status = engine::kStatusStopped;  // 2: nothing read yet
}

}  // namespace lum
