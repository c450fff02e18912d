#include "inspect/sysinfo.h"

#include "platform/text.h"

namespace lum {

std::string SysClassOf(const std::string& ntver) {
  std::vector<std::string> parts = SplitOn(ntver, '.');
  if (parts.size() < 2) return "Unknown";
  std::string key = parts[0] + "." + parts[1];
  if (key == "5.0") return "Win2000";
  if (key == "5.1" || key == "5.2") return "WinXP";
  if (key == "6.0" || key == "6.1" || key == "6.2") return "Win7";
  if (key == "6.3") return "Win8";
  if (key == "10.0") return "Win10";
  return "Unknown";
}

std::uint32_t LanguageCode(std::uint32_t threadLocale) {
  return threadLocale == 0 ? 1033 : threadLocale;
}

bool IsSimplifiedChinese(std::uint32_t languageCode) { return languageCode == 2052; }

RunEnvironment DecideRunEnvironment(bool pe, const std::string& userName,
                                    std::int32_t systemSetupInProgress, std::int32_t setupType) {
  if (pe) return RunEnvironment::PE;
  if (userName.empty()) return RunEnvironment::Deployment;
  if (systemSetupInProgress == 1) return RunEnvironment::Deployment;
  if (AsciiUpper(userName) == "SYSTEM") return RunEnvironment::Deployment;
  if (setupType == 0) return RunEnvironment::Desktop;
  return RunEnvironment::Deployment;
}

std::string RunEnvironmentLabel(RunEnvironment env, bool chinese) {
  switch (env) {
    case RunEnvironment::PE: return chinese ? "PE环境" : "PE";
    case RunEnvironment::Deployment: return chinese ? "部署环境" : "Deploy";
    case RunEnvironment::Desktop: return chinese ? "桌面环境" : "Desktop";
  }
  return std::string();
}

TSysinfo BuildSysinfo(const SysinfoFacts& f) {
  TSysinfo s;
  s.Toolbit = "x86";
  s.Cpu_count = f.processorCount;
  s.Toolpath = ExtractFileDir(f.modulePath);
  s.hname = SysClassOf(f.ntver);
  s.infos = DescriptorLine(f.os);
  s.weik = f.win64 ? " x64" : " x86";
  s.namever = f.os.name;
  s.spver = "SP" + std::to_string(f.os.servicePackMajor);
  s.ntver = f.ntver;
  if (s.ntver.compare(0, 2, "10") == 0) {
    // The version query lies to programs that do not declare Windows 10;
    // the system library's own version does not.
    s.namever = "Windows 10";
    s.hname = "Win10";
    s.infos = s.namever + " " + s.spver + "(Ver " + s.ntver + "," + s.weik + ")";
  }
  bool chinese = IsSimplifiedChinese(f.languageCode);
  s.slang = chinese ? "CN" : "EN";
  s.langstr = chinese ? "中文简体" : "非中文简体";
  s.syshj = RunEnvironmentLabel(f.environment, chinese);
  return s;
}

}  // namespace lum
