#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace lum {

// Splits a text into fields at '/', loosely: runs of spaces and control
// characters also end a field, and a field that begins with a double quote
// runs to the matching closing quote (a doubled quote inside stands for one).
// A text that ends in '/' ends with an empty field.
std::vector<std::string> SplitUrlFields(std::string_view text);

// The last field of the URL: the name its file is saved under ("" when the
// URL ends in '/' or is empty).
std::string UrlFileName(std::string_view url);

}  // namespace lum
