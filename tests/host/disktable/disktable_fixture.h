#pragma once
// A simulated machine that carries the disk listing tool as a resource and
// runs a scripted stand-in for it, and helpers to read the run log back.
#include <functional>
#include <string>
#include <vector>

#include "inspect/disktable.h"
#include "platform/sim/sim_machine.h"

namespace lum::test {

inline constexpr const char kWorkDir[] = "C:\\Windows\\temp\\~SqWeRtY\\";
inline constexpr const char kToolPath[] = "C:\\Windows\\temp\\~SqWeRtY\\FerroYX.exe";
inline constexpr const char kToolBytes[] = "MZ disk listing tool";

// The lines of the run log, decoded, without their time stamps.
std::vector<std::string> LogLines(sim::SimMachine& m);

// What the stand-in tool saw when it ran.
struct ToolRun {
  int runs = 0;
  std::string commandLine;
  std::string fileDuringRun;  // the tool file's bytes while it ran
};

// Adds the resource FUN/RUSORT and registers a program for the tool path that
// prints the UTF-8 text in the machine's ANSI code page.
void InstallTool(sim::SimMachine& m, ToolRun& seen, const std::string& text,
                 const std::string& toolPath = kToolPath);

// A row as the table shows it: caption, then the cells.
DiskRow Row(const std::string& caption, std::vector<std::string> cells);
// The row's caption and cells joined by "|", for readable comparisons.
std::string Show(const DiskRow& row);
std::vector<std::string> Show(const DiskTable& table);

}  // namespace lum::test
