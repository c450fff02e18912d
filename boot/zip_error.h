#pragma once
// The error of the archive layer. Opening, decrypting, inflating or writing a
// zip archive raises it; the callers of the extraction let it pass.
#include <stdexcept>
#include <string>

namespace lum {

class ZipError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace lum
