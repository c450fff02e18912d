#pragma once
#include "tools/bootstore/store_files.h"

namespace lum {

// Windows implementation of the editor's file operations.
class WinStoreFiles final : public IStoreFiles {
 public:
  bool Exists(const std::string& path) override;
  std::optional<std::string> Read(const std::string& path, std::size_t maxBytes) override;
  bool Replace(const std::string& path, const std::string& data) override;
  std::string Env(const std::string& name) override;
  std::string LastErrorText() override;
};

}  // namespace lum
