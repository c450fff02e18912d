#pragma once
// Text helpers: UTF-8 inside, UTF-16 only at the Windows boundary.
#include <string>
#include <string_view>
#include <vector>

namespace lum {

std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);

// Upper- and lower-casing that touch only the ASCII letters a to z.
std::string AsciiUpper(std::string_view s);
std::string AsciiLower(std::string_view s);
bool SameTextAscii(std::string_view a, std::string_view b);
bool StartsWithAscii(std::string_view s, std::string_view prefix);  // case-insensitive
bool EndsWithAscii(std::string_view s, std::string_view suffix);    // case-insensitive

std::vector<std::string> SplitOn(std::string_view s, char sep);  // keeps empty parts
std::string TrimControls(std::string_view s);  // removes leading/trailing chars <= 32

// Path helpers for Windows paths ("C:\dir\name.ext").
std::string ExtractFileName(std::string_view path);  // text after the last '\', '/' or ':'
std::string ExtractFileDir(std::string_view path);   // up to and including the last separator
std::string IncludeTrailingBackslash(std::string_view path);

}  // namespace lum
