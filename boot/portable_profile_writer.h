#pragma once
// The profile-string writer of machines without WritePrivateProfileStringW:
// reads the file through the platform, edits it as SetProfileString does and
// writes it back in the encoding it had (ANSI code page, or UTF-16LE or
// UTF-8 when it starts with the matching byte-order mark).
#include "boot/profile_writer.h"
#include "platform/platform.h"

namespace lum {

class PortableProfileWriter : public IProfileWriter {
 public:
  PortableProfileWriter(IFiles& files, ICodePage& codepage) : files_(files), codepage_(codepage) {}

  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& path) override;

 private:
  IFiles& files_;
  ICodePage& codepage_;
};

}  // namespace lum
