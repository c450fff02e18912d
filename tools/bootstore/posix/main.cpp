// Host build of the boot-store editor stand-in, for tests and manual use.
// Its arguments are joined into one argument text as Windows would pass it.
#include "tools/bootstore/bootstore_tool.h"
#include "tools/bootstore/posix/store_files_posix.h"
#include "tools/common/console.h"

int main(int argc, char** argv) {
  lum::PosixStoreFiles files;
  lum::StoreResult r = lum::RunBootStore(lum::tool::ArgumentText(argc, argv), files);
  lum::tool::PrintLine(r.exitCode == 0 ? lum::tool::Stream::Out : lum::tool::Stream::Err, r.message);
  return r.exitCode;
}
