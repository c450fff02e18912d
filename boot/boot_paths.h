#pragma once
// The three places the boot preparation writes to, read from the environment
// at every use: the system drive ("SystemDrive", e.g. "C:"), the temporary
// folder ("temp") and the Windows folder ("windir").
#include <string>

#include "platform/platform.h"

namespace lum {

inline std::string SystemDrive(Platform& p) { return p.env.Get("SystemDrive"); }
inline std::string TempDir(Platform& p) { return p.env.Get("temp"); }
inline std::string WinDir(Platform& p) { return p.env.Get("windir"); }

}  // namespace lum
