#pragma once
// MBR partition type codes and GPT partition type GUIDs the listing knows.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace lum::disklist {

// The extended partition types whose boot record chains hold logical drives.
bool IsExtendedType(std::uint8_t code);
// True for the type codes that mark a hidden partition.
bool IsHiddenType(std::uint8_t code);
// The type name of an MBR code; "unknown" for codes not in the table.
const char* MbrTypeName(std::uint8_t code);

// A GPT type GUID as stored on disk (the first three fields little-endian).
using GuidBytes = std::array<std::uint8_t, 16>;

// Parses "C12A7328-F81F-11D2-BA4B-00A0C93EC93B" into its on-disk bytes.
std::optional<GuidBytes> ParseGuid(const char* text);

enum class GptTypeClass {
  Efi,         // EFI system partition: kind "EFI", name from the file system sniff
  BasicData,   // name from the file system sniff
  Named,       // a fixed name (Linux swap, LVM, RAID, Apple HFS+)
  LdmMetadata, // marks a dynamic disk
  Other,       // recorded but not listed
};

struct GptType {
  GptTypeClass cls = GptTypeClass::Other;
  const char* name = "";  // for Named
};

GptType ClassifyGptType(const std::uint8_t* guid16);

}  // namespace lum::disklist
