#pragma once
// The registry wrapper class and the two registry reads the system
// information uses.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lum {

// A registry wrapper over IRegistry: a root key, at most one open current key,
// and an access mask used for OpenKey. Key paths without a leading backslash
// are relative to the current key when one is open, else to the root; a
// leading backslash makes them absolute. Closes its key when destroyed.
class TRegistry {
 public:
  explicit TRegistry(IRegistry& registry, std::uint32_t access = kKeyAllAccess);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  RegRoot RootKey() const { return root_; }
  void SetRootKey(RegRoot root);  // closes the current key
  std::uint32_t Access() const { return access_; }
  void SetAccess(std::uint32_t access) { access_ = access; }
  // The path of the open key under the root, without a leading backslash.
  const std::string& CurrentPath() const { return currentPath_; }
  bool HasCurrentKey() const { return current_ != 0; }
  // The error code of the last raw call that failed (0 when it succeeded).
  long LastResult() const { return lastResult_; }

  bool OpenKey(const std::string& key, bool canCreate);  // with Access()
  bool OpenKeyReadOnly(const std::string& key);           // with KEY_READ
  void CloseKey();
  bool KeyExists(const std::string& key);  // opens it read-only to test
  bool ValueExists(const std::string& name);
  // The value's type; nullopt when it cannot be read.
  std::optional<std::uint32_t> GetDataType(const std::string& name);
  // The value's size in bytes; -1 when it cannot be read.
  int GetDataSize(const std::string& name);

  // REG_DWORD only; nullopt for a missing value or another type.
  std::optional<std::int32_t> ReadInteger(const std::string& name);
  // REG_SZ or REG_EXPAND_SZ; nullopt for a missing value or another type.
  std::optional<std::string> ReadString(const std::string& name);
  bool WriteInteger(const std::string& name, std::int32_t value);
  bool WriteString(const std::string& name, const std::string& value);           // REG_SZ
  bool WriteExpandString(const std::string& name, const std::string& value);     // REG_EXPAND_SZ
  bool DeleteValue(const std::string& name);
  bool DeleteKey(const std::string& key);  // a key without subkeys

  // Clears the list, then adds each NUL-terminated string of the REG_MULTI_SZ
  // value in order, stopping at the first empty string or the end of the data.
  void ReadMULTIStrings(const std::string& name, std::vector<std::string>& list);
  // Writes every string followed by NUL, and one more NUL, as REG_MULTI_SZ.
  // A failed write is not reported (see LastResult()).
  void WriteMULTIStrings(const std::string& name, const std::vector<std::string>& list);

 private:
  std::string Resolve(const std::string& key) const;
  bool Remember(long result);

  IRegistry& reg_;
  std::uint32_t access_;
  RegRoot root_ = RegRoot::CurrentUser;
  RegHandle current_ = 0;
  std::string currentPath_;
  long lastResult_ = 0;
};

// Whether the key exists (opened read-only to test); any fault gives false.
bool RegKeyExists(Platform& p, RegRoot root, const std::string& key,
                  std::uint32_t access = kKeyAllAccess);
// The REG_DWORD value read through a read-only open; -1 when the key does not
// open, the value is missing or of another type.
std::int32_t RegReadInteger(Platform& p, RegRoot root, const std::string& key,
                            const std::string& name, std::uint32_t access = kKeyAllAccess);

// MULTI_SZ data as UTF-16LE bytes and back (shared with tests and the sim).
Bytes EncodeMultiSz(const std::vector<std::string>& list);
std::vector<std::string> DecodeMultiSz(const Bytes& data);

}  // namespace lum
