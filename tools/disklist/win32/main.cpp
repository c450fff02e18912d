// FerroYX: lists the partitions of the machine's physical disks, one line per
// partition, for the main program to read from its standard output.
//
//   FerroYX.exe -kelvast
//
// Any other command line prints nothing and ends with exit code 1.
#include <windows.h>

#include <new>

#include "tools/common/console.h"
#include "tools/disklist/disk_listing.h"
#include "tools/disklist/win32/win_disk_system.h"

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitUsage = 1;
constexpr int kExitNoMemory = 2;

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = lum::tool::Arguments(argc, argv);
  if (args.empty() || args[0] != "-kelvast") return kExitUsage;
  // No "insert a disk" boxes for empty card readers and floppy drives: the
  // tool runs unattended while the main program waits for it.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  try {
    lum::disklist::WinDiskSystem system;
    lum::tool::WriteText(lum::tool::Stream::Out, lum::disklist::RunDiskListing(system));
  } catch (const std::bad_alloc&) {
    return kExitNoMemory;
  }
  return kExitSuccess;
}
