#pragma once
// The disk table: one row per partition that the disk listing tool printed, in
// the order of its output lines. A row has a caption (the drive letter) and up
// to nine further cells; a short line from the tool leaves a row with fewer.
// The main window keeps the table (and shows it in its hidden list view); the
// partition rules read nothing but its text cells.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace lum {

// Positions of the cells after the caption.
enum DiskCell : std::size_t {
  kCellAddress = 0,     // disk and partition address, "1:2"
  kCellLabel = 1,       // volume label
  kCellFileSystem = 2,  // file system or partition type name
  kCellStyle = 3,       // "MBR" or "GPT"
  kCellKind = 4,        // "Primary", "Logical" or "EFI"
  kCellFree = 5,        // free space, "12.34GB" or "unknown"
  kCellTotal = 6,       // total size, "931.51GB"
  kCellActive = 7,      // "1" for the active MBR partition, else "0"
  kCellUsb = 8,         // "USB" or "NOUSB"
};
constexpr std::size_t kDiskCellCount = 9;

struct DiskRow {
  std::string caption;             // "C:", or two blanks for a partition without letter
  std::vector<std::string> cells;  // at most kDiskCellCount, in DiskCell order

  bool Has(std::size_t cell) const { return cell < cells.size(); }
  // The cell's text; empty when the row does not have it.
  const std::string& Cell(std::size_t cell) const;
};

using DiskTable = std::vector<DiskRow>;

// The list view's column headers: the caption's, then one per cell. The last
// two columns ("A" and "U") are shown with width 0.
inline constexpr std::array<const char*, 1 + kDiskCellCount> kDiskTableHeaders = {
    "盘符", "序号", "卷标", "系统文件", "磁盘", "分区类型", "可用容量", "总容量", "A", "U"};

}  // namespace lum
