#include "boot/rollback.h"

#include "boot/bcd_editor.h"
#include "boot/boot_paths.h"
#include "boot/payload_table.h"
#include "platform/text.h"

namespace lum {
namespace {

void RestoreStoreThroughEditor(Platform& p, const BootStoreEdit& edit) {
  if (!edit.changed()) return;
  // The UEFI chain deletes the carried editor when it is done; write it again
  // for this one command and take it away afterwards.
  bool wroteEditor = false;
  if (!p.files.FileExists(edit.editor) &&
      SameTextAscii(edit.editor, PayloadPath(p, payload::kEditor))) {
    WritePayload(p, payload::kEditor);
    wroteEditor = true;
  }
  if (p.files.FileExists(edit.exportPath))
    RunBcdEdit(p, edit.editor, BcdImportArgs(edit.exportPath));
  else
    RunBcdEdit(p, edit.editor, BcdDeleteEntryArgs());
  if (wroteEditor) p.files.Delete(edit.editor);
}

// A copy of boot.ini carries its read-only attribute, which would keep
// DeleteFileW from removing it.
void DeleteBackup(IFiles& f, const std::string& path) {
  f.SetAttributes(path, kAttrPlain);
  f.Delete(path);
}

}  // namespace

void RollbackBootArtefacts(Platform& p, const BootStoreEdit& storeEdit) {
  RestoreStoreThroughEditor(p, storeEdit);

  const std::string s = SystemDrive(p);
  IFiles& f = p.files;
  f.Delete(s + "\\Varnix.ima");
  f.Delete(s + "\\wvldr");
  f.Delete(s + "\\wvldr.mbr");
  f.Copy(s + "\\Boot\\BCD_", s + "\\Boot\\BCD", false);
  f.Delete(s + "\\Boot\\BCD_");
  f.Delete(s + "\\krppe");
  f.Delete(s + "\\krppe.mbr");
  f.Delete(s + "\\BOOT\\KRP8PE6F.ISO");
  f.Delete(s + "\\BOOT\\BOOT.SDI");
  f.Copy(s + "\\EFI\\Microsoft\\Boot\\BCD_JP", s + "\\EFI\\Microsoft\\Boot\\BCD", false);
  f.Copy(s + "\\Boot\\BCD_JP", s + "\\Boot\\BCD", false);
  f.Delete(s + "\\BOOT\\BCD_JP");
  f.Delete(s + "\\EFI\\Microsoft\\Boot\\BCD_JP");
  f.SetAttributes(s + "\\boot.ini", kAttrPlain);
  f.Copy(s + "\\boot.pe", s + "\\boot.ini", false);
  DeleteBackup(f, s + "\\boot.pe");
  f.SetAttributes(s + "\\boot.ini", kAttrLocked);
  f.SetAttributes(s + "\\boot.ini", kAttrPlain);
  f.Copy(s + "\\boot.in_", s + "\\boot.ini", false);
  DeleteBackup(f, s + "\\boot.in_");
  f.SetAttributes(s + "\\boot.ini", kAttrLocked);
}

}  // namespace lum
