#include "inspect/partselect.h"

#include <limits>
#include <vector>

#include "inspect/textutil.h"
#include "platform/text.h"

namespace lum {

namespace {

// Rows that a short line from the listing tool left behind lack cells; no rule
// reads them.
bool IsFullRow(const DiskRow& row) { return row.cells.size() >= kDiskCellCount; }

std::optional<std::int64_t> ParseDecimal(const std::string& digits) {
  if (digits.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    const int d = c - '0';
    if (value > (std::numeric_limits<std::int64_t>::max() - d) / 10) return std::nullopt;
    value = value * 10 + d;
  }
  return value;
}

}  // namespace

std::optional<std::int64_t> SizeIntegerPart(Platform& p, const std::string& cell) {
  if (cell.find('.') == std::string::npos) return std::nullopt;
  std::string first;
  bool found = false;
  for (const std::string& piece : SplitOn(cell, '.')) {
    const std::size_t start = piece.find_first_not_of(' ');
    if (start == std::string::npos) continue;  // empty or blank: dropped
    first = piece.substr(start);
    found = true;
    break;
  }
  if (!found || !IsDigitKey(p, first)) return std::nullopt;
  // The keypress filter also lets a few control characters through; those,
  // trailing text or a number too large for the field give no integer part.
  return ParseDecimal(first);
}

void FillPartitionRecord(Platform& p, const DiskRow& row, TSysPartitioninfo& record) {
  record.PLetter = row.caption;
  record.Pdiskid = row.Cell(kCellAddress);
  record.PLabel = row.Cell(kCellLabel);
  record.PNtfs = row.Cell(kCellFileSystem);
  record.PIsGpt = AsciiUpper(row.Cell(kCellStyle)) == "GPT";
  record.Ppartitontype = row.Cell(kCellKind);
  if (auto free = SizeIntegerPart(p, row.Cell(kCellFree))) record.PFreesize = *free;
  if (auto total = SizeIntegerPart(p, row.Cell(kCellTotal))) record.PSzie = *total;
  record.PActive = row.Cell(kCellActive) == "1";
  record.PUsbtype = row.Cell(kCellUsb) == "USB";
}

void Soutsysp(Platform& p, const DiskTable& table, TSysPartitioninfo& record) {
  const std::string systemDrive = AsciiUpper(p.env.Get("SystemDrive"));
  for (const DiskRow& row : table)
    if (IsFullRow(row) && AsciiUpper(row.caption) == systemDrive) FillPartitionRecord(p, row, record);
}

void Getpartinfos(Platform& p, const DiskTable& table, const std::string& letter,
                  TSysPartitioninfo& record) {
  record.Pdiskid.clear();
  const std::string wanted = AsciiUpper(letter);
  for (const DiskRow& row : table)
    if (IsFullRow(row) && AsciiUpper(row.caption) == wanted) FillPartitionRecord(p, row, record);
}

bool IsBitLockerPartition(const TSysPartitioninfo& record) {
  std::string name = AsciiUpper(record.PNtfs);
  if (name.rfind("HIDDEN_", 0) == 0) name.erase(0, 7);
  return name.rfind("FVE_", 0) == 0;
}

std::string GetMaxpartition(Platform& p, const DiskTable& table, const std::string& excluded) {
  const std::string skip = AsciiUpper(excluded);
  struct Candidate {
    const DiskRow* row;
    double value;
  };
  std::vector<Candidate> candidates;
  for (const DiskRow& row : table) {
    if (!IsFullRow(row)) continue;
    const std::string& free = row.Cell(kCellFree);
    if (free.find('.') == std::string::npos || row.Cell(kCellUsb) == "USB" ||
        AsciiUpper(row.caption) == skip)
      continue;
    if (auto units = SizeIntegerPart(p, free))
      candidates.push_back({&row, static_cast<double>(*units)});
  }
  // Only whole units count, so rows that differ in the fraction tie and the
  // first in table order (lower disk, nearer the start) wins.
  double maximum = 0;
  for (const Candidate& c : candidates)
    if (c.value > maximum) maximum = c.value;
  for (const Candidate& c : candidates)
    if (c.value == maximum) return c.row->caption;
  return {};
}

}  // namespace lum
