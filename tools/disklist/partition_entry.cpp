#include "tools/disklist/partition_entry.h"

namespace lum::disklist {

const char* StyleName(DiskStyle style) {
  switch (style) {
    case DiskStyle::Mbr: return "MBR";
    case DiskStyle::Gpt: return "GPT";
    case DiskStyle::DynMbr: return "DYNMBR";
    case DiskStyle::DynGpt: return "DYNGPT";
    default: return "";
  }
}

const char* KindName(PartitionKind kind) {
  switch (kind) {
    case PartitionKind::Logical: return "Logical";
    case PartitionKind::Efi: return "EFI";
    default: return "Primary";
  }
}

bool IsDynamic(DiskStyle style) { return style == DiskStyle::DynMbr || style == DiskStyle::DynGpt; }

}  // namespace lum::disklist
