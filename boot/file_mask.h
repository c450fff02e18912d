#pragma once
// File-name masks as Windows users write them: * for any run of characters,
// ? for one character, several patterns joined by ";". Letter case is ignored
// (ASCII letters only), and a pattern ending in ".*" also matches names
// without a dot, so "*.*" selects everything.
#include <string_view>

namespace lum {

bool MatchesFileMask(std::string_view name, std::string_view mask);

}  // namespace lum
