#include "boot/ansi_text_file.h"

namespace lum {

Bytes AnsiLines(ICodePage& codepage, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) (text += line) += "\r\n";
  return codepage.ToAnsi(text);
}

bool WriteAnsiLines(IFiles& files, ICodePage& codepage, const std::string& path,
                    const std::vector<std::string>& lines) {
  return files.Write(path, AnsiLines(codepage, lines));
}

}  // namespace lum
