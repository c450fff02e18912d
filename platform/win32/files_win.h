#pragma once
// Files and folders through the wide Win32 file calls.
#include "platform/win32/windows_api.h"  // first: see there
#include "platform/platform.h"

namespace lum::win32 {

class Win32Files final : public IFiles {
 public:
  bool FileExists(const std::string& path) override;
  bool DirExists(const std::string& path) override;
  std::optional<Bytes> Read(const std::string& path) override;
  std::optional<Bytes> ReadPrefix(const std::string& path, std::size_t n) override;
  std::optional<std::uint64_t> Size(const std::string& path) override;
  bool Write(const std::string& path, const Bytes& data) override;
  bool Append(const std::string& path, const Bytes& data) override;
  bool Copy(const std::string& from, const std::string& to, bool failIfExists) override;
  bool Move(const std::string& from, const std::string& to) override;
  bool Delete(const std::string& path) override;
  bool DeleteTree(const std::string& path) override;
  bool CreateDir(const std::string& path) override;
  bool RemoveDir(const std::string& path) override;
  std::uint32_t GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
  std::vector<DirEntry> List(const std::string& dir) override;
};

}  // namespace lum::win32
