#include "download/deploy.h"

#include "inspect/resources.h"

namespace lum {
namespace {

constexpr EngineFile kEngineFiles[] = {
    {"dll", "xldl", "xldl.dll"},
    {"dat", "iddat", "download\\id.dat"},
};

}  // namespace

std::span<const EngineFile> EngineFiles() { return kEngineFiles; }

void DeployEngineFiles(Platform& p, const std::string& engineDir) {
  ForceDirectories(p.files, engineDir);
  ForceDirectories(p.files, engineDir + "download");
  for (const EngineFile& f : kEngineFiles) ReleaseResource(p, f.type, f.name, engineDir + f.target);
}

}  // namespace lum
