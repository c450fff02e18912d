#pragma once
// Small text helpers shared by several parts of the program.
#include <string>

#include "platform/platform.h"

namespace lum {

// "~S" followed by n letters drawn uniformly from A-Z and a-z, from a
// generator seeded afresh on every call. n <= 0 gives "~S".
std::string RandomName(Platform& p, int n);

// Removes every CR LF pair (a lone CR or LF stays), then the leading and
// trailing characters with codes up to 32.
std::string StripLineBreaks(const std::string& text);

// The keypress filter's test: the first character is 0-9 or one of the control
// characters 3, 8, 22, 24. Pure; IsDigitKey adds the beep.
bool IsDigitKeyChar(const std::string& text);
// As IsDigitKeyChar; beeps (MessageBeep(0)) when the answer is false.
bool IsDigitKey(Platform& p, const std::string& text);

}  // namespace lum
