#pragma once
// Making the next start of the machine boot the downloaded Windows PE image,
// whose installer then restores the system image named by the hand-off files.
//
//   Windows XP and Server 2003   boot.ini entry that starts the GRUB4DOS loader
//   Vista and later, BIOS        boot-sector entry in the system boot store
//   Vista and later, UEFI        ramdisk entry that boots the PE's WIM
//
// The install workflow has copied the PE image to S\BOOT\KRP8PE6F.ISO before.
#include <string>

#include "boot/profile_writer.h"
#include "boot/undo_journal.h"
#include "platform/platform.h"

namespace lum {

// Prepares the boot chain, mirrors the loader to partition 1 and writes the
// hand-off files, noting every change in run's journal first. True when all
// of it ran to its end and the boot now starts our entry; otherwise the run
// is undone and the result is false with the error text (cleared on entry;
// empty when the end of the program was requested, run.stopped).
// firmwareUefi selects the ramdisk chain on Vista and later; boot.ini is
// edited through ini.
bool PreparePeBoot(Platform& p, IProfileWriter& ini, BootRun& run, const std::string& imagePath,
                   const std::string& arch, const std::string& sysSelector, std::string& error,
                   bool firmwareUefi, const std::string& title, const std::string& wimName,
                   const std::string& productKey, const std::string& imageIndex);

// When the system partition is not the first partition of its disk, copies
// S\krppe and S\krppe.mbr to the root of partition 1 (on a BIOS machine the
// boot partition, where the boot record looks for the loader) through a
// temporary drive letter that is removed again. Nothing is done when every
// letter is in use or the letter cannot be defined, nor when there is no
// loader to copy (the UEFI chain). With a journal, the two files on
// partition 1 are noted first; false when they cannot be.
bool MirrorLoaderToPartition1(Platform& p, UndoJournal* journal = nullptr);

}  // namespace lum
