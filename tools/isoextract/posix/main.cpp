// Host build of the ISO extraction tool, for tests and benchmarks.
#include "tools/isoextract/extract_tool.h"
#include "tools/isoextract/posix/extract_files_posix.h"

int main(int argc, char** argv) {
  lum::PosixExtractFiles files;
  return lum::IsoExtractMain(argc, argv, files);
}
