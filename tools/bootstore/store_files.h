#pragma once
// The file and environment operations the editor stand-in needs.
#include <optional>
#include <string>

namespace lum {

class IStoreFiles {
 public:
  virtual ~IStoreFiles() = default;
  virtual bool Exists(const std::string& path) = 0;
  // The whole file, at most maxBytes; nullopt when it cannot be read or is larger.
  virtual std::optional<std::string> Read(const std::string& path, std::size_t maxBytes) = 0;
  // Writes a temporary file beside the target and moves it over the target,
  // creating missing parent folders first, so a reader never sees half a store.
  virtual bool Replace(const std::string& path, const std::string& data) = 0;
  virtual std::string Env(const std::string& name) = 0;  // empty when not set
  virtual std::string LastErrorText() = 0;
};

}  // namespace lum
