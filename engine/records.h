#pragma once
// Between the binary records of the exported calls and the engine's own types.
#include <optional>
#include <string>
#include <string_view>

#include "engine/engine.h"
#include "engine/task_records.h"

namespace lum::engine {

// The URL, file name and save directory of a TaskParams. Refuses a record
// whose texts are empty where a value is needed, overrun their limits, or
// whose file name would leave the save directory.
std::optional<TaskSpec> SpecFromParams(const TaskParams& params);

// Writes the fields the program reads (status, sizes, fraction, speed) and the
// failure code; touches nothing past the bytes the engine may write.
void FillTaskInfo(const TaskSnapshot& snapshot, TaskInfo& info);

// "thunder://" + base64("AA" + url + "ZZ"): the bytes of the inner URL (in the
// ANSI code page of the machine that made it), or nothing when malformed.
std::optional<std::string> DecodeThunderUrl(std::string_view url);

}  // namespace lum::engine
