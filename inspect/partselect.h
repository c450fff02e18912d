#pragma once
// Answers taken from the disk table: the partition of the running Windows, the
// partition behind a drive letter, and the partition other than one letter
// with the most free space. Sizes come from the text of the size cells.
#include <cstdint>
#include <optional>
#include <string>

#include "inspect/disktable.h"
#include "inspect/partitioninfo.h"
#include "platform/platform.h"

namespace lum {

// The whole units of 2^30 bytes of a size cell such as "931.51GB": the text
// before the first "." (leading blanks of each "."-separated piece skipped,
// empty pieces dropped), when it begins with a digit (the keypress filter,
// which beeps otherwise) and reads as a decimal number. Nothing for a cell
// without "." such as "unknown", or one whose piece is not a number.
std::optional<std::int64_t> SizeIntegerPart(Platform& p, const std::string& cell);

// Writes the row's cells into the record, SysbootLetter excepted. A size cell
// without integer part leaves its field as it was. The row must have every cell.
void FillPartitionRecord(Platform& p, const DiskRow& row, TSysPartitioninfo& record);

// Fills the record from every full row whose caption is the value of
// "SystemDrive" (ASCII case ignored); the last one wins. Without such a row the
// record stays as it was.
void Soutsysp(Platform& p, const DiskTable& table, TSysPartitioninfo& record);

// Clears Pdiskid, then fills the record from every full row whose caption is
// the letter (ASCII case ignored).
void Getpartinfos(Platform& p, const DiskTable& table, const std::string& letter,
                  TSysPartitioninfo& record);

// True when the disk listing tool marked the partition's volume as
// BitLocker-encrypted: "FVE_" in front of its file system name, after the
// "hidden_" of a hidden type ("FVE_NTFS", "hidden_FVE_NTFS").
bool IsBitLockerPartition(const TSysPartitioninfo& record);

// The caption of the first row with the most whole units of free space among
// the rows that are not on USB, not the excluded letter (ASCII case ignored)
// and have a free-space cell with an integer part. Empty when none qualifies.
std::string GetMaxpartition(Platform& p, const DiskTable& table, const std::string& excluded);

}  // namespace lum
