#pragma once
#include "tools/bootstore/store_files.h"

namespace lum {

// Host implementation of the editor's file operations (POSIX calls).
class PosixStoreFiles final : public IStoreFiles {
 public:
  bool Exists(const std::string& path) override;
  std::optional<std::string> Read(const std::string& path, std::size_t maxBytes) override;
  bool Replace(const std::string& path, const std::string& data) override;
  std::string Env(const std::string& name) override;
  std::string LastErrorText() override;
};

}  // namespace lum
