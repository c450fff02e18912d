#pragma once
// The profile-string writer of Windows itself.
#include "boot/profile_writer.h"

namespace lum {

class Win32ProfileWriter : public IProfileWriter {
 public:
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& path) override;
};

}  // namespace lum
