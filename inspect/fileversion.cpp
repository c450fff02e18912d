#include "inspect/fileversion.h"

#include <cstdio>

namespace lum {

static std::uint32_t Word32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::string StringFileInfoPrefix(std::uint32_t translation) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "\\StringFileInfo\\%04x%04x\\", translation & 0xFFFFu,
                translation >> 16);
  return buf;
}

bool GetFileVersionInfomation(Platform& p, const std::string& fileName,
                              TFileVersionInfomation& info, const std::string& extraKey) {
  info = TFileVersionInfomation{};
  std::optional<Bytes> block = p.versions.Load(fileName);
  if (!block) return false;

  std::optional<Bytes> translation = p.versions.QueryBinary(*block, "\\VarFileInfo\\Translation");
  if (translation && translation->size() >= 4) {
    std::string prefix = StringFileInfoPrefix(Word32(*translation, 0));
    auto read = [&](const char* key) {
      return p.versions.QueryString(*block, prefix + key).value_or(std::string());
    };
    info.rCommpanyName = read("CompanyName");
    info.rFileDescription = read("FileDescription");
    info.rFileVersion = read("FileVersion");
    info.rInternalName = read("InternalName");
    info.rLegalCopyright = read("LegalCopyright");
    info.rLegalTrademarks = read("LegalTrademarks");
    info.rOriginalFileName = read("OriginalFileName");
    info.rProductName = read("ProductName");
    info.rProductVersion = read("ProductVersion");
    info.rComments = read("Comments");
    if (!extraKey.empty()) info.rDefineValue = read(extraKey.c_str());
  }

  if (std::optional<Bytes> fixed = p.versions.QueryBinary(*block, "\\")) {
    for (std::size_t i = 0; i < kFixedWordCount && (i + 1) * 4 <= fixed->size(); ++i)
      info.rVsFixedFileInfo[i] = Word32(*fixed, i * 4);
  }
  return true;
}

std::string FormatFileVersion(const std::array<std::uint32_t, kFixedWordCount>& fixed) {
  std::uint32_t ms = fixed[kFixedFileVersionMS], ls = fixed[kFixedFileVersionLS];
  return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFFu) + "." +
         std::to_string(ls >> 16) + "." + std::to_string(ls & 0xFFFFu);
}

std::string GetAppVersion(Platform& p) {
  TFileVersionInfomation info;
  GetFileVersionInfomation(p, p.system.ModuleFileName(), info, "");
  return FormatFileVersion(info.rVsFixedFileInfo);
}

}  // namespace lum
