#include "inspect/sysquery.h"

#include "inspect/fileversion.h"
#include "inspect/regunit.h"
#include "platform/runlog.h"
#include "platform/text.h"

namespace lum {

std::string GetNtdllVersion(Platform& p) {
  std::string copy = p.env.Get("temp") + "\\ntdll.dll";
  if (!p.files.FileExists(copy))
    p.files.Copy(p.env.Get("windir") + "\\system32\\ntdll.dll", copy, false);
  TFileVersionInfomation info;
  GetFileVersionInfomation(p, copy, info, "");
  return info.rProductVersion;
}

std::string GetSysClass(Platform& p) { return SysClassOf(GetNtdllVersion(p)); }

bool IsPEEnvironment(Platform& p) {
  std::string drive = AsciiUpper(p.env.Get("SystemDrive"));
  std::string windir = p.env.Get("windir");
  // Every test is made, as the start-up report expects of a full inspection.
  bool pe = false;
  pe |= drive == "X";
  pe |= drive == "X:";
  pe |= RegKeyExists(p, RegRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\PE Builder");
  pe |= p.files.FileExists(windir + "\\pecmd.exe");
  pe |= p.files.FileExists(windir + "\\system32\\pecmd.exe");
  pe |= p.files.FileExists(windir + "\\pecmd.ini");
  pe |= p.files.FileExists(windir + "\\system32\\pecmd.ini");
  return pe;
}

RunEnvironment ReadRunEnvironment(Platform& p) {
  bool pe = IsPEEnvironment(p);
  std::string user = p.env.Get("username");
  std::int32_t inProgress =
      RegReadInteger(p, RegRoot::LocalMachine, "SYSTEM\\Setup", "SystemSetupInProgress");
  std::int32_t setupType = RegReadInteger(p, RegRoot::LocalMachine, "SYSTEM\\Setup", "SetupType");
  return DecideRunEnvironment(pe, user, inProgress, setupType);
}

bool IsWin64(Platform& p) {
  std::optional<bool> wow = p.system.IsWow64Process();
  if (!wow || !*wow) return false;
  std::optional<std::uint16_t> arch = p.system.NativeArchitecture();
  return arch && (*arch == kArchAmd64 || *arch == kArchIa64);
}

bool GetOSVersionInfo(Platform& p, OsVersionRecord& info) {
  info.size = 284;
  std::optional<OsVersionRecord> v = p.system.QueryOsVersion();
  if (!v) {
    info.size = 0;
    return false;
  }
  info = *v;
  info.size = 284;
  return true;
}

std::uint32_t GetOSMajorVersion(Platform& p) {
  try {
    OsVersionRecord info;
    if (GetOSVersionInfo(p, info)) return info.major;
    WriteRunLog(p, "GetOSVersionInfo 加载失败,错误代码：" + std::to_string(p.system.LastError()));
  } catch (...) {
  }
  return 0;
}

SysinfoFacts GatherSysinfoFacts(Platform& p) {
  SysinfoFacts f;
  f.processorCount = p.system.ProcessorCount();
  f.modulePath = p.system.ModuleFileName();
  f.os = ReadPlatformOsVersion(p);
  f.win64 = IsWin64(p);
  f.ntver = GetNtdllVersion(p);
  f.languageCode = LanguageCode(p.system.ThreadLocale());
  f.environment = ReadRunEnvironment(p);
  return f;
}

void GetSysinfo(Platform& p, TSysinfo& info) { info = BuildSysinfo(GatherSysinfoFacts(p)); }

}  // namespace lum
