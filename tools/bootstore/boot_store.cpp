#include "tools/bootstore/boot_store.h"

#include <algorithm>

#include "platform/text.h"

namespace lum {

const char kBootStoreHeader[] = "; Lumora boot store (text)";

namespace {

const char kBom[] = "\xEF\xBB\xBF";

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool ValidElementName(std::string_view n) {
  if (n.empty() || n.size() > 64) return false;
  return std::all_of(n.begin(), n.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

bool ValidApplication(std::string_view a) {
  return a.empty() || a == "bootmgr" || a == "bootsector" || a == "osloader";
}

bool HasControl(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 32; });
}

}  // namespace

const std::string* BootObject::Get(std::string_view name) const {
  for (const auto& e : elements)
    if (e.first == name) return &e.second;
  return nullptr;
}

void BootObject::Set(const std::string& name, const std::string& value) {
  for (auto& e : elements)
    if (e.first == name) {
      e.second = value;
      return;
    }
  elements.emplace_back(name, value);
}

void BootObject::Erase(std::string_view name) {
  elements.erase(std::remove_if(elements.begin(), elements.end(),
                                [&](const auto& e) { return e.first == name; }),
                 elements.end());
}

BootStore BootStore::Fresh() {
  BootStore s;
  s.Manager();
  return s;
}

BootObject& BootStore::Manager() {
  if (BootObject* m = Find("{bootmgr}")) return *m;
  BootObject m;
  m.id = "{bootmgr}";
  m.application = "bootmgr";
  objects.insert(objects.begin(), std::move(m));
  return objects.front();
}

BootObject* BootStore::Find(std::string_view id) {
  for (auto& o : objects)
    if (SameId(o.id, id)) return &o;
  return nullptr;
}

bool BootStore::Remove(std::string_view id) {
  auto it = std::find_if(objects.begin(), objects.end(), [&](const BootObject& o) { return SameId(o.id, id); });
  if (it == objects.end()) return false;
  objects.erase(it);
  return true;
}

bool IsBracedGuid(std::string_view id) {
  // {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}
  if (id.size() != 38 || id.front() != '{' || id.back() != '}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? id[i] != '-' : !IsHex(id[i])) return false;
  }
  return true;
}

bool SameId(std::string_view a, std::string_view b) { return SameTextAscii(a, b); }

std::string SerializeStore(const BootStore& store) {
  std::string out = kBom;
  out += kBootStoreHeader;
  out += "\r\n";
  for (const BootObject& o : store.objects) {
    out += "\r\n[" + o.id + "]\r\n";
    if (!o.application.empty()) out += "application=" + o.application + "\r\n";
    if (o.deviceOptions) out += "deviceoptions=yes\r\n";
    for (const auto& [name, value] : o.elements) out += name + "=" + value + "\r\n";
  }
  return out;
}

bool ParseStore(std::string_view text, BootStore& out, std::string& error) {
  out = BootStore{};
  if (text.substr(0, 3) == kBom) text.remove_prefix(3);
  std::vector<std::string> lines;
  {
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t nl = text.find('\n', start);
      std::string_view line = text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines.emplace_back(line);
      if (nl == std::string_view::npos) break;
      start = nl + 1;
    }
  }
  if (lines.empty() || lines[0] != kBootStoreHeader) {
    error = "not a text boot store";
    return false;
  }
  BootObject* cur = nullptr;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const std::string where = "line " + std::to_string(i + 1) + ": ";
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']') { error = where + "bad section"; return false; }
      std::string id = line.substr(1, line.size() - 2);
      if (id != "{bootmgr}" && !IsBracedGuid(id)) { error = where + "bad identifier"; return false; }
      if (out.Find(id)) { error = where + "identifier twice"; return false; }
      out.objects.push_back(BootObject{id, {}, false, {}});
      cur = &out.objects.back();
      continue;
    }
    std::size_t eq = line.find('=');
    if (!cur || eq == std::string::npos) { error = where + "expected name=value"; return false; }
    std::string name = line.substr(0, eq), value = line.substr(eq + 1);
    if (!ValidElementName(name) || HasControl(value)) { error = where + "bad element"; return false; }
    if (name == "application") {
      if (!ValidApplication(value) || !cur->application.empty()) { error = where + "bad application"; return false; }
      cur->application = value;
    } else if (name == "deviceoptions") {
      if (value != "yes") { error = where + "bad deviceoptions"; return false; }
      cur->deviceOptions = true;
    } else {
      if (cur->Get(name)) { error = where + "element twice"; return false; }
      cur->elements.emplace_back(name, value);
    }
  }
  if (BootObject* m = out.Find("{bootmgr}"); m && m->application != "bootmgr") {
    error = "the boot manager object is not of type bootmgr";
    return false;
  }
  return true;
}

}  // namespace lum
