#pragma once
// Setting one value in an existing INI file (boot.ini).
#include <string>

#include "boot/profile_writer.h"
#include "platform/platform.h"

namespace lum {

// False when the file does not exist (it is not created) or the write failed;
// raises nothing.
bool WriteIniValue(IFiles& files, IProfileWriter& writer, const std::string& section,
                   const std::string& key, const std::string& value, const std::string& path);

}  // namespace lum
