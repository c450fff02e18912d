#include "boot/rollback.h"

namespace lum {

bool RollbackBootArtefacts(Platform&, UndoJournal& journal) { return journal.Undo(); }

}  // namespace lum
