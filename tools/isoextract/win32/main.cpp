// The ISO extraction tool for Windows. It reads its own command line (the
// boot chain starts it through "cmd /c" with the arguments after the name).
#include "tools/isoextract/extract_tool.h"
#include "tools/isoextract/win32/extract_files_win.h"

int main(int argc, char** argv) {
  lum::WinExtractFiles files;
  return lum::IsoExtractMain(argc, argv, files);
}
