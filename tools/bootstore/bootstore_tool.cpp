#include "tools/bootstore/bootstore_tool.h"

#include <algorithm>

#include "platform/text.h"
#include "tools/bootstore/boot_store.h"
#include "tools/bootstore/store_command.h"

namespace lum {
namespace {

StoreResult Done(int code, std::string message, const std::string& store = {}) {
  return StoreResult{code, std::move(message), store};
}

std::vector<std::string> DisplayOrder(const BootObject& manager) {
  const std::string* v = manager.Get("displayorder");
  std::vector<std::string> ids;
  if (v)
    for (std::string& s : SplitOn(*v, ' '))
      if (!s.empty()) ids.push_back(std::move(s));
  return ids;
}

void SetDisplayOrder(BootObject& manager, const std::vector<std::string>& ids) {
  if (ids.empty()) {
    manager.Erase("displayorder");
    return;
  }
  std::string v;
  for (const auto& id : ids) v += (v.empty() ? "" : " ") + id;
  manager.Set("displayorder", v);
}

// Applies a command that changes the store; false with a message when it cannot.
bool Apply(const StoreCommand& c, BootStore& store, std::string& message) {
  switch (c.verb) {
    case StoreVerb::Create: {
      if (BootObject* existing = store.Find(c.id)) {
        // An object made with /device takes the application of a later /create
        // under the same identifier: one entry with both sets of settings.
        if (existing->application.empty() && !c.application.empty()) {
          existing->application = c.application;
          existing->Set("description", c.description);
          message = "The entry " + existing->id + " was successfully created.";
          return true;
        }
        message = "An object with the specified identifier already exists.";
        return false;
      }
      BootObject o;
      o.id = c.id;
      o.application = c.application;
      o.deviceOptions = c.application.empty();
      o.Set("description", c.description);
      store.objects.push_back(std::move(o));
      message = "The entry " + c.id + " was successfully created.";
      return true;
    }
    case StoreVerb::Set: {
      BootObject* o = store.Find(c.id);
      if (!o) {
        message = "The specified entry " + c.id + " does not exist.";
        return false;
      }
      o->Set(c.element, c.value);
      break;
    }
    case StoreVerb::DisplayOrderAddLast: {
      BootObject* o = store.Find(c.id);
      if (!o) {
        message = "The specified entry " + c.id + " does not exist.";
        return false;
      }
      std::string id = o->id;
      BootObject& m = store.Manager();
      std::vector<std::string> ids = DisplayOrder(m);
      ids.erase(std::remove_if(ids.begin(), ids.end(), [&](const std::string& x) { return SameId(x, id); }),
                ids.end());
      ids.push_back(id);
      SetDisplayOrder(m, ids);
      break;
    }
    case StoreVerb::Timeout:
      store.Manager().Set("timeout", std::to_string(c.timeout));
      break;
    case StoreVerb::Default: {
      BootObject* o = store.Find(c.id);
      if (!o) {
        message = "The specified entry " + c.id + " does not exist.";
        return false;
      }
      std::string id = o->id;
      store.Manager().Set("default", id);
      break;
    }
    case StoreVerb::Delete: {
      if (!store.Remove(c.id)) {
        message = "The specified entry " + c.id + " does not exist.";
        return false;
      }
      BootObject& m = store.Manager();
      std::vector<std::string> ids = DisplayOrder(m);
      ids.erase(std::remove_if(ids.begin(), ids.end(), [&](const std::string& x) { return SameId(x, c.id); }),
                ids.end());
      SetDisplayOrder(m, ids);
      if (const std::string* d = m.Get("default"); d && SameId(*d, c.id)) m.Erase("default");
      break;
    }
    case StoreVerb::Export:
    case StoreVerb::Import:
    case StoreVerb::Enum:
      break;
  }
  message = "The operation completed successfully.";
  return true;
}

// The listing of /enum: each object with its real identifier and elements,
// in the layout of the system's editor (name padded to 24 columns).
std::string ListObject(const BootObject& o) {
  auto row = [](const std::string& name, const std::string& value) {
    std::string line = name;
    line.resize(std::max<std::size_t>(line.size() + 1, 24), ' ');
    return line + value + "\r\n";
  };
  std::string text = (o.application.empty() ? "Device options" : o.application) + "\r\n";
  text += std::string(text.size() - 2, '-') + "\r\n";
  text += row("identifier", o.id);
  for (const auto& [name, value] : o.elements) text += row(name, value);
  return text + "\r\n";
}

StoreResult Enumerate(const StoreCommand& c, BootStore& store, const std::string& path) {
  if (c.id.empty()) {
    std::string text;
    for (const BootObject& o : store.objects) text += ListObject(o);
    return Done(storeexit::Ok, text, path);
  }
  std::string id = c.id;
  if (SameTextAscii(id, "{default}")) {
    const std::string* d = store.Manager().Get("default");
    if (!d) return Done(storeexit::Failed, "The boot manager has no default entry.", path);
    id = *d;
  }
  const BootObject* o = store.Find(id);
  if (!o) return Done(storeexit::Failed, "The specified entry " + id + " does not exist.", path);
  return Done(storeexit::Ok, ListObject(*o), path);
}

}  // namespace

std::string ResolveStorePath(const std::string& fromOption, IStoreFiles& files) {
  if (!fromOption.empty()) return fromOption;
#ifdef LUMORA_ENVIRONMENT_OVERRIDES
  // Tests keep the store in a file of their own; a release build reads no
  // such variable, so the carried editor only ever edits the system's store.
  std::string env = files.Env("LUMORA_BOOTSTORE");
  if (!env.empty()) return env;
#endif
  std::string drive = files.Env("SystemDrive");
  if (drive.empty()) return {};
  while (!drive.empty() && (drive.back() == '\\' || drive.back() == '/')) drive.pop_back();
  return drive + "\\Boot\\BCD";
}

StoreResult RunBootStore(std::string_view argText, IStoreFiles& files) {
  StoreCommand cmd;
  std::string error;
  if (!ParseStoreCommand(argText, cmd, error)) return Done(storeexit::Usage, error);

  const std::string path = ResolveStorePath(cmd.store, files);
  if (path.empty()) return Done(storeexit::StoreError, "no store: give /store FILE or set %SystemDrive%");

  BootStore store = BootStore::Fresh();
  if (files.Exists(path)) {
    std::optional<std::string> text = files.Read(path, kMaxStoreBytes);
    if (!text) return Done(storeexit::StoreError, "cannot read the store " + path + ": " + files.LastErrorText(), path);
    if (!ParseStore(*text, store, error))
      return Done(storeexit::StoreError, "the store " + path + " was left untouched: " + error, path);
  }

  if (cmd.verb == StoreVerb::Enum) return Enumerate(cmd, store, path);
  if (cmd.verb == StoreVerb::Export) {
    if (!files.Replace(cmd.file, SerializeStore(store)))
      return Done(storeexit::StoreError, "cannot write " + cmd.file + ": " + files.LastErrorText(), path);
    return Done(storeexit::Ok, "The operation completed successfully.", path);
  }
  if (cmd.verb == StoreVerb::Import) {
    std::optional<std::string> text = files.Read(cmd.file, kMaxStoreBytes);
    if (!text) return Done(storeexit::StoreError, "cannot read " + cmd.file + ": " + files.LastErrorText(), path);
    BootStore imported;
    if (!ParseStore(*text, imported, error))
      return Done(storeexit::StoreError, cmd.file + " is not an exported store: " + error, path);
    store = std::move(imported);
  } else {
    std::string message;
    if (!Apply(cmd, store, message)) return Done(storeexit::Failed, message, path);
    if (!files.Replace(path, SerializeStore(store)))
      return Done(storeexit::StoreError, "cannot write the store " + path + ": " + files.LastErrorText(), path);
    return Done(storeexit::Ok, message, path);
  }
  if (!files.Replace(path, SerializeStore(store)))
    return Done(storeexit::StoreError, "cannot write the store " + path + ": " + files.LastErrorText(), path);
  return Done(storeexit::Ok, "The operation completed successfully.", path);
}

}  // namespace lum
