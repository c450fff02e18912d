#pragma once
// Splitting a Windows command line the way the C runtime does, keeping where
// each argument came from so a caller can also take "the rest of the line".
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lum {

struct CommandArg {
  std::string text;        // the argument with quoting removed
  std::size_t begin = 0;   // offset of its first character in the line
  std::size_t end = 0;     // offset just past its last character
};

// Splits an argument text (the part after the program name) into arguments:
// blanks and tabs separate; quotation marks group and are removed; 2n
// backslashes before a quotation mark give n backslashes, 2n+1 give n and a
// literal quotation mark; other backslashes are literal; "" inside a quoted
// part gives one quotation mark.
std::vector<CommandArg> SplitArguments(std::string_view args);

// Returns the argument text of a full command line: everything after the
// program name and the blanks that follow it. The program name may be quoted;
// unquoted it may still contain blanks (CreateProcess finds "C:\Users\A B\x.exe"
// written without quotation marks), so when the name of our own executable file
// is known, the shortest leading part that ends in that name (with or without
// its extension) is taken as the program name. Otherwise the name ends at the
// first blank.
std::string_view SkipProgramName(std::string_view commandLine, std::string_view moduleFileName);

}  // namespace lum
