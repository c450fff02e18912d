// The in-memory registry: keys and value names compared without ASCII case,
// values kept with their type and raw bytes.
#include "platform/sim/sim_parts.h"
#include "platform/text.h"

namespace lum::sim {

constexpr long kErrKeyDeleted = 1018;  // ERROR_KEY_DELETED
constexpr std::uint32_t kKeySetValue = 0x0002;

static std::vector<std::string> KeyParts(const std::string& path) {
  std::vector<std::string> parts;
  for (std::string& p : SplitOn(path, '\\'))
    if (!p.empty()) parts.push_back(std::move(p));
  return parts;
}

static std::string JoinParts(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : "\\") + p;
  return out;
}

SimMachine::RegKey* SimMachine::FindKey(RegRoot root, const std::string& path) const {
  RegKey* k = &registry_[root];
  for (const std::string& part : KeyParts(path)) {
    auto it = k->subkeys.find(UpperKey(part));
    if (it == k->subkeys.end()) return nullptr;
    k = it->second.get();
  }
  return k;
}

SimMachine::RegKey* SimMachine::MakeKey(RegRoot root, const std::string& path) {
  RegKey* k = &registry_[root];
  for (const std::string& part : KeyParts(path)) {
    std::unique_ptr<RegKey>& sub = k->subkeys[UpperKey(part)];
    if (!sub) {
      sub = std::make_unique<RegKey>();
      sub->name = part;
    }
    k = sub.get();
  }
  return k;
}

void SimMachine::SetRegValue(RegRoot root, const std::string& key, const std::string& name,
                             std::uint32_t type, const Bytes& data) {
  MakeKey(root, key)->values[UpperKey(name)] = SimRegValue{name, type, data};
}

void SimMachine::SetRegDword(RegRoot root, const std::string& key, const std::string& name,
                             std::uint32_t v) {
  SetRegValue(root, key, name, kRegDword,
              Bytes{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                    static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)});
}

void SimMachine::SetRegString(RegRoot root, const std::string& key, const std::string& name,
                              const std::string& value) {
  SetRegValue(root, key, name, kRegSz, Utf16LeWithNul(value));
}

void SimMachine::AddRegKey(RegRoot root, const std::string& key) { MakeKey(root, key); }

void SimMachine::DeleteRegValue(RegRoot root, const std::string& key, const std::string& name) {
  if (RegKey* k = FindKey(root, key)) k->values.erase(UpperKey(name));
}

bool SimMachine::RegKeyPresent(RegRoot root, const std::string& key) const {
  return FindKey(root, key) != nullptr;
}

std::optional<SimRegValue> SimMachine::RegValue(RegRoot root, const std::string& key,
                                                const std::string& name) const {
  RegKey* k = FindKey(root, key);
  if (!k) return std::nullopt;
  auto it = k->values.find(UpperKey(name));
  if (it == k->values.end()) return std::nullopt;
  return it->second;
}

SimMachine::RegKey* SimMachine::RegistryImpl::KeyOf(RegHandle key, long& error,
                                                    const RegOpen** open) {
  auto it = m_.regHandles_.find(key);
  if (it == m_.regHandles_.end()) {
    error = err::InvalidHandle;
    return nullptr;
  }
  if (open) *open = &it->second;
  RegKey* k = m_.FindKey(it->second.root, it->second.path);
  if (!k) error = kErrKeyDeleted;
  return k;
}

long SimMachine::RegistryImpl::OpenKey(RegRoot root, const std::string& path, std::uint32_t access,
                                       bool create, RegHandle& key) {
  key = 0;
  if (m_.Failing("registry.OpenKey", {path})) return static_cast<long>(m_.lastError_);
  std::string norm = JoinParts(KeyParts(path));
  if (!m_.FindKey(root, norm)) {
    if (!create) return err::FileNotFound;
    m_.MakeKey(root, norm);
  }
  key = m_.nextRegHandle_++;
  m_.regHandles_[key] = RegOpen{root, norm, access};
  return 0;
}

void SimMachine::RegistryImpl::CloseKey(RegHandle key) { m_.regHandles_.erase(key); }

long SimMachine::RegistryImpl::QueryValue(RegHandle key, const std::string& name,
                                          std::uint32_t& type, Bytes& data) {
  long error = 0;
  const RegOpen* open = nullptr;
  RegKey* k = KeyOf(key, error, &open);
  if (m_.Failing("registry.QueryValue", {open ? open->path : std::string(), name}))
    return static_cast<long>(m_.lastError_);
  if (!k) return error;
  auto it = k->values.find(UpperKey(name));
  if (it == k->values.end()) return err::FileNotFound;
  type = it->second.type;
  data = it->second.data;
  return 0;
}

long SimMachine::RegistryImpl::SetValue(RegHandle key, const std::string& name, std::uint32_t type,
                                        const Bytes& data) {
  long error = 0;
  const RegOpen* open = nullptr;
  RegKey* k = KeyOf(key, error, &open);
  if (m_.Failing("registry.SetValue", {open ? open->path : std::string(), name}))
    return static_cast<long>(m_.lastError_);
  if (!k) return error;
  if (!(open->access & kKeySetValue)) return err::AccessDenied;
  k->values[UpperKey(name)] = SimRegValue{name, type, data};
  return 0;
}

long SimMachine::RegistryImpl::DeleteValue(RegHandle key, const std::string& name) {
  long error = 0;
  const RegOpen* open = nullptr;
  RegKey* k = KeyOf(key, error, &open);
  if (m_.Failing("registry.DeleteValue", {open ? open->path : std::string(), name}))
    return static_cast<long>(m_.lastError_);
  if (!k) return error;
  if (!(open->access & kKeySetValue)) return err::AccessDenied;
  return k->values.erase(UpperKey(name)) ? 0 : err::FileNotFound;
}

long SimMachine::RegistryImpl::DeleteKey(RegRoot root, const std::string& path) {
  if (m_.Failing("registry.DeleteKey", {path})) return static_cast<long>(m_.lastError_);
  std::vector<std::string> parts = KeyParts(path);
  if (parts.empty()) return err::AccessDenied;
  std::string leaf = parts.back();
  parts.pop_back();
  RegKey* parent = m_.FindKey(root, JoinParts(parts));
  if (!parent) return err::FileNotFound;
  auto it = parent->subkeys.find(UpperKey(leaf));
  if (it == parent->subkeys.end()) return err::FileNotFound;
  if (!it->second->subkeys.empty()) return err::AccessDenied;  // as RegDeleteKey on NT
  parent->subkeys.erase(it);
  return 0;
}

long SimMachine::RegistryImpl::EnumSubKeys(RegHandle key, std::vector<std::string>& names) {
  names.clear();
  long error = 0;
  const RegOpen* open = nullptr;
  RegKey* k = KeyOf(key, error, &open);
  if (m_.Failing("registry.EnumSubKeys", {open ? open->path : std::string()}))
    return static_cast<long>(m_.lastError_);
  if (!k) return error;
  for (const auto& kv : k->subkeys) names.push_back(kv.second->name);
  return 0;
}

long SimMachine::RegistryImpl::EnumValues(RegHandle key, std::vector<std::string>& names) {
  names.clear();
  long error = 0;
  const RegOpen* open = nullptr;
  RegKey* k = KeyOf(key, error, &open);
  if (m_.Failing("registry.EnumValues", {open ? open->path : std::string()}))
    return static_cast<long>(m_.lastError_);
  if (!k) return error;
  for (const auto& kv : k->values) names.push_back(kv.second.name);
  return 0;
}

}  // namespace lum::sim
