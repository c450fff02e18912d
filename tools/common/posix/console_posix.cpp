// The tools' console in the host builds: the arguments joined as Windows
// would pass them, output through stdio as it is.
#include <cstdio>

#include "tools/common/console.h"

namespace lum::tool {

std::string ArgumentText(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    bool quote = a.empty() || a.find_first_of(" \t") != std::string::npos;
    if (i > 1) text += ' ';
    text += quote ? "\"" + a + "\"" : a;
  }
  return text;
}

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

void WriteText(Stream stream, std::string_view text) {
  std::FILE* f = stream == Stream::Out ? stdout : stderr;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fflush(f);
}

void PrintLine(Stream stream, std::string_view utf8) {
  WriteText(stream, std::string(utf8) + "\n");
}

}  // namespace lum::tool
