#include "tools/disklist/listing_output.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "tools/disklist/type_tables.h"

namespace lum::disklist {

namespace {

constexpr double kGiB = 1073741824.0;

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
  const double total = static_cast<double>(e.length) * disk.sectorSize / kGiB;
  const unsigned diskNumber = disk.index + 1;
  const int position = static_cast<int>(number);
  const char* style = StyleName(disk.style);
  const unsigned active = e.active ? 1u : 0u;
  if (e.freeBytes == 0) {
    return Format("%u:%d\t%s\t%.2fGB\tunknown\t%s\t%s%s\t%s\t%s\t%u\n", diskNumber, position,
                  LetterField(e.letter), total, KindName(e.kind), e.hiddenPrefix.c_str(),
                  e.typeName.c_str(), e.label.c_str(), style, active);
  }
  return Format("%u:%d\t%s\t%.2fGB\t%.2fGB\t%s\t%s%s\t%s\t%s\t%u\n", diskNumber, position,
                LetterField(e.letter), total, static_cast<double>(e.freeBytes) / kGiB, KindName(e.kind),
                e.hiddenPrefix.c_str(), e.typeName.c_str(), e.label.c_str(), style, active);
}

std::string FormatDynamicLine(const DynamicVolume& v) {
  return Format("  \t%s\t%.2fGB\t%.2fGB\tDynamic\t%s\t%s\n", v.letter.c_str(),
                static_cast<double>(v.totalBytes) / kGiB, static_cast<double>(v.freeBytes) / kGiB,
                v.fileSystem.c_str(), v.label.c_str());
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
