#include "tools/bootstore/store_command.h"

#include <algorithm>
#include <vector>

#include "platform/text.h"
#include "tools/bootstore/boot_store.h"
#include "tools/common/command_line.h"

namespace lum {
namespace {

bool IsDriveLetter(std::string_view s) {
  return s.size() == 2 && s[1] == ':' && ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'));
}

bool IsRootedPath(std::string_view s) {
  return s.size() >= 2 && s[0] == '\\' && s.find_first_of("\"*?<>|") == std::string_view::npos;
}

// boot | partition=X: | ramdisk=[X:]\path,{guid} (the last one only where allowed)
bool IsDevice(std::string_view v, bool allowRamdisk) {
  if (SameTextAscii(v, "boot")) return true;
  if (StartsWithAscii(v, "partition=")) return IsDriveLetter(v.substr(10));
  if (!allowRamdisk || !StartsWithAscii(v, "ramdisk=[")) return false;
  std::string_view rest = v.substr(9);
  std::size_t close = rest.find(']');
  if (close == std::string_view::npos || !IsDriveLetter(rest.substr(0, close))) return false;
  rest.remove_prefix(close + 1);
  std::size_t comma = rest.rfind(',');
  if (comma == std::string_view::npos) return false;
  return IsRootedPath(rest.substr(0, comma)) && IsBracedGuid(rest.substr(comma + 1));
}

bool IsLocale(std::string_view v) {
  if (v.size() < 2 || v.size() > 16) return false;
  return std::all_of(v.begin(), v.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
  });
}

bool IsObjectList(std::string_view v) {
  // One or more identifiers such as {bootloadersettings}, separated by blanks.
  for (const std::string& part : SplitOn(v, ' ')) {
    if (part.size() < 3 || part.front() != '{' || part.back() != '}') return false;
    if (!IsBracedGuid(part) &&
        !std::all_of(part.begin() + 1, part.end() - 1, [](char c) { return c >= 'a' && c <= 'z'; }))
      return false;
  }
  return !v.empty();
}

bool NormaliseBoolean(std::string& v) {
  std::string l = AsciiLower(v);
  if (l == "yes" || l == "on" || l == "true" || l == "1") { v = "Yes"; return true; }
  if (l == "no" || l == "off" || l == "false" || l == "0") { v = "No"; return true; }
  return false;
}

std::string Lower(std::string_view s) { return AsciiLower(s); }

}  // namespace

bool CheckElementValue(const std::string& element, std::string& value, std::string& error) {
  bool ok;
  if (element == "description") ok = !value.empty() && !std::any_of(value.begin(), value.end(), [](char c) {
                                         return static_cast<unsigned char>(c) < 32;
                                       });
  else if (element == "device" || element == "osdevice") ok = IsDevice(value, true);
  else if (element == "ramdisksdidevice") ok = IsDevice(value, false);
  else if (element == "path" || element == "ramdisksdipath" || element == "systemroot") ok = IsRootedPath(value);
  else if (element == "locale") ok = IsLocale(value);
  else if (element == "inherit") ok = IsObjectList(value);
  else if (element == "detecthal" || element == "winpe" || element == "testsigning") ok = NormaliseBoolean(value);
  else {
    error = "unknown element: " + element;
    return false;
  }
  if (!ok) error = "invalid value for " + element + ": " + value;
  return ok;
}

bool ParseStoreCommand(std::string_view argText, StoreCommand& out, std::string& error) {
  out = StoreCommand{};
  std::vector<CommandArg> args = SplitArguments(argText);
  std::size_t i = 0;
  if (args.size() >= 2 && Lower(args[0].text) == "/store") {
    out.store = args[1].text;
    i = 2;
  }
  if (i >= args.size()) {
    error = "no command";
    return false;
  }
  const std::string verb = Lower(args[i].text);
  const std::size_t n = args.size() - i;  // arguments from the verb on
  auto arg = [&](std::size_t k) -> const std::string& { return args[i + k].text; };
  auto needId = [&](std::size_t k) {
    if (IsBracedGuid(arg(k))) return true;
    error = "invalid identifier: " + arg(k);
    return false;
  };
  auto bad = [&] {
    error = "the command line is not a command this editor accepts";
    return false;
  };

  if (verb == "/export" || verb == "/import") {
    if (n != 2) return bad();
    out.verb = verb == "/export" ? StoreVerb::Export : StoreVerb::Import;
    out.file = arg(1);
    return true;
  }
  if (verb == "/create") {
    if (n < 5 || Lower(arg(2)) != "/d" || arg(3).empty()) return bad();
    if (!needId(1)) return false;
    out.verb = StoreVerb::Create;
    out.id = arg(1);
    out.description = arg(3);
    const std::string kind = Lower(arg(4));
    if (kind == "/device" && n == 5) return true;
    if (kind == "/application" && n == 6) {
      out.application = Lower(arg(5));
      if (out.application == "bootsector" || out.application == "osloader") return true;
      error = "unsupported application type: " + arg(5);
      return false;
    }
    return bad();
  }
  if (verb == "/set") {
    if (n < 4) return bad();
    if (!needId(1)) return false;
    out.verb = StoreVerb::Set;
    out.id = arg(1);
    out.element = Lower(arg(2));
    if (n == 4) {
      out.value = arg(3);
    } else if (out.element == "description") {
      // The chains pass the title without quotation marks; a title with blanks
      // arrives as several arguments and is taken as typed.
      out.value = std::string(argText.substr(args[i + 3].begin, args.back().end - args[i + 3].begin));
    } else {
      return bad();
    }
    return CheckElementValue(out.element, out.value, error);
  }
  if (verb == "/displayorder") {
    if (n != 3 || Lower(arg(2)) != "/addlast") return bad();
    if (!needId(1)) return false;
    out.verb = StoreVerb::DisplayOrderAddLast;
    out.id = arg(1);
    return true;
  }
  if (verb == "/timeout") {
    if (n != 2 || arg(1).empty() || arg(1).size() > 9 ||
        !std::all_of(arg(1).begin(), arg(1).end(), [](char c) { return c >= '0' && c <= '9'; }))
      return bad();
    out.verb = StoreVerb::Timeout;
    out.timeout = unsigned(std::stoul(arg(1)));
    return true;
  }
  if (verb == "/default") {
    if (n != 2) return bad();
    if (!needId(1)) return false;
    out.verb = StoreVerb::Default;
    out.id = arg(1);
    return true;
  }
  if (verb == "/enum") {
    // /enum [id] [/v]: one object ({default}, {bootmgr} or an identifier) or all.
    std::size_t k = 1;
    if (k < n && Lower(arg(k)) != "/v") {
      const std::string id = Lower(arg(k));
      if (id != "{default}" && id != "{bootmgr}" && !IsBracedGuid(arg(k))) return bad();
      out.id = arg(k);
      ++k;
    }
    if (k < n && Lower(arg(k)) == "/v") ++k;
    if (k != n) return bad();
    out.verb = StoreVerb::Enum;
    return true;
  }
  if (verb == "/delete") {
    if (n != 2 && !(n == 3 && Lower(arg(2)) == "/f")) return bad();
    if (!needId(1)) return false;
    out.verb = StoreVerb::Delete;
    out.id = arg(1);
    return true;
  }
  return bad();
}

}  // namespace lum
