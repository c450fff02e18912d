#pragma once
// Text files in the machine's ANSI code page with CR LF line ends.
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lum {

// The lines, each ended by CR LF, converted to the ANSI code page.
Bytes AnsiLines(ICodePage& codepage, const std::vector<std::string>& lines);

// Creates or empties the file and writes the lines; false when that failed.
bool WriteAnsiLines(IFiles& files, ICodePage& codepage, const std::string& path,
                    const std::vector<std::string>& lines);

}  // namespace lum
