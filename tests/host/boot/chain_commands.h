#pragma once
// The editor commands of the three boot chains, in their order, as the
// argument texts after the editor's path, byte for byte as the chains build
// them (S = C:, title "Lumora"). The chain tests expect them from the chains;
// the editor's tests feed them to the editor.
#include <string>
#include <vector>

namespace lum::test {

#define LUM_CHAIN_G "{B3CA8E0F-B903-4D4D-BB12-69359F196E93}"
#define LUM_CHAIN_RD "ramdisk=[C:]\\boot\\KRP8PE6L.WIM,{ffffffff-8d96-11de-8e71-ffffffffffff}"

// The PE on a legacy BIOS machine: the export, then the boot-sector entry.
inline const std::vector<std::string> kBiosPeCommands = {
    " /export C:\\Boot\\BCD_JP",
    " /create " LUM_CHAIN_G " /d \"Lumora\" /application bootsector",
    " /set " LUM_CHAIN_G " path \\KRPPE.MBR",
    " /displayorder " LUM_CHAIN_G " /addlast",
    " /timeout 3",
    " /set " LUM_CHAIN_G " device boot",
    " /default " LUM_CHAIN_G,
};

// The PE on a UEFI machine: a ramdisk entry.
inline const std::vector<std::string> kUefiCommands = {
    " /export C:\\EFI\\Microsoft\\Boot\\BCD_JP",
    " /create " LUM_CHAIN_G " /d \"Lumora\" /device",
    " /create " LUM_CHAIN_G " /d \"Lumora\" /application osloader",
    " /set " LUM_CHAIN_G " ramdisksdidevice partition=C:",
    " /set " LUM_CHAIN_G " ramdisksdipath \\boot\\boot.sdi",
    " /set " LUM_CHAIN_G " device                  " LUM_CHAIN_RD,
    " /set " LUM_CHAIN_G " path                    \\windows\\system32\\boot\\winload.efi",
    " /set " LUM_CHAIN_G " description             Lumora",
    " /set " LUM_CHAIN_G " locale                  zh-CN",
    " /set " LUM_CHAIN_G " inherit                 {bootloadersettings}",
    " /set " LUM_CHAIN_G " osdevice                " LUM_CHAIN_RD,
    " /set " LUM_CHAIN_G " systemroot              \\windows",
    " /set " LUM_CHAIN_G " detecthal               Yes",
    " /set " LUM_CHAIN_G " winpe                   Yes",
    " /displayorder " LUM_CHAIN_G " /addlast",
    " /timeout 3",
    " /default " LUM_CHAIN_G,
    " /set " LUM_CHAIN_G " testsigning on",
};

// The Ghost restore environment: a boot-sector entry on the system drive.
inline const std::vector<std::string> kGhostCommands = {
    " /export C:\\Boot\\BCD_",
    " /create " LUM_CHAIN_G " /d \"Lumora\" /application bootsector",
    " /set " LUM_CHAIN_G " path \\wvldr.mbr",
    " /displayorder " LUM_CHAIN_G " /addlast",
    " /timeout 3",
    " /default " LUM_CHAIN_G,
    " /set " LUM_CHAIN_G " device partition=C:",
};

#undef LUM_CHAIN_G
#undef LUM_CHAIN_RD

// The command lines as started: the editor's path before each argument text,
// from the command at index `from` on.
inline std::vector<std::string> WithEditor(const std::string& editor,
                                           const std::vector<std::string>& args,
                                           std::size_t from = 0) {
  std::vector<std::string> lines;
  for (std::size_t i = from; i < args.size(); ++i) lines.push_back(editor + args[i]);
  return lines;
}

}  // namespace lum::test
