#include "boot/pe_boot.h"

#include "boot/bcd_editor.h"
#include "boot/boot_paths.h"
#include "boot/handoff.h"
#include "boot/payload_table.h"
#include "boot/pe_chains.h"
#include "boot/rollback.h"
#include "inspect/sysquery.h"
#include "inspect/volumes.h"

namespace lum {
namespace {

constexpr std::uint32_t kDddRawTargetPath = 1, kDddRemoveDefinition = 2;

}  // namespace

bool PreparePeBoot(Platform& p, IProfileWriter& ini, const std::string& imagePath,
                   const std::string& arch, const std::string& sysSelector, std::string& error,
                   bool firmwareUefi, const std::string& title, const std::string& wimName,
                   const std::string& productKey, const std::string& imageIndex) {
  error.clear();
  BootStoreEdit storeEdit;
  // A failed version query reads as 0 and takes the boot.ini chain.
  const std::uint32_t major = GetOSMajorVersion(p);
  bool prepared;
  if (major < 6) {
    prepared = PrepareBootIniChain(p, ini, title, error);
  } else {
    const std::string editor = LocateBcdEdit(p);
    prepared = firmwareUefi ? PrepareUefiChain(p, editor, title, storeEdit, error)
                            : PrepareBiosStoreChain(p, editor, title, storeEdit, error);
  }
  if (!prepared) return false;

  MirrorLoaderToPartition1(p);
  HandoffInputs handoff{imagePath, arch, sysSelector, title, wimName, productKey, imageIndex};
  if (!WriteHandoffFiles(p.files, p.env, p.codepage, handoff, error)) {
    RollbackBootArtefacts(p, storeEdit);
    return false;
  }
  return true;
}

void MirrorLoaderToPartition1(Platform& p) {
  const std::string s = SystemDrive(p);
  const std::string letter = s.substr(0, 1);
  if (GetVolumePartitionNumber(p, letter) == 1) return;
  const std::string x = GetFreeDriveLetter(p);
  if (x.empty()) return;
  const std::string target =
      "\\Device\\Harddisk" + std::to_string(GetVolumeDiskNumber(p, letter)) + "\\Partition1";
  if (!p.volumes.DefineDevice(kDddRawTargetPath, x, target)) return;
  p.files.SetAttributes(letter + ":\\krppe", kAttrPlain);
  p.files.Copy(s + "\\krppe", x + "\\krppe", false);
  p.files.Copy(s + "\\krppe.mbr", x + "\\krppe.mbr", false);
  p.volumes.DefineDevice(kDddRemoveDefinition, x, "");
}

}  // namespace lum
