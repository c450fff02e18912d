#pragma once
// The boot store of the editor stand-in: the boot manager object and the
// entries made through the editor, kept as a readable text file
//
//   ; Lumora boot store (text)
//   [{bootmgr}]
//   application=bootmgr
//   displayorder={B3CA8E0F-B903-4D4D-BB12-69359F196E93}
//   default={B3CA8E0F-B903-4D4D-BB12-69359F196E93}
//   timeout=3
//
//   [{B3CA8E0F-B903-4D4D-BB12-69359F196E93}]
//   application=bootsector
//   description=Lumora
//   path=\KRPPE.MBR
//
// UTF-8 with a byte-order mark and CR LF line ends. The first line marks the
// file as ours; a file without it (a real binary store) is never written.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lum {

struct BootObject {
  std::string id;           // "{bootmgr}" or a braced GUID
  std::string application;  // bootmgr, bootsector, osloader; empty for device options only
  bool deviceOptions = false;
  std::vector<std::pair<std::string, std::string>> elements;  // in the order first set

  const std::string* Get(std::string_view name) const;
  void Set(const std::string& name, const std::string& value);
  void Erase(std::string_view name);
};

struct BootStore {
  std::vector<BootObject> objects;

  static BootStore Fresh();  // only the boot manager, as a store that was never edited
  BootObject& Manager();     // made when missing
  BootObject* Find(std::string_view id);
  bool Remove(std::string_view id);
};

extern const char kBootStoreHeader[];

bool IsBracedGuid(std::string_view id);
bool SameId(std::string_view a, std::string_view b);

std::string SerializeStore(const BootStore& store);
bool ParseStore(std::string_view text, BootStore& out, std::string& error);

}  // namespace lum
