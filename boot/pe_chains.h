#pragma once
// The three boot chains behind PreparePeBoot. Each notes what it changes in
// the run's journal first; on failure it undoes the run and returns false
// with its error text; when the end of the program was requested meanwhile
// it undoes the run and returns false with no text (run.stopped set).
#include <string>

#include "boot/profile_writer.h"
#include "boot/undo_journal.h"
#include "platform/platform.h"

namespace lum {

// Windows XP and Server 2003: krppe started from a boot.ini entry.
bool PrepareBootIniChain(Platform& p, IProfileWriter& ini, BootRun& run, const std::string& title,
                         std::string& error);
// Vista and later on a BIOS machine: a boot-sector entry for krppe.mbr.
bool PrepareBiosStoreChain(Platform& p, const std::string& editor, BootRun& run,
                           const std::string& title, std::string& error);
// Vista and later on a UEFI machine: a ramdisk entry for the PE's WIM.
bool PrepareUefiChain(Platform& p, const std::string& editor, BootRun& run,
                      const std::string& title, std::string& error);

// Shared by the chains and the Ghost path.
// Undoes the run and sets the error text; always false.
bool FailRun(BootRun& run, const char* text, std::string& error);
// Runs the editor commands in order: false (run undone) when one other than
// an export fails or the end of the program is requested meanwhile, and when
// the store's default entry is not ours afterwards.
bool RunEntryCommands(Platform& p, const std::string& editor, BootRun& run,
                      const std::vector<std::string>& commands, const char* failText,
                      std::string& error);
// True when boot.ini's default entry is key and it is listed.
bool BootIniDefaultIs(Platform& p, const std::string& bootIni, const std::string& key);

}  // namespace lum
