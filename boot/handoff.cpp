#include "boot/handoff.h"

#include <optional>

#include "boot/ansi_text_file.h"
#include "boot/image_probe.h"

namespace lum {
namespace {

constexpr char kConfigName[] = "KFun.JP";
constexpr char kTitleName[] = "GFun.JP";

// Every letter is tried, empty removable and optical drives too.
void SweepOldFiles(IFiles& files) {
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    std::string root = std::string(1, letter) + ":\\";
    for (const char* name : {kConfigName, kTitleName})
      if (files.FileExists(root + name)) files.Delete(root + name);  // a failure is ignored
  }
}

// Without SEM_FAILCRITICALERRORS Windows would ask for a disk for each empty
// drive the sweep touches. The process's own mode is put back afterwards.
void SweepOldFilesQuietly(Platform& p) {
  const std::uint32_t previous = p.system.SetErrorMode(kSemFailCriticalErrors);
  // Other flags the process had stay on during the sweep.
  if (previous & ~kSemFailCriticalErrors) p.system.SetErrorMode(previous | kSemFailCriticalErrors);
  SweepOldFiles(p.files);
  p.system.SetErrorMode(previous);
}

std::optional<HandoffImageType> Classify(IFiles& files, const std::string& path) {
  if (IsGhostImage(files, path)) return HandoffImageType::Gho;
  if (IsWimImage(files, path)) return HandoffImageType::Wim;
  if (IsIsoImage(files, path)) return HandoffImageType::Iso;
  return std::nullopt;
}

}  // namespace

std::string EncodeHandoffPath(ICodePage& codepage, const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  Bytes ansi = codepage.ToAnsi(text);
  std::string out;
  out.reserve(ansi.size() * 2);
  for (std::size_t i = 0; i < ansi.size(); ++i) {
    std::uint8_t b = ansi[i] ^ HandoffKey[i % HandoffKey.size()];
    out += kHex[b >> 4];
    out += kHex[b & 0x0F];
  }
  return out;
}

std::vector<std::string> HandoffConfigLines(HandoffImageType type, const HandoffInputs& in,
                                            const std::string& encodedPath) {
  switch (type) {
    case HandoffImageType::Gho:
      return {"[Config]", "TYPE=GHO", "GHO=" + encodedPath, "Bit=" + in.arch};
    case HandoffImageType::Wim:
      return {"[Config]",          "TYPE=WIM",
              "WIM=" + encodedPath, "INDEX=" + in.imageIndex,
              "CDKEY=" + in.productKey, "Bit=" + in.arch};
    case HandoffImageType::Iso:
      return {"[Config]",
              "TYPE=ISO",
              "SYS=" + in.sysSelector,
              "ISO=" + encodedPath,
              "WIM=" + in.wimName,
              "INDEX=" + in.imageIndex,
              "CDKEY=" + in.productKey,
              "Bit=" + in.arch};
  }
  return {};
}

namespace {

// Classifies the image and writes both files, once the old ones are gone.
bool WriteSweptHandoffFiles(IFiles& files, IEnvironment& env, ICodePage& codepage,
                            const HandoffInputs& in, std::string& error) {
  std::optional<HandoffImageType> type = Classify(files, in.imagePath);
  if (!type) {
    error = "映像文件类型错误！";
    return false;
  }

  const std::string configPath = env.Get("SystemDrive") + "\\" + kConfigName;
  const std::string titlePath = in.imagePath.substr(0, 2) + "\\" + kTitleName;
  const std::string encoded = EncodeHandoffPath(codepage, in.imagePath.substr(2));

  if (!WriteAnsiLines(files, codepage, configPath, HandoffConfigLines(*type, in, encoded))) {
    files.Delete(configPath);
    error = "系统配置1文件创建失败！";
    return false;
  }
  if (files.FileExists(titlePath)) files.Delete(titlePath);
  bool titleWritten = WriteAnsiLines(files, codepage, titlePath, {in.title});
  if (!titleWritten) files.Delete(titlePath);

  if (!files.FileExists(configPath)) {
    error = "系统配置1文件创建失败！";
    return false;
  }
  if (!titleWritten || !files.FileExists(titlePath)) {
    files.Delete(configPath);
    error = "系统配置2文件创建失败！";
    return false;
  }
  return true;
}

}  // namespace

bool WriteHandoffFiles(Platform& p, const HandoffInputs& in, std::string& error) {
  SweepOldFilesQuietly(p);
  return WriteSweptHandoffFiles(p.files, p.env, p.codepage, in, error);
}

bool WriteHandoffFiles(IFiles& files, IEnvironment& env, ICodePage& codepage,
                       const HandoffInputs& in, std::string& error) {
  SweepOldFiles(files);
  return WriteSweptHandoffFiles(files, env, codepage, in, error);
}

}  // namespace lum
