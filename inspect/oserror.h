#pragma once
// The error raised when a system call that must succeed did not (the output
// capture's pipe or process creation). Carries the system's message text.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/platform.h"

namespace lum {

class OsError : public std::runtime_error {
 public:
  OsError(std::uint32_t code, const std::string& message)
      : std::runtime_error(message), code_(code) {}
  std::uint32_t code() const { return code_; }

 private:
  std::uint32_t code_;
};

// Raises OsError with the message text of the last error when ok is false.
void CheckOSResult(Platform& p, bool ok);

}  // namespace lum
