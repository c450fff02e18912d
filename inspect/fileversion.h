#pragma once
// Reading a file's version resource.
#include <array>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace lum {

// The fixed file information block (VS_FIXEDFILEINFO) as thirteen words in
// their published order.
enum FixedInfoWord {
  kFixedSignature = 0, kFixedStrucVersion, kFixedFileVersionMS, kFixedFileVersionLS,
  kFixedProductVersionMS, kFixedProductVersionLS, kFixedFileFlagsMask, kFixedFileFlags,
  kFixedFileOS, kFixedFileType, kFixedFileSubtype, kFixedFileDateMS, kFixedFileDateLS,
  kFixedWordCount
};

struct TFileVersionInfomation {
  std::string rCommpanyName;
  std::string rFileDescription;
  std::string rFileVersion;
  std::string rInternalName;
  std::string rLegalCopyright;
  std::string rLegalTrademarks;
  std::string rOriginalFileName;
  std::string rProductName;
  std::string rProductVersion;
  std::string rComments;
  std::array<std::uint32_t, kFixedWordCount> rVsFixedFileInfo{};
  std::string rDefineValue;
};

// Clears the record, then reads the ten string values of the first
// translation, the fixed block and (when extraKey is not empty) the value named
// extraKey. False, with the record cleared, when the file has no readable
// version resource. Without a translation entry the strings stay empty.
bool GetFileVersionInfomation(Platform& p, const std::string& fileName,
                              TFileVersionInfomation& info, const std::string& extraKey);

// "\StringFileInfo\LLLLCCCC\" for the first entry of a translation table
// (language in the low 16 bits, code page in the high 16 bits), hex digits in
// lower case.
std::string StringFileInfoPrefix(std::uint32_t translation);

// The four numbers of a fixed block's file version joined by dots ("1.0.0.1").
std::string FormatFileVersion(const std::array<std::uint32_t, kFixedWordCount>& fixed);

// The program's own file version; "0.0.0.0" when its version resource cannot
// be read.
std::string GetAppVersion(Platform& p);

}  // namespace lum
