#pragma once
// The boot payloads the program carries as resources: which resource is
// written to which file, and the three attribute values the boot preparation
// sets on the files it writes.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace lum {

// Archive only: a plain file that can be replaced.
constexpr std::uint32_t kAttrPlain = 0x20;
// Hidden and system: the loader files once the legacy chain is complete.
constexpr std::uint32_t kAttrHiddenSystem = 0x06;
// Read-only, hidden and system: boot.ini and the restore environment.
constexpr std::uint32_t kAttrLocked = 0x07;

// Where a payload goes: the system drive or the temporary folder.
enum class PayloadBase { SystemDrive, Temp };

struct Payload {
  std::string_view type;  // resource type, asked for in lower case
  std::string_view name;  // resource name
  PayloadBase base;
  std::string_view path;  // below the base, starting with a backslash
};

namespace payload {
inline constexpr Payload kLoader{"pe", "gru", PayloadBase::SystemDrive, "\\krppe"};
inline constexpr Payload kLoaderMbr{"pe", "mbr", PayloadBase::SystemDrive, "\\krppe.mbr"};
inline constexpr Payload kMenu{"pe", "cda", PayloadBase::SystemDrive, "\\BOOT\\GRUB\\MENU.LST"};
inline constexpr Payload kEditor{"fun", "bedit", PayloadBase::Temp, "\\BCDEdit.exe"};
inline constexpr Payload kIsoTool{"iso", "mak", PayloadBase::Temp, "\\krpiso.krp"};
inline constexpr Payload kSdi{"bot", "efi", PayloadBase::SystemDrive, "\\BOOT\\BOOT.SDI"};
inline constexpr Payload kRestoreArchive{"fun", "bootadd", PayloadBase::Temp, "\\~zqrestmp.tmp"};

// The six EFI files in the order they are written; the same targets for the
// 64-bit set and the 32-bit (X86) set.
inline constexpr std::array<Payload, 6> kEfi64 = {{
    {"efiset", "bootmgr", PayloadBase::SystemDrive, "\\EFI\\Microsoft\\Boot\\bootmgr.efi"},
    {"efiset", "bootmgfw", PayloadBase::SystemDrive, "\\EFI\\Microsoft\\Boot\\bootmgfw.efi"},
    {"efiset", "memtest", PayloadBase::SystemDrive, "\\EFI\\Microsoft\\Boot\\memtest.efi"},
    {"efiset", "muia", PayloadBase::SystemDrive, "\\EFI\\Microsoft\\Boot\\zh-CN\\bootmgfw.efi.mui"},
    {"efiset", "muib", PayloadBase::SystemDrive, "\\EFI\\Microsoft\\Boot\\zh-CN\\bootmgr.efi.mui"},
    {"efiset", "muic", PayloadBase::SystemDrive, "\\EFI\\Microsoft\\Boot\\zh-CN\\memtest.efi.mui"},
}};
inline constexpr std::array<Payload, 6> kEfi32 = {{
    {"efiset", "bootmgrx86", PayloadBase::SystemDrive, "\\EFI\\Microsoft\\Boot\\bootmgr.efi"},
    {"efiset", "bootmgfwx86", PayloadBase::SystemDrive, "\\EFI\\Microsoft\\Boot\\bootmgfw.efi"},
    {"efiset", "memtestx86", PayloadBase::SystemDrive, "\\EFI\\Microsoft\\Boot\\memtest.efi"},
    {"efiset", "muiax86", PayloadBase::SystemDrive, "\\EFI\\Microsoft\\Boot\\zh-CN\\bootmgfw.efi.mui"},
    {"efiset", "muibx86", PayloadBase::SystemDrive, "\\EFI\\Microsoft\\Boot\\zh-CN\\bootmgr.efi.mui"},
    {"efiset", "muicx86", PayloadBase::SystemDrive, "\\EFI\\Microsoft\\Boot\\zh-CN\\memtest.efi.mui"},
}};
}  // namespace payload

// The EFI set for the running Windows: the 64-bit files on 64-bit Windows.
const std::array<Payload, 6>& EfiPayloads(bool win64);

// The payload's target, rebuilt from the environment now.
std::string PayloadPath(Platform& p, const Payload& payload);

// Writes the payload to its target and returns the target. Whether it worked
// is for the caller to decide by testing that the file exists; a failure is
// in the run log.
std::string WritePayload(Platform& p, const Payload& payload);

}  // namespace lum
