#include "boot/profile_text.h"

#include <cstddef>
#include <optional>
#include <vector>

#include "platform/text.h"

namespace lum {
namespace {

struct Line {
  std::string_view body;  // without its line end
  std::string_view end;   // "\r\n", "\n" or "" on the last line
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t p = 0;
  while (p < text.size()) {
    std::size_t nl = text.find('\n', p);
    if (nl == std::string_view::npos) {
      lines.push_back({text.substr(p), {}});
      break;
    }
    std::size_t bodyEnd = (nl > p && text[nl - 1] == '\r') ? nl - 1 : nl;
    lines.push_back({text.substr(p, bodyEnd - p), text.substr(bodyEnd, nl + 1 - bodyEnd)});
    p = nl + 1;
  }
  return lines;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The section name when the line opens a section.
std::optional<std::string_view> SectionName(std::string_view line) {
  std::string_view s = Trim(line);
  if (s.empty() || s.front() != '[') return std::nullopt;
  s.remove_prefix(1);
  std::size_t close = s.rfind(']');
  if (close != std::string_view::npos) s = s.substr(0, close);
  return Trim(s);
}

std::string_view KeyName(std::string_view line) {
  return Trim(line.substr(0, line.find('=')));
}

}  // namespace

std::optional<std::string> GetProfileString(std::string_view text, std::string_view section,
                                            std::string_view key) {
  bool inSection = false;
  for (const Line& line : SplitLines(text)) {
    if (std::optional<std::string_view> name = SectionName(line.body)) {
      if (inSection) return std::nullopt;  // the first matching section counts
      inSection = SameTextAscii(*name, Trim(section));
      continue;
    }
    if (!inSection || Trim(line.body).empty()) continue;
    if (SameTextAscii(KeyName(line.body), Trim(key))) {
      std::size_t eq = line.body.find('=');
      return std::string(eq == std::string_view::npos ? std::string_view() : Trim(line.body.substr(eq + 1)));
    }
  }
  return std::nullopt;
}

std::string SetProfileString(std::string_view text, std::string_view section,
                             std::string_view key, std::string_view value) {
  const std::vector<Line> lines = SplitLines(text);
  const std::string wanted = std::string(Trim(section)), wantedKey = std::string(Trim(key));

  std::optional<std::size_t> header;
  std::size_t sectionEnd = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::optional<std::string_view> name = SectionName(lines[i].body);
    if (!name) continue;
    if (header) {
      sectionEnd = i;
      break;
    }
    if (SameTextAscii(*name, wanted)) header = i;
  }

  std::optional<std::size_t> found;
  std::size_t insertAfter = header.value_or(0);
  if (header) {
    for (std::size_t i = *header + 1; i < sectionEnd; ++i) {
      if (Trim(lines[i].body).empty()) continue;
      insertAfter = i;
      if (SameTextAscii(KeyName(lines[i].body), wantedKey)) {
        found = i;
        break;
      }
    }
  }

  std::string out;
  out.reserve(text.size() + key.size() + value.size() + section.size() + 8);
  auto addLine = [&](std::string_view body) { (out += body) += "\r\n"; };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (found && i == *found) {
      std::string stored(KeyName(lines[i].body));
      (out += stored) += '=';
      out += value;
      out += lines[i].end.empty() ? std::string_view("\r\n") : lines[i].end;
      continue;
    }
    out += lines[i].body;
    // A line that gets a successor needs a line end of its own.
    bool more = i + 1 < lines.size() || (header && !found && i == insertAfter) || !header;
    out += (lines[i].end.empty() && more) ? std::string_view("\r\n") : lines[i].end;
    if (header && !found && i == insertAfter) addLine(std::string(wantedKey) + "=" + std::string(value));
  }
  if (!header) {
    addLine("[" + wanted + "]");
    addLine(wantedKey + "=" + std::string(value));
  }
  return out;
}

}  // namespace lum
