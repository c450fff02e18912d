#pragma once
// Writes one of the program's own resources out to a file.
#include <string>

#include "platform/platform.h"

namespace lum {

// Finds the resource (type and name are names, case ignored) and writes its
// bytes to target, creating or emptying the file; the folder must exist.
// On failure logs target + "释放资源失败，错误代码：" + the last error and
// returns false (a partly written file may remain).
bool ReleaseResource(Platform& p, const std::string& type, const std::string& name,
                     const std::string& target);

}  // namespace lum
