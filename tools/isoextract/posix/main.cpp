// Host build of the ISO extraction tool, for tests and benchmarks.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/isoextract/extract_tool.h"
#include "tools/isoextract/posix/extract_files_posix.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  lum::PosixExtractFiles files;
  lum::ExtractResult r = lum::RunIsoExtract(args, files);
  lum::ExtractRequest req;
  std::string ignored;
  bool silent = lum::ParseExtractArgs(args, req, ignored) && req.silent;
  if (r.exitCode != lum::isoexit::Ok)
    std::fprintf(stderr, "isoextract: %s\n", r.message.c_str());
  else if (!silent)
    std::printf("%s\n", r.message.c_str());
  return r.exitCode;
}
