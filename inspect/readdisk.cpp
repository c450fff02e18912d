#include "inspect/readdisk.h"

#include <cstddef>
#include <iterator>
#include <vector>

#include "inspect/oserror.h"
#include "inspect/partselect.h"
#include "inspect/processes.h"
#include "inspect/resources.h"
#include "inspect/volumes.h"
#include "platform/runlog.h"
#include "platform/text.h"

namespace lum {

namespace {

// The fields of a partition line, by position.
enum Field : std::size_t {
  kFieldAddress = 0,
  kFieldLetter = 1,
  kFieldTotal = 2,
  kFieldFree = 3,
  kFieldKind = 4,
  kFieldFileSystem = 5,
  kFieldLabel = 6,
  kFieldStyle = 7,
  kFieldActive = 8,
};

// Where each cell comes from, in the order the cells are filled (after the
// caption, which is the letter field).
constexpr Field kCellSources[] = {kFieldAddress, kFieldLabel, kFieldFileSystem, kFieldStyle,
                                  kFieldKind,    kFieldFree,  kFieldTotal,      kFieldActive};
static_assert(std::size(kCellSources) == kCellUsb);

// The label Simplified Chinese Windows gives the system reserved partition.
constexpr const char kSystemReservedLabel[] = "系统保留";

// Lines end at CR LF, CR or LF; a final line break does not start another line.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.push_back(std::move(line));
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

void LogShortLine(Platform& p) {
  WriteRunLog(p, "读取磁盘列表数组越界" + std::to_string(p.system.LastError()));
}

}  // namespace

std::string DiskToolCommandLine(const std::string& toolPath) {
  if (toolPath.find(' ') == std::string::npos) return toolPath + kDiskToolSwitch;
  return "\"" + toolPath + "\"" + kDiskToolSwitch;
}

void AddDiskTableRow(Platform& p, DiskTable& table, const std::string& line,
                     std::optional<std::string>& bootLetter) {
  const std::vector<std::string> fields = SplitOn(line, '\t');
  DiskRow& row = table.emplace_back();
  if (fields.size() <= kFieldLetter) return LogShortLine(p);
  row.caption = fields[kFieldLetter];
  for (Field source : kCellSources) {
    if (fields.size() <= source) return LogShortLine(p);
    row.cells.push_back(fields[source]);
    if (source == kFieldLabel && AsciiUpper(fields[source]) == kSystemReservedLabel)
      bootLetter = row.caption;
    if (source == kFieldKind && AsciiUpper(fields[source]) == "EFI") bootLetter = row.caption;
  }
  // A partition without letter has two blanks there and is never on USB.
  row.cells.push_back(IsUsbVolume(p, row.caption) ? "USB" : "NOUSB");
}

void Readdisk(Platform& p, const std::string& workDir, DiskTable& table,
              TSysPartitioninfo& sysPartition) {
  table.clear();
  // A folder that cannot be made shows as the failed release below.
  ForceDirectories(p.files, workDir);
  const std::string tool = IncludeTrailingBackslash(workDir) + kDiskToolFile;
  if (!ReleaseResource(p, kDiskToolResourceType, kDiskToolResourceName, tool)) return;

  std::string output;
  try {
    output = RunAndCapture(p, DiskToolCommandLine(tool));
  } catch (const OsError& e) {
    WriteRunLog(p, "读取磁盘列表失败，错误代码：" + std::to_string(e.code()));
  }
  p.files.Delete(tool);

  table.clear();
  std::optional<std::string> bootLetter;
  for (const std::string& line : SplitLines(output)) AddDiskTableRow(p, table, line, bootLetter);

  Soutsysp(p, table, sysPartition);
  sysPartition.SysbootLetter = bootLetter.value_or(sysPartition.PLetter);
}

}  // namespace lum
