#pragma once
// What the tools share at their edge: the argument text they were started
// with and their two output streams. Each tool is a console program that
// another program starts and reads, so both ends follow Windows' rules on
// Windows and plain POSIX ones in the host builds used by the tests.
#include <string>
#include <string_view>
#include <vector>

namespace lum::tool {

enum class Stream { Out, Err };

// The argument text of this process, everything after the program name. On
// Windows it is read from the process's own command line (argc and argv are
// not used): the boot chains start a tool with its path unquoted, and
// SkipProgramName finds the end of it by the tool's own file name. In a host
// build the arguments are joined with blanks, each one holding a blank or
// tab (or empty) in quotation marks, as Windows would pass them.
std::string ArgumentText(int argc, char** argv);

// The arguments: on Windows the argument text split as the C runtime splits
// it; in a host build argv as it is.
std::vector<std::string> Arguments(int argc, char** argv);

// Writes text that is already in the output's code page, its lines ended
// with LF: on Windows each LF goes out as CR LF, as a console program's text
// output does; in a host build as it is.
void WriteText(Stream stream, std::string_view text);

// Writes a message of UTF-8 text (line ends inside it kept as they are) and
// a line end: on Windows converted to the ANSI code page, in which the
// calling program decodes the tools' output, and ended with CR LF; in a host
// build ended with LF.
void PrintLine(Stream stream, std::string_view utf8);

}  // namespace lum::tool
