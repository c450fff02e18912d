#include "boot/file_mask.h"

#include <cstddef>

#include "platform/text.h"

namespace lum {
namespace {

char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Iterative wildcard match with one backtrack point for the last *.
bool MatchPattern(std::string_view name, std::string_view pat) {
  std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pat.size() && pat[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pat.size() && (pat[p] == '?' || Fold(pat[p]) == Fold(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  // A trailing ".*" stands for "any extension or none".
  if (pat.substr(p) == ".*") return true;
  return p == pat.size();
}

}  // namespace

bool MatchesFileMask(std::string_view name, std::string_view mask) {
  for (const std::string& part : SplitOn(mask, ';')) {
    std::string_view pat = part;
    while (!pat.empty() && pat.front() == ' ') pat.remove_prefix(1);
    while (!pat.empty() && pat.back() == ' ') pat.remove_suffix(1);
    if (!pat.empty() && MatchPattern(name, pat)) return true;
  }
  return false;
}

}  // namespace lum
