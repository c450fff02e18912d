#include "tools/disklist/listing_output.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "tools/disklist/type_tables.h"

namespace lum::disklist {

namespace {

constexpr std::uint64_t kGiB = 1ull << 30;

__attribute__((format(printf, 1, 2))) std::string Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, fmt, args);
  va_end(args);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), fmt, again);
    out.resize(static_cast<std::size_t>(n));
  }
  va_end(again);
  return out;
}

// count units of unitBytes (a power of two up to 2^30) in GiB with two
// decimals cut off, never rounded up: a volume 1 MiB short of 4 GiB shows
// "3.99GB", so a reader that takes the whole units sees 3, not 4. Integer
// arithmetic throughout, so no size, however large, loses its last digits.
std::string SizeText(std::uint64_t count, std::uint64_t unitBytes) {
  const std::uint64_t perGiB = kGiB / unitBytes;
  const std::uint64_t whole = count / perGiB;
  const std::uint64_t restBytes = (count % perGiB) * unitBytes;  // below 2^30
  const std::uint64_t hundredths = restBytes * 100 / kGiB;
  std::string text = std::to_string(whole) + ".";
  if (hundredths < 10) text += "0";
  return text + std::to_string(hundredths) + "GB";
}

const char* LetterField(const std::string& letter) { return letter.empty() ? "  " : letter.c_str(); }

}  // namespace

std::vector<const PartitionEntry*> ListedPartitions(const DiskListing& disk) {
  std::vector<const PartitionEntry*> listed;
  for (const PartitionEntry& e : disk.entries)
    if (e.length != 0 && !IsExtendedType(e.typeCode) && !e.notListed) listed.push_back(&e);
  std::stable_sort(listed.begin(), listed.end(),
                   [](const PartitionEntry* a, const PartitionEntry* b) { return a->start < b->start; });
  return listed;
}

std::string FormatPartitionLine(const DiskListing& disk, unsigned number, const PartitionEntry& e) {
  const std::string total = SizeText(e.length, disk.sectorSize);
  const std::string free = e.freeBytes == 0 ? "unknown" : SizeText(e.freeBytes, 1);
  const std::string fileSystem = e.hiddenPrefix + (e.bitLocker ? kBitLockerPrefix : "") + e.typeName;
  return Format("%u:%d\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%u\n", disk.index + 1, static_cast<int>(number),
                LetterField(e.letter), total.c_str(), free.c_str(), KindName(e.kind), fileSystem.c_str(),
                e.label.c_str(), StyleName(disk.style), e.active ? 1u : 0u);
}

std::string FormatDynamicLine(const DynamicVolume& v) {
  return Format("  \t%s\t%s\t%s\tDynamic\t%s\t%s\n", v.letter.c_str(), SizeText(v.totalBytes, 1).c_str(),
                SizeText(v.freeBytes, 1).c_str(), v.fileSystem.c_str(), v.label.c_str());
}

std::string FormatListing(const std::vector<DiskListing>& disks, const std::vector<DynamicVolume>& dynamic) {
  std::string out;
  for (const DiskListing& disk : disks) {
    unsigned number = 0;
    for (const PartitionEntry* e : ListedPartitions(disk)) out += FormatPartitionLine(disk, ++number, *e);
  }
  for (const DynamicVolume& v : dynamic)
    if (v.totalBytes != 0) out += FormatDynamicLine(v);
  return out;
}

}  // namespace lum::disklist
