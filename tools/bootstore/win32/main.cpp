// The boot-store editor stand-in for Windows. The boot chains start it as
// "B /command ..." with B its path, not quoted, so the program name is found
// by our own file name (see SkipProgramName) and the rest is the command.
#include "tools/bootstore/bootstore_tool.h"
#include "tools/bootstore/win32/store_files_win.h"
#include "tools/common/console.h"

int main(int argc, char** argv) {
  lum::WinStoreFiles files;
  lum::StoreResult r = lum::RunBootStore(lum::tool::ArgumentText(argc, argv), files);
  lum::tool::PrintLine(r.exitCode == 0 ? lum::tool::Stream::Out : lum::tool::Stream::Err, r.message);
  return r.exitCode;
}
