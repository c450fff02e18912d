#pragma once
// Writing one value into an INI file with the profile-string semantics of
// Windows: section and key names compared without regard to letter case, an
// existing key's value replaced on its own line, a missing key added at the
// end of its section, a missing section added at the end of the file, every
// other line kept. On Windows this is WritePrivateProfileStringW itself; the
// simulated machine has a portable writer with the same behaviour.
#include <string>

namespace lum {

class IProfileWriter {
 public:
  virtual ~IProfileWriter() = default;
  // As WritePrivateProfileStringW(section, key, value, path): true when written.
  // Like it, creates the file when it is missing.
  virtual bool WriteString(const std::string& section, const std::string& key,
                           const std::string& value, const std::string& path) = 0;
};

}  // namespace lum
