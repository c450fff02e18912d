#pragma once
// Rows the machine's processor cannot run.
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace lum {

// The refusal of a 64-bit row on a processor without long mode.
inline constexpr char kNoLongModeReason[] = "此电脑的处理器不支持64位系统，请选择32位系统！";

// True when the catalogue line's system cannot run on this processor: a row
// of architecture "x64" (ASCII case ignored) while the processor has no long
// mode. reason then holds the text to log (after "错误：") and show (after
// "提示："); it is left alone otherwise. A line too short to name its
// architecture is not refused here.
bool RefuseRowForProcessor(Platform& p, std::string_view catalogLine, std::string& reason);

}  // namespace lum
