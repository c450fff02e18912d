#pragma once
// Undoing, after a failed boot preparation, what the preparation did to the
// system drive: the loader files of the Ghost and PE paths, the PE image and
// the ramdisk file are deleted, every backup of the boot store and of
// boot.ini is copied back and then deleted. Each step runs whatever the
// previous ones did; nothing is logged or reported.
#include <string>

#include "platform/platform.h"

namespace lum {

// What this run did to the system boot store through the editor.
struct BootStoreEdit {
  std::string editor;      // the editor the commands ran with; empty: the store is untouched
  std::string exportPath;  // the export taken before the changes

  bool changed() const { return !editor.empty(); }
};

// The fixed clean-up sequence. When the boot store was changed in this run it
// is first restored through the editor, because Windows keeps the live store
// open and copying an export back over it does nothing: "/import" of the
// export brings back the store as it was, its default entry included (a
// "/delete" of the program's entry would leave no default at all). Only when
// the export is missing is the program's entry deleted instead, so that no
// default points at the files deleted here.
void RollbackBootArtefacts(Platform& p, const BootStoreEdit& storeEdit = {});

}  // namespace lum
