#pragma once
// Files and environment in memory for the editor's tests. Paths compare
// without regard to ASCII letter case, as on Windows.
#include <map>
#include <string>

#include "platform/text.h"
#include "tools/bootstore/store_files.h"

namespace lum::test {

class FakeStoreFiles final : public IStoreFiles {
 public:
  bool Exists(const std::string& path) override { return files.count(AsciiUpper(path)) != 0; }
  std::optional<std::string> Read(const std::string& path, std::size_t maxBytes) override {
    auto it = files.find(AsciiUpper(path));
    if (it == files.end() || it->second.size() > maxBytes) return std::nullopt;
    return it->second;
  }
  bool Replace(const std::string& path, const std::string& data) override {
    if (failWrites) return false;
    files[AsciiUpper(path)] = data;
    return true;
  }
  std::string Env(const std::string& name) override {
    auto it = env.find(name);
    return it == env.end() ? "" : it->second;
  }
  std::string LastErrorText() override { return "fake failure"; }

  std::string Get(const std::string& path) const {
    auto it = files.find(AsciiUpper(path));
    return it == files.end() ? "<missing>" : it->second;
  }
  void Put(const std::string& path, const std::string& data) { files[AsciiUpper(path)] = data; }

  std::map<std::string, std::string> files;
  std::map<std::string, std::string> env{{"SystemDrive", "C:"}};
  bool failWrites = false;
};

}  // namespace lum::test
