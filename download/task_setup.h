#pragma once
// The initial contents of the two records exchanged with the engine.
#include "engine/task_records.h"

namespace lum {

// Every byte zero except the 32-bit 5 at offset 18360 and the 32-bit -1
// (all bits set) at offset 18368.
void InitTaskParams(engine::TaskParams& params);

// Every byte zero except the status, which reads 2 until the engine answers.
void InitTaskInfo(engine::TaskInfo& info);

}  // namespace lum
