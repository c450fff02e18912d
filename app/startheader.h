#pragma once
// The start-up header: the block of run log lines that names the running
// system and the program, written first by the main window's creation.
#include "inspect/sysinfo.h"
#include "inspect/sysquery.h"
#include "inspect/fileversion.h"
#include "platform/platform.h"

namespace lum {

// Writes "Begin", fills startSysinfo with a fresh GetSysinfo and writes the
// header lines from it. Run log failures propagate to the caller.
void LogStartHeader(Platform& p, TSysinfo& startSysinfo);

}  // namespace lum
