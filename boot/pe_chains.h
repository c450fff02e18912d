#pragma once
// The three boot chains behind PreparePeBoot. Each returns false with its
// error text after rolling back where the step needs it; storeEdit records
// the editor commands issued, for a later rollback.
#include <string>

#include "boot/profile_writer.h"
#include "boot/rollback.h"
#include "platform/platform.h"

namespace lum {

// Windows XP and Server 2003: krppe started from a boot.ini entry.
bool PrepareBootIniChain(Platform& p, IProfileWriter& ini, const std::string& title,
                         std::string& error);
// Vista and later on a BIOS machine: a boot-sector entry for krppe.mbr.
bool PrepareBiosStoreChain(Platform& p, const std::string& editor, const std::string& title,
                           BootStoreEdit& storeEdit, std::string& error);
// Vista and later on a UEFI machine: a ramdisk entry for the PE's WIM.
bool PrepareUefiChain(Platform& p, const std::string& editor, const std::string& title,
                      BootStoreEdit& storeEdit, std::string& error);

}  // namespace lum
