// Host build of the boot-store editor stand-in, for tests and manual use.
// Its arguments are joined into one argument text as Windows would pass it.
#include <cstdio>
#include <string>

#include "tools/bootstore/bootstore_tool.h"
#include "tools/bootstore/posix/store_files_posix.h"

int main(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    bool quote = a.empty() || a.find_first_of(" \t") != std::string::npos;
    text += (i > 1 ? " " : "") + (quote ? "\"" + a + "\"" : a);
  }
  lum::PosixStoreFiles files;
  lum::StoreResult r = lum::RunBootStore(text, files);
  std::fprintf(r.exitCode == 0 ? stdout : stderr, "%s\n", r.message.c_str());
  return r.exitCode;
}
