#pragma once
// The two files that tell the installer inside the Windows PE what to
// restore after the restart: "KFun.JP" in the root of the system drive (type,
// encoded location and parameters of the image) and "GFun.JP" in the root of
// the image's drive (the title).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lum {

// The eight bytes the image location is combined with; the PE-side installer
// holds the same constant.
inline constexpr std::array<std::uint8_t, 8> HandoffKey = {0x3C, 0x91, 0x5E, 0x07,
                                                           0xD4, 0x2A, 0x68, 0xB3};

enum class HandoffImageType { Gho, Wim, Iso };

struct HandoffInputs {
  std::string imagePath;    // full path, beginning with drive letter and colon
  std::string arch;         // "Bit="
  std::string sysSelector;  // "SYS=" (ISO images)
  std::string title;        // the line of "GFun.JP"
  std::string wimName;      // "WIM=" of ISO images
  std::string productKey;   // "CDKEY="
  std::string imageIndex;   // "INDEX="
};

// Each byte of text in the ANSI code page, at position i, combined by
// exclusive or with HandoffKey[i mod 8] and written as two upper-case hex digits.
std::string EncodeHandoffPath(ICodePage& codepage, const std::string& text);

// The lines of "KFun.JP" for an image of that type; encodedPath is the image
// path without its drive, encoded.
std::vector<std::string> HandoffConfigLines(HandoffImageType type, const HandoffInputs& in,
                                            const std::string& encodedPath);

// Removes every "KFun.JP" and "GFun.JP" from the roots of C: to Z:, then
// classifies the image and writes both files. False with the error text when
// the image is of no known type or a file could not be written; a file that
// could not be written completely is removed again, and "KFun.JP" goes too
// when "GFun.JP" fails, so that the installer never finds half a hand-off.
// The sweep runs with critical-error dialogs off, so an empty card reader
// or optical drive among the letters asks the user for nothing.
bool WriteHandoffFiles(Platform& p, const HandoffInputs& in, std::string& error);

// The same without the process error mode: a caller of this form must switch
// critical-error dialogs off around the call itself.
bool WriteHandoffFiles(IFiles& files, IEnvironment& env, ICodePage& codepage,
                       const HandoffInputs& in, std::string& error);

}  // namespace lum
