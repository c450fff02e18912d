#include "tools/disklist/letters.h"

#include <algorithm>
#include <cstdio>

#include "tools/disklist/fs_sniff.h"
#include "tools/disklist/type_tables.h"

namespace lum::disklist {

namespace {

// Partition numbers tried when a raw DOS device is looked for; GPT disks
// hold at most 128 entries in the standard array.
constexpr unsigned kMaxRawPartitionNumber = 128;

std::string LetterText(char letter) { return std::string(1, letter) + ":"; }

DiskListing* FindDisk(std::vector<DiskListing>& disks, std::uint32_t index) {
  for (DiskListing& d : disks)
    if (d.index == index) return &d;
  return nullptr;
}

bool LetterOnDisk(const DiskListing& disk, const std::string& letter) {
  return std::any_of(disk.entries.begin(), disk.entries.end(),
                     [&](const PartitionEntry& e) { return e.letter == letter; });
}

}  // namespace

LetterLists BuildLetterLists(std::uint32_t logicalDrives, const std::function<unsigned(char)>& driveType) {
  LetterLists lists;
  for (int i = 0; i < 26; ++i) {
    if (!(logicalDrives & (1u << i))) continue;
    const char letter = static_cast<char>('A' + i);
    const unsigned type = driveType(letter);
    if (type != kDriveRemote && type != kDriveCdrom) lists.inUse.push_back(letter);
  }
  // A letter that Windows reports is never handed out, whatever its drive
  // type: a network or optical drive holds it.
  auto add = [&](char letter) {
    if (!(logicalDrives & (1u << (letter - 'A')))) lists.free.push_back(letter);
  };
  for (char c = 'C'; c <= 'Z'; ++c) add(c);
  add('B');
  add('A');
  return lists;
}

bool CountsAsPartition(const PartitionEntry& entry) {
  return entry.length != 0 && !IsExtendedType(entry.typeCode);
}

void ReadVolumeDetails(PartitionEntry& entry, IDiskSystem& sys, bool dropLetterOnFailure) {
  const char letter = entry.letter[0];
  if (auto space = sys.Space(letter)) {
    entry.freeBytes = space->freeBytes;
  } else if (dropLetterOnFailure) {
    entry.letter.clear();
    return;
  }
  if (auto details = sys.Details(letter)) {
    entry.label = FieldText(details->label.data(), details->label.size(), kMaxTextBytes);
    std::string fs = FieldText(details->fileSystem.data(), details->fileSystem.size(), kMaxTextBytes);
    if (!fs.empty()) entry.typeName = fs;
  }
}

void AttachByExtents(std::vector<DiskListing>& disks, IDiskSystem& sys, const std::vector<char>& inUse) {
  for (char letter : inUse) {
    auto extent = sys.FirstExtent(letter);
    if (!extent || extent->disk >= kMaxDisks || extent->offset <= 0) continue;
    DiskListing* disk = FindDisk(disks, extent->disk);
    if (!disk || IsDynamic(disk->style) || disk->entries.empty()) continue;
    const std::uint64_t start = static_cast<std::uint64_t>(extent->offset) / disk->sectorSize;
    for (std::size_t i = 0; i < disk->entries.size(); ++i) {
      PartitionEntry& e = disk->entries[i];
      if (e.start != start || !e.letter.empty()) continue;
      e.letter = LetterText(letter);
      ReadVolumeDetails(e, sys, disk->style == DiskStyle::Gpt && i == 0);
      break;
    }
  }
}

void AttachByPartitionNumber(std::vector<DiskListing>& disks, IDiskSystem& sys,
                             const std::vector<char>& inUse) {
  for (char letter : inUse) {
    auto number = sys.GetDeviceNumber(letter);
    if (!number || number->disk >= kMaxDisks || number->partition == 0) continue;
    DiskListing* disk = FindDisk(disks, number->disk);
    const std::string text = LetterText(letter);
    if (!disk || LetterOnDisk(*disk, text)) continue;
    std::uint32_t position = 0;
    for (std::size_t i = 0; i < disk->entries.size(); ++i) {
      PartitionEntry& e = disk->entries[i];
      if (!CountsAsPartition(e) || ++position != number->partition) continue;
      // A partition that already has a letter keeps it.
      if (e.letter.empty()) {
        e.letter = text;
        ReadVolumeDetails(e, sys, disk->style == DiskStyle::Gpt && i == 0);
      }
      break;
    }
  }
}

void AttachRawEfiLetters(std::vector<DiskListing>& disks, IDiskSystem& sys, std::deque<char>& freeLetters) {
  const bool anyGpt = std::any_of(disks.begin(), disks.end(),
                                  [](const DiskListing& d) { return d.style == DiskStyle::Gpt; });
  if (!anyGpt || !sys.RawDevicesAllowed()) return;
  for (DiskListing& disk : disks) {
    if (disk.style != DiskStyle::Gpt) continue;
    for (PartitionEntry& e : disk.entries) {
      if (e.kind != PartitionKind::Efi || !e.letter.empty()) continue;
      if (freeLetters.empty()) return;
      const char letter = freeLetters.front();
      const std::int64_t offset = static_cast<std::int64_t>(e.start * disk.sectorSize);
      for (unsigned n = 1; n <= kMaxRawPartitionNumber; ++n) {
        char target[64];
        std::snprintf(target, sizeof target, "\\Device\\Harddisk%u\\Partition%u", disk.index, n);
        if (!sys.DefineRawDevice(letter, target)) continue;
        auto extent = sys.FirstExtent(letter);
        if (extent && extent->disk == disk.index && extent->offset == offset) {
          // The letter is used up only when it found its partition.
          freeLetters.pop_front();
          e.letter = LetterText(letter);
          ReadVolumeDetails(e, sys, false);
          break;
        }
        sys.RemoveRawDevice(letter, target);
      }
    }
  }
}

}  // namespace lum::disklist
