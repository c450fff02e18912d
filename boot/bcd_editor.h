#pragma once
// The system boot store's editor: which program edits it, how a command is
// run, and the command texts of the three boot chains. A command line is the
// editor's path followed directly by the argument text (no quotation marks
// around the path); it runs hidden and the program waits for it while the
// window's messages are dispatched.
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lum {

// The identifier of the program's own entry in the system boot store; every
// run creates or addresses the entry under this same identifier.
inline constexpr char BootEntryId[] = "{B3CA8E0F-B903-4D4D-BB12-69359F196E93}";

// The editor to use (Windows Vista and later). A 32-bit program on 64-bit
// Windows does not see System32\bcdedit.exe (file-system redirection sends it
// to SysWOW64, which has no editor), but reaches it as Sysnative\bcdedit.exe;
// only when neither exists is the carried editor written to T\BCDEdit.exe.
std::string LocateBcdEdit(Platform& p);

// Runs editor + argText and waits for it to end while the window's messages
// are dispatched. True when the editor started and ended with exit code 0.
bool RunBcdEdit(Platform& p, const std::string& editor, const std::string& argText);

// Reads the store back: true when the editor lists the store's default entry
// ("/enum {default} /v", which shows real identifiers) as the program's own.
bool StoreDefaultIsOurs(Platform& p, const std::string& editor);

// Argument texts, each beginning with its blank.
std::string BcdExportArgs(const std::string& file);
std::string BcdImportArgs(const std::string& file);
std::string BcdDeleteEntryArgs();  // forced, so that the default entry goes too

// The boot-sector entry of the legacy PE chain (path \KRPPE.MBR on the boot device).
std::vector<std::string> BiosPeEntryArgs(const std::string& title);
// The ramdisk entry of the UEFI chain on system drive s ("C:").
std::vector<std::string> UefiEntryArgs(const std::string& s, const std::string& title);
// The boot-sector entry of the Ghost restore path, export first.
std::vector<std::string> GhostEntryArgs(const std::string& s, const std::string& title);

}  // namespace lum
