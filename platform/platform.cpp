#include "platform/platform.h"

namespace lum {

bool ForceDirectories(IFiles& files, const std::string& path) {
  std::string p = path;
  while (!p.empty() && (p.back() == '\\' || p.back() == '/')) p.pop_back();
  if (p.empty()) return false;
  if (files.DirExists(p)) return true;
  if (p.size() <= 2 && p.back() == ':') return files.DirExists(p + "\\");
  std::size_t cut = p.find_last_of("\\/");
  if (cut != std::string::npos && cut > 0) {
    std::string parent = p.substr(0, cut);
    if (!(parent.size() == 2 && parent[1] == ':') && !ForceDirectories(files, parent)) return false;
  }
  return files.CreateDir(p) || files.DirExists(p);
}

}  // namespace lum
