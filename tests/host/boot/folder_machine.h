#pragma once
// A small machine for the boot tests: drive letters are folders under a
// temporary root ("C:\a\b" is <root>/C/a/b), the ANSI code page is 936 through
// iconv, and writes to chosen file names can be made to fail.
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "platform/platform.h"

namespace lum::test {

class FolderFiles : public IFiles {
 public:
  explicit FolderFiles(std::filesystem::path root);

  std::filesystem::path Host(const std::string& path) const;  // the host path of a Windows path
  // Write, Append and Move onto a file of this name (last part, any folder) fail.
  std::set<std::string> failWritesOf;
  // Append to a file of this name fails after that many calls have succeeded.
  std::map<std::string, int> failAppendAfter;

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

 private:
  bool Fails(const std::string& path) const;
  std::filesystem::path root_;
};

class IconvCodePage : public ICodePage {
 public:
  unsigned Acp() override { return 936; }
  Bytes ToAnsi(const std::string& utf8) override;
  std::string FromAnsi(const Bytes& ansi) override;
};

class MapEnvironment : public IEnvironment {
 public:
  std::map<std::string, std::string> vars;
  std::string Get(const std::string& name) override;
  bool Has(const std::string& name) override { return vars.count(name) != 0; }
  void Set(const std::string& name, const std::string& value) override { vars[name] = value; }
};

// A fresh temporary folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

Bytes ReadHostFile(const std::filesystem::path& p);
void WriteHostFile(const std::filesystem::path& p, const Bytes& data);
void WriteHostFile(const std::filesystem::path& p, const std::string& data);
// Runs a shell command; true when it exits 0.
bool Shell(const std::string& command);

}  // namespace lum::test
