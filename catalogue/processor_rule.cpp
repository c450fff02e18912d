#include "catalogue/processor_rule.h"

#include <vector>

#include "catalogue/catalogue.h"
#include "platform/text.h"

namespace lum {

bool RefuseRowForProcessor(Platform& p, std::string_view catalogLine, std::string& reason) {
  const std::vector<std::string> fields = SplitCatalogLine(catalogLine);
  if (fields.size() <= kCatArch || AsciiUpper(fields[kCatArch]) != "X64") return false;
  if (p.system.HasLongMode()) return false;
  reason = kNoLongModeReason;
  return true;
}

}  // namespace lum
