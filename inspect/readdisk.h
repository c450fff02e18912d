#pragma once
// Reading the machine's disks at start-up: the disk listing tool FerroYX.exe,
// carried as the resource FUN/RUSORT, is written into the work folder, run
// with its switch, and its output lines become the disk table; the record of
// the system partition is filled from the table.
#include <optional>
#include <string>

#include "inspect/disktable.h"
#include "inspect/partitioninfo.h"
#include "platform/platform.h"

namespace lum {

inline constexpr const char kDiskToolResourceType[] = "Fun";
inline constexpr const char kDiskToolResourceName[] = "Rusort";
inline constexpr const char kDiskToolFile[] = "FerroYX.exe";
inline constexpr const char kDiskToolSwitch[] = " -kelvast";

// The command line that runs the tool at that path: the path and the switch.
// A path with a blank is put in quotes so that only the tool itself can run.
std::string DiskToolCommandLine(const std::string& toolPath);

// Appends a row for one output line of the tool (its TAB-separated fields) and
// fills it field by field. A line too short for the next field is logged as
// "读取磁盘列表数组越界" + the last error, and its row keeps what was filled.
// A row labelled "系统保留" or of kind "EFI" sets bootLetter to its letter.
void AddDiskTableRow(Platform& p, DiskTable& table, const std::string& line,
                     std::optional<std::string>& bootLetter);

// Rebuilds the table from the tool's output and fills the system partition
// record (SysbootLetter: the boot partition's letter, else PLetter). When the
// tool cannot be written the table stays empty and the record untouched; when
// it cannot be run, "读取磁盘列表失败，错误代码：" + the code is logged and the
// table stays empty. workDir ends with a backslash.
void Readdisk(Platform& p, const std::string& workDir, DiskTable& table,
              TSysPartitioninfo& sysPartition);

}  // namespace lum
