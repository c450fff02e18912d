#pragma once
// The file operations the extraction tool needs, one implementation for
// Windows and one for the host.
#include <memory>
#include <string>

#include "tools/isoextract/byte_io.h"

namespace lum {

// An output file written under a temporary name beside its target. Commit
// closes it and moves it over the target; dropping it without Commit removes
// the temporary file, so a failed extraction leaves nothing behind.
class IOutputFile : public IWriteSink {
 public:
  virtual bool Commit() = 0;
};

class IExtractFiles {
 public:
  virtual ~IExtractFiles() = default;
  virtual std::unique_ptr<IReadAt> OpenImage(const std::string& path) = 0;  // null on failure
  virtual bool IsDirectory(const std::string& path) = 0;
  virtual std::unique_ptr<IOutputFile> CreateOutput(const std::string& target) = 0;  // null on failure
  virtual bool Remove(const std::string& path) = 0;  // a file; false when it was not there
  virtual std::string JoinPath(const std::string& dir, const std::string& name) = 0;
  virtual bool SamePath(const std::string& a, const std::string& b) = 0;
  virtual std::string LastErrorText() = 0;  // the system's text for the last failure
};

}  // namespace lum
