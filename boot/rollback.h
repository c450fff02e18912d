#pragma once
// Undoing, after a failed or stopped boot preparation, everything the
// preparations of this run and of earlier runs changed: every file the
// journal noted goes back to how it was before the first run (or away, when
// it did not exist), and the boot store is imported from the export taken
// before its first change. Nothing is logged or reported here.
#include "boot/undo_journal.h"
#include "platform/platform.h"

namespace lum {

// True when the machine is back as the journal noted it.
bool RollbackBootArtefacts(Platform& p, UndoJournal& journal);

}  // namespace lum
