#pragma once
// What the program knows of the running Windows, and the plain decisions that
// turn the platform's answers into it. Nothing here touches the machine; the
// queries are in sysquery.h.
#include <cstdint>
#include <string>

#include "inspect/osdescriptor.h"

namespace lum {

struct TSysinfo {
  std::string ntver;        // product version of ntdll.dll, empty when unreadable
  std::string namever;      // product name
  std::string weik;         // " x64" or " x86"
  std::string lang;         // not set
  std::string langtype;     // not set
  std::string langtip;      // not set
  std::string slang;        // "CN" or "EN"
  std::string disktoppath;  // not set
  std::string spver;        // "SP" + service pack major
  std::string hname;        // version class
  std::string langstr;      // "中文简体" or "非中文简体"
  std::string syshj;        // run environment label
  std::string Toolbit;      // always "x86"
  std::string Toolpath;     // folder of the executable, with a trailing backslash
  std::int32_t Cpu_count = 0;
  std::string infos;        // one-line description
};

// The version class of an ntdll version: its first two dot-separated parts
// looked up in the class table; "Unknown" otherwise.
std::string SysClassOf(const std::string& ntver);

// 1033 when the platform reports 0.
std::uint32_t LanguageCode(std::uint32_t threadLocale);
// Only the whole identifier 2052 is Simplified Chinese.
bool IsSimplifiedChinese(std::uint32_t languageCode);

enum class RunEnvironment { PE, Deployment, Desktop };

// The run environment rules in order: PE; empty user name, setup in progress
// (value 1) or user "SYSTEM" (any case) give deployment; SetupType 0 gives the
// desktop; anything else (an absent value reads -1) deployment.
RunEnvironment DecideRunEnvironment(bool pe, const std::string& userName,
                                    std::int32_t systemSetupInProgress, std::int32_t setupType);
// "PE环境"/"部署环境"/"桌面环境" for Chinese, "PE"/"Deploy"/"Desktop" otherwise.
std::string RunEnvironmentLabel(RunEnvironment env, bool chinese);

// Every input GetSysinfo takes from the machine.
struct SysinfoFacts {
  int processorCount = 0;
  std::string modulePath;  // full path of the executable
  PlatformOsVersion os;
  bool win64 = false;
  std::string ntver;
  std::uint32_t languageCode = 1033;
  RunEnvironment environment = RunEnvironment::Desktop;
};

// Fills a record from the facts in the documented order, the "10" prefix rule
// included.
TSysinfo BuildSysinfo(const SysinfoFacts& facts);

}  // namespace lum
