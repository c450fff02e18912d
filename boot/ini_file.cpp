#include "boot/ini_file.h"

namespace lum {

bool WriteIniValue(IFiles& files, IProfileWriter& writer, const std::string& section,
                   const std::string& key, const std::string& value, const std::string& path) {
  if (!files.FileExists(path)) return false;
  try {
    return writer.WriteString(section, key, value, path);
  } catch (...) {
    return false;
  }
}

}  // namespace lum
