#include "tools/common/command_line.h"

#include "platform/text.h"

namespace lum {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<CommandArg> SplitArguments(std::string_view s) {
  std::vector<CommandArg> out;
  std::size_t i = 0;
  while (true) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    if (i >= s.size()) break;
    CommandArg arg;
    arg.begin = i;
    bool quoted = false;
    while (i < s.size() && (quoted || !IsBlank(s[i]))) {
      char c = s[i];
      if (c == '\\') {
        std::size_t n = 0;
        while (i < s.size() && s[i] == '\\') { ++n; ++i; }
        if (i < s.size() && s[i] == '"') {
          arg.text.append(n / 2, '\\');
          if (n % 2 == 1) { arg.text.push_back('"'); ++i; }
          // An even count leaves the quotation mark to the next round.
        } else {
          arg.text.append(n, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
          arg.text.push_back('"');
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg.text.push_back(c);
      ++i;
    }
    arg.end = i;
    out.push_back(std::move(arg));
  }
  return out;
}

std::string_view SkipProgramName(std::string_view line, std::string_view moduleFileName) {
  std::size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  std::size_t nameEnd = std::string_view::npos;
  if (i < line.size() && line[i] == '"') {
    std::size_t close = line.find('"', i + 1);
    nameEnd = close == std::string_view::npos ? line.size() : close + 1;
  } else {
    std::string name = AsciiUpper(ExtractFileName(moduleFileName));
    std::string stem = name;
    if (std::size_t dot = stem.rfind('.'); dot != std::string::npos && dot > 0) stem.resize(dot);
    auto endsWithName = [&](std::string_view head) {
      for (const std::string& n : {name, stem}) {
        if (n.empty() || head.size() < n.size()) continue;
        if (AsciiUpper(head.substr(head.size() - n.size())) != n) continue;
        if (head.size() == n.size()) return true;
        char before = head[head.size() - n.size() - 1];
        if (before == '\\' || before == '/' || before == ':') return true;
      }
      return false;
    };
    if (!name.empty()) {
      for (std::size_t p = i; p <= line.size(); ++p) {
        if (p < line.size() && !IsBlank(line[p])) continue;
        if (endsWithName(line.substr(i, p - i))) { nameEnd = p; break; }
      }
    }
    if (nameEnd == std::string_view::npos) {
      nameEnd = i;
      while (nameEnd < line.size() && !IsBlank(line[nameEnd])) ++nameEnd;
    }
  }
  while (nameEnd < line.size() && IsBlank(line[nameEnd])) ++nameEnd;
  return line.substr(nameEnd);
}

}  // namespace lum
