#include "inspect/disktable.h"

namespace lum {

const std::string& DiskRow::Cell(std::size_t cell) const {
  static const std::string kEmpty;
  return cell < cells.size() ? cells[cell] : kEmpty;
}

}  // namespace lum
