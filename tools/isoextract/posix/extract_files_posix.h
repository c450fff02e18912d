#pragma once
#include "tools/isoextract/extract_files.h"

namespace lum {

class PosixExtractFiles final : public IExtractFiles {
 public:
  std::unique_ptr<IReadAt> OpenImage(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;
  std::unique_ptr<IOutputFile> CreateOutput(const std::string& target) override;
  bool Remove(const std::string& path) override;
  std::string JoinPath(const std::string& dir, const std::string& name) override;
  bool SamePath(const std::string& a, const std::string& b) override;
  std::string LastErrorText() override;
};

}  // namespace lum
