#include "inspect/regunit.h"

#include "platform/text.h"

namespace lum {

static Bytes Utf16Bytes(const std::u16string& s) {
  Bytes b;
  b.reserve(s.size() * 2);
  for (char16_t c : s) {
    b.push_back(static_cast<std::uint8_t>(c & 0xFF));
    b.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return b;
}

static std::u16string Utf16Chars(const Bytes& b) {
  std::u16string s;
  s.reserve(b.size() / 2);
  for (std::size_t i = 0; i + 1 < b.size(); i += 2)
    s.push_back(static_cast<char16_t>(b[i] | (b[i + 1] << 8)));
  return s;
}

Bytes EncodeMultiSz(const std::vector<std::string>& list) {
  std::u16string chars;
  for (const std::string& s : list) {
    chars += Utf8ToUtf16(s);
    chars.push_back(u'\0');
  }
  chars.push_back(u'\0');
  return Utf16Bytes(chars);
}

std::vector<std::string> DecodeMultiSz(const Bytes& data) {
  std::vector<std::string> list;
  std::u16string chars = Utf16Chars(data);
  std::size_t i = 0;
  while (i < chars.size()) {
    std::size_t end = chars.find(u'\0', i);
    if (end == std::u16string::npos) end = chars.size();
    if (end == i) break;  // the empty string that ends the list
    list.push_back(Utf16ToUtf8(chars.substr(i, end - i)));
    i = end + 1;
  }
  return list;
}

TRegistry::TRegistry(IRegistry& registry, std::uint32_t access) : reg_(registry), access_(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(RegRoot root) {
  CloseKey();
  root_ = root;
}

bool TRegistry::Remember(long result) {
  lastResult_ = result;
  return result == 0;
}

std::string TRegistry::Resolve(const std::string& key) const {
  std::string k = key;
  while (!k.empty() && k.back() == '\\') k.pop_back();
  if (!k.empty() && k.front() == '\\') return k.substr(1);
  if (current_ == 0 || currentPath_.empty()) return k;
  return k.empty() ? currentPath_ : currentPath_ + "\\" + k;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  std::string path = Resolve(key);
  RegHandle h = 0;
  if (!Remember(reg_.OpenKey(root_, path, access_, canCreate, h))) return false;
  CloseKey();
  current_ = h;
  currentPath_ = path;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  std::string path = Resolve(key);
  RegHandle h = 0;
  if (!Remember(reg_.OpenKey(root_, path, kKeyRead, false, h))) return false;
  CloseKey();
  current_ = h;
  currentPath_ = path;
  return true;
}

void TRegistry::CloseKey() {
  if (current_ != 0) reg_.CloseKey(current_);
  current_ = 0;
  currentPath_.clear();
}

bool TRegistry::KeyExists(const std::string& key) {
  RegHandle h = 0;
  if (!Remember(reg_.OpenKey(root_, Resolve(key), kKeyRead, false, h))) return false;
  reg_.CloseKey(h);
  return true;
}

bool TRegistry::ValueExists(const std::string& name) { return GetDataType(name).has_value(); }

std::optional<std::uint32_t> TRegistry::GetDataType(const std::string& name) {
  if (current_ == 0) return std::nullopt;
  std::uint32_t type = 0;
  Bytes data;
  if (!Remember(reg_.QueryValue(current_, name, type, data))) return std::nullopt;
  return type;
}

int TRegistry::GetDataSize(const std::string& name) {
  if (current_ == 0) return -1;
  std::uint32_t type = 0;
  Bytes data;
  if (!Remember(reg_.QueryValue(current_, name, type, data))) return -1;
  return static_cast<int>(data.size());
}

std::optional<std::int32_t> TRegistry::ReadInteger(const std::string& name) {
  if (current_ == 0) return std::nullopt;
  std::uint32_t type = 0;
  Bytes data;
  if (!Remember(reg_.QueryValue(current_, name, type, data))) return std::nullopt;
  if (type != kRegDword || data.size() != 4) return std::nullopt;
  return static_cast<std::int32_t>(data[0] | (data[1] << 8) | (data[2] << 16) |
                                   (static_cast<std::uint32_t>(data[3]) << 24));
}

std::optional<std::string> TRegistry::ReadString(const std::string& name) {
  if (current_ == 0) return std::nullopt;
  std::uint32_t type = 0;
  Bytes data;
  if (!Remember(reg_.QueryValue(current_, name, type, data))) return std::nullopt;
  if (type != kRegSz && type != kRegExpandSz) return std::nullopt;
  std::u16string chars = Utf16Chars(data);
  // Stored strings usually carry their NUL, but need not.
  std::size_t nul = chars.find(u'\0');
  if (nul != std::u16string::npos) chars.resize(nul);
  return Utf16ToUtf8(chars);
}

bool TRegistry::WriteInteger(const std::string& name, std::int32_t value) {
  if (current_ == 0) return false;
  std::uint32_t v = static_cast<std::uint32_t>(value);
  Bytes data{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
             static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
  return Remember(reg_.SetValue(current_, name, kRegDword, data));
}

static Bytes SzBytes(const std::string& value) {
  std::u16string chars = Utf8ToUtf16(value);
  chars.push_back(u'\0');
  return Utf16Bytes(chars);
}

bool TRegistry::WriteString(const std::string& name, const std::string& value) {
  if (current_ == 0) return false;
  return Remember(reg_.SetValue(current_, name, kRegSz, SzBytes(value)));
}

bool TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
  if (current_ == 0) return false;
  return Remember(reg_.SetValue(current_, name, kRegExpandSz, SzBytes(value)));
}

bool TRegistry::DeleteValue(const std::string& name) {
  if (current_ == 0) return false;
  return Remember(reg_.DeleteValue(current_, name));
}

bool TRegistry::DeleteKey(const std::string& key) {
  return Remember(reg_.DeleteKey(root_, Resolve(key)));
}

void TRegistry::ReadMULTIStrings(const std::string& name, std::vector<std::string>& list) {
  list.clear();
  if (GetDataSize(name) <= 0) return;
  std::uint32_t type = 0;
  Bytes data;
  if (!Remember(reg_.QueryValue(current_, name, type, data))) return;
  if (type != kRegMultiSz) return;
  list = DecodeMultiSz(data);
}

void TRegistry::WriteMULTIStrings(const std::string& name, const std::vector<std::string>& list) {
  if (current_ == 0) return;
  Remember(reg_.SetValue(current_, name, kRegMultiSz, EncodeMultiSz(list)));
}

bool RegKeyExists(Platform& p, RegRoot root, const std::string& key, std::uint32_t access) {
  try {
    TRegistry reg(p.registry, access);
    reg.SetRootKey(root);
    return reg.KeyExists(key);
  } catch (...) {
    return false;
  }
}

std::int32_t RegReadInteger(Platform& p, RegRoot root, const std::string& key,
                            const std::string& name, std::uint32_t access) {
  try {
    TRegistry reg(p.registry, access);
    reg.SetRootKey(root);
    if (!reg.OpenKeyReadOnly(key)) return -1;
    return reg.ReadInteger(name).value_or(-1);
  } catch (...) {
    return -1;
  }
}

}  // namespace lum
