#include "tools/disklist/type_tables.h"

#include <cstring>
#include <iterator>

namespace lum::disklist {

bool IsExtendedType(std::uint8_t code) {
  switch (code) {
    case 0x05: case 0x0F: case 0x15: case 0x1F: case 0x85: case 0x95:
      return true;
    default:
      return false;
  }
}

bool IsHiddenType(std::uint8_t code) {
  switch (code) {
    case 0x11: case 0x12: case 0x14: case 0x15: case 0x16: case 0x17:
    case 0x1B: case 0x1C: case 0x1E: case 0x1F: case 0x84: case 0x93:
    case 0x95: case 0xA0: case 0xBC: case 0xD7: case 0xDD: case 0xDE:
      return true;
    default:
      return false;
  }
}

const char* MbrTypeName(std::uint8_t code) {
  switch (code) {
    case 0x01: case 0x11: return "FAT12";
    case 0x05: case 0x15: return "Extended";
    case 0x06: case 0x16: return "FAT16";
    case 0x07: case 0x17: return "NTFS";
    case 0x0B: return "FAT32";
    case 0x0C: case 0x1C: return "FAT32LBA";
    case 0x0E: case 0x1E: return "FAT16LBA";
    case 0x0F: case 0x1F: return "Win95ExtendedLBA";
    case 0x12: return "EISA";
    case 0x14: return "FAT16<32M";
    case 0x1B: return "FAT";
    case 0x24: return "NEC_DOS";
    case 0x64: case 0x65: return "Novell_Netware";
    case 0x7E: case 0x7F: case 0x83: case 0x93: return "Linux";
    case 0x82: return "Linux_Swap";
    case 0x84: return "OS/2_C:";
    case 0x85: case 0x95: return "Linux_Extended";
    case 0x86: case 0x87: return "NTFS_volume_set";
    case 0x8E: return "Linux_LVM";
    case 0x9F: return "BSD/OS";
    case 0xA0: return "IBM_Thinkpad";
    case 0xA5: return "FreeBSD";
    case 0xA6: return "OpenBSD";
    case 0xAF: return "AppleHFS+";
    case 0xBC: return "ATI_SEC_ZONE";
    case 0xBE: return "Solaris_boot";
    case 0xD7: case 0xDD: return "DELL";
    case 0xDE: return "Dell_Utility";
    case 0xEB: return "BeOSfs";
    case 0xEE: return "EFI_GPT";
    case 0xEF: return "EFI_FAT";
    case 0xF2: return "DOS3.3_2nd";
    default: return "unknown";
  }
}

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

struct KnownType {
  const char* guid;
  GptTypeClass cls;
  const char* name;
};

constexpr KnownType kKnownTypes[] = {
    {"C12A7328-F81F-11D2-BA4B-00A0C93EC93B", GptTypeClass::Efi, ""},
    {"EBD0A0A2-B9E5-4433-87C0-68B6B72699C7", GptTypeClass::BasicData, ""},
    {"0657FD6D-A4AB-43C4-84E5-0933C84B4F4F", GptTypeClass::Named, "Linux_Swap"},
    {"E6D6D379-F507-44C2-A23C-238F2A3DF928", GptTypeClass::Named, "Linux_LVM"},
    {"A19D880F-05FC-4D3B-A006-743F0F84911E", GptTypeClass::Named, "Linux_RAID"},
    {"48465300-0000-11AA-AA11-00306543ECAC", GptTypeClass::Named, "AppleHFS+"},
    {"5808C8AA-7E8F-42E0-85D2-E1E90434CFB3", GptTypeClass::LdmMetadata, ""},
};

}  // namespace

std::optional<GuidBytes> ParseGuid(const char* text) {
  // Text order of the 16 bytes; the first three groups are stored reversed.
  static constexpr int kDiskOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  std::uint8_t textBytes[16];
  int n = 0;
  for (const char* p = text; *p; ++p) {
    if (*p == '-') continue;
    int hi = HexValue(p[0]);
    int lo = p[1] ? HexValue(p[1]) : -1;
    if (hi < 0 || lo < 0 || n == 16) return std::nullopt;
    textBytes[n++] = static_cast<std::uint8_t>(hi * 16 + lo);
    ++p;
  }
  if (n != 16) return std::nullopt;
  GuidBytes out{};
  for (int i = 0; i < 16; ++i) out[i] = textBytes[kDiskOrder[i]];
  return out;
}

GptType ClassifyGptType(const std::uint8_t* guid16) {
  static const auto kBytes = [] {
    std::array<GuidBytes, std::size(kKnownTypes)> all{};
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = *ParseGuid(kKnownTypes[i].guid);
    return all;
  }();
  for (std::size_t i = 0; i < kBytes.size(); ++i) {
    if (std::memcmp(kBytes[i].data(), guid16, 16) == 0) return {kKnownTypes[i].cls, kKnownTypes[i].name};
  }
  return {};
}

}  // namespace lum::disklist
