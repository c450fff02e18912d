#pragma once
// One partition as the disk table describes it. The program keeps two: the
// partition of the running Windows and the one that receives the data folder.
#include <cstdint>
#include <string>

namespace lum {

struct TSysPartitioninfo {
  std::string PLetter;            // drive letter with colon
  std::string Pdiskid;            // disk and partition address, "1:2"
  std::string PLabel;             // volume label
  std::string PNtfs;              // file system or type name
  bool PIsGpt = false;            // the disk is partitioned with GPT
  std::string Ppartitontype;      // "Primary", "Logical" or "EFI"
  std::int64_t PFreesize = 0;     // free space in whole units of 2^30 bytes
  std::int64_t PSzie = 0;         // total size in whole units of 2^30 bytes
  bool PActive = false;           // active MBR partition
  bool PUsbtype = false;          // on a USB device
  std::string SysbootLetter;      // system record only: the boot partition's letter

  bool operator==(const TSysPartitioninfo&) const = default;
};

}  // namespace lum
