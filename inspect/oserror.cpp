#include "inspect/oserror.h"

namespace lum {

void CheckOSResult(Platform& p, bool ok) {
  if (ok) return;
  std::uint32_t code = p.system.LastError();
  throw OsError(code, p.system.ErrorMessage(code));
}

}  // namespace lum
