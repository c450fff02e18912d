#pragma once
// The text edit behind the portable profile writer, on UTF-8 text.
#include <optional>
#include <string>
#include <string_view>

namespace lum {

// Returns text with key=value set in [section]. A section line is "[name]"
// (blanks around the name and before the bracket ignored); a key line is
// "name=value" (blanks around the name ignored), or a name alone. The first
// matching section and key count. The key line is rewritten as the stored
// key's spelling, "=" and value; a new key goes after the last non-blank line
// of its section; a new section goes at the end of the text. New lines end in
// CR LF; every other line is kept byte for byte.
// The value of key in [section] (the first matching section and key, blanks
// around the value removed); nullopt when there is no such key.
std::optional<std::string> GetProfileString(std::string_view text, std::string_view section,
                                            std::string_view key);

std::string SetProfileString(std::string_view text, std::string_view section,
                             std::string_view key, std::string_view value);

}  // namespace lum
