#pragma once
// Writing the download engine's files out of the program's resources into the
// engine directory before a download run.
#include <span>
#include <string>

#include "platform/platform.h"

namespace lum {

struct EngineFile {
  const char* type;    // resource type
  const char* name;    // resource name
  const char* target;  // relative to the engine directory
};

// The files our engine consists of, in the order they are written: the
// library in the engine directory itself and the partner file in its
// "download" subdirectory.
std::span<const EngineFile> EngineFiles();

// Creates the engine directory (ending in a backslash) and its "download"
// subdirectory with every missing parent, then writes every engine file from
// its resource, overwriting what is there. A file that cannot be written is
// logged by ReleaseResource and does not stop the others.
void DeployEngineFiles(Platform& p, const std::string& engineDir);

}  // namespace lum
