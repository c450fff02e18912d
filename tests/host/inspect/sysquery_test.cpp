// The system information queries against the simulated machine.
#include <gtest/gtest.h>

#include <functional>

#include "inspect/fileversion.h"
#include "inspect/sysquery.h"
#include "platform/sim/sim_machine.h"

using namespace lum;
using lum::sim::SimMachine;

namespace {

std::string LogText(SimMachine& m) {
  std::string raw = m.ReadFile("C:\\Windows\\temp\\OrvekRun.LOG").value_or("");
  return m.platform().codepage.FromAnsi(Bytes(raw.begin(), raw.end()));
}

TEST(GetSysinfo, DefaultWindows7Desktop) {
  SimMachine m;
  TSysinfo s;
  GetSysinfo(m.platform(), s);
  EXPECT_EQ(s.ntver, "6.1.7601.17514");
  EXPECT_EQ(s.namever, "Windows 7");
  EXPECT_EQ(s.hname, "Win7");
  EXPECT_EQ(s.infos, "Windows 7 Service Pack 1 (Version 6.1, Build 7601, 64-bit Edition)");
  EXPECT_EQ(s.weik, " x64");
  EXPECT_EQ(s.spver, "SP1");
  EXPECT_EQ(s.slang, "CN");
  EXPECT_EQ(s.syshj, "桌面环境");
  EXPECT_EQ(s.Toolpath, "C:\\Lumora\\");
  EXPECT_EQ(s.Cpu_count, 4);
  EXPECT_EQ(GetAppVersion(m.platform()), "1.0.0.1");
}

TEST(GetSysinfo, RunEnvironmentCases) {
  struct Case {
    const char* what;
    std::function<void(SimMachine&)> setup;
    const char* syshj;
  };
  const Case cases[] = {
      {"desktop", [](SimMachine&) {}, "桌面环境"},
      {"SystemDrive x:", [](SimMachine& m) { m.SetEnv("SystemDrive", "x:"); }, "PE环境"},
      {"SystemDrive X", [](SimMachine& m) { m.SetEnv("SystemDrive", "X"); }, "PE环境"},
      {"SystemDrive X:\\ is not X:", [](SimMachine& m) { m.SetEnv("SystemDrive", "X:\\"); }, "桌面环境"},
      {"PE Builder key", [](SimMachine& m) {
         m.AddRegKey(RegRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\PE Builder"); }, "PE环境"},
      {"pecmd.exe", [](SimMachine& m) { m.PutFile("C:\\Windows\\PECMD.EXE", ""); }, "PE环境"},
      {"system32 pecmd.ini", [](SimMachine& m) { m.PutFile("C:\\Windows\\system32\\pecmd.ini", ""); }, "PE环境"},
      {"no user name", [](SimMachine& m) { m.UnsetEnv("username"); }, "部署环境"},
      {"user system", [](SimMachine& m) { m.SetEnv("username", "sYsTeM"); }, "部署环境"},
      {"setup in progress", [](SimMachine& m) {
         m.SetRegDword(RegRoot::LocalMachine, "SYSTEM\\Setup", "SystemSetupInProgress", 1); }, "部署环境"},
      {"SetupType absent", [](SimMachine& m) {
         m.DeleteRegValue(RegRoot::LocalMachine, "SYSTEM\\Setup", "SetupType"); }, "部署环境"},
      {"SetupType as text", [](SimMachine& m) {
         m.SetRegString(RegRoot::LocalMachine, "SYSTEM\\Setup", "SetupType", "0"); }, "部署环境"},
      {"English locale", [](SimMachine& m) { m.sys.locale = 1033; }, "Desktop"},
      {"Singapore Chinese", [](SimMachine& m) { m.sys.locale = 4100; m.SetEnv("SystemDrive", "X:"); }, "PE"},
      {"locale 0 reads 1033", [](SimMachine& m) { m.sys.locale = 0; m.UnsetEnv("username"); }, "Deploy"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimMachine m;
    c.setup(m);
    TSysinfo s;
    GetSysinfo(m.platform(), s);
    EXPECT_EQ(s.syshj, c.syshj);
    bool chinese = m.sys.locale == 2052;
    EXPECT_EQ(s.langstr, chinese ? "中文简体" : "非中文简体");
  }
}

TEST(GetSysinfo, VersionsAndBitness) {
  struct Case {
    unsigned major, minor, build, sp;
    bool x64;
    const char *ntdll, *hname, *namever, *infos, *weik;
  };
  const Case cases[] = {
      {6, 1, 7601, 1, false, "6.1.7601.17514", "Win7", "Windows 7",
       "Windows 7 Service Pack 1 (Version 6.1, Build 7601, 32-bit Edition)", " x86"},
      {6, 3, 9600, 0, true, "6.3.9600.17031", "Win8", "Windows 8.1",
       "Windows 8.1 (Version 6.3, Build 0, 64-bit Edition)", " x64"},
      {5, 1, 2600, 3, false, "5.1.2600.5512", "WinXP", "Windows XP",
       "Windows XP Service Pack 3 (Version 5.1, Build 2600, 32-bit Edition)", " x86"},
      {10, 0, 17134, 0, true, "10.0.17134.1", "Win10", "Windows 10",
       "Windows 10 SP0(Ver 10.0.17134.1, x64)", " x64"},
      // Without a Windows 10 manifest the query reports 6.2; the library tells the truth.
      {6, 2, 9200, 0, false, "10.0.10586.0", "Win10", "Windows 10",
       "Windows 10 SP0(Ver 10.0.10586.0, x86)", " x86"},
      {6, 1, 7601, 1, true, "", "Unknown", "Windows 7",
       "Windows 7 Service Pack 1 (Version 6.1, Build 7601, 64-bit Edition)", " x64"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ntdll);
    SimMachine m;
    m.UseWindows(c.major, c.minor, c.build, c.sp, c.x64, c.ntdll);
    TSysinfo s;
    GetSysinfo(m.platform(), s);
    EXPECT_EQ(s.ntver, c.ntdll);
    EXPECT_EQ(s.hname, c.hname);
    EXPECT_EQ(s.namever, c.namever);
    EXPECT_EQ(s.infos, c.infos);
    EXPECT_EQ(s.weik, c.weik);
    EXPECT_EQ(IsWin64(m.platform()), c.x64);
    EXPECT_EQ(GetOSMajorVersion(m.platform()), c.major);
  }
}

TEST(IsWin64, NeedsWow64AndA64BitNativeProcessor) {
  struct Case {
    std::optional<bool> wow64;
    std::optional<std::uint16_t> arch;
    bool want;
  };
  const Case cases[] = {
      {true, kArchAmd64, true},  {true, kArchIa64, true},      {true, kArchIntel, false},
      {false, kArchAmd64, false}, {std::nullopt, kArchAmd64, false}, {true, std::nullopt, false},
  };
  for (const Case& c : cases) {
    SimMachine m;
    m.sys.wow64 = c.wow64;
    m.sys.nativeArch = c.arch;
    EXPECT_EQ(IsWin64(m.platform()), c.want);
  }
}

TEST(GetNtdllVersion, ReadsAndKeepsTheCopyInTemp) {
  SimMachine m;
  EXPECT_FALSE(m.Exists("C:\\Windows\\temp\\ntdll.dll"));
  EXPECT_EQ(GetNtdllVersion(m.platform()), "6.1.7601.17514");
  EXPECT_TRUE(m.Exists("C:\\Windows\\temp\\ntdll.dll"));
  // Later calls read the copy, whatever the system's library says now.
  m.UseWindows(6, 3, 9600, 0, true, "6.3.9600.17031");
  EXPECT_EQ(GetSysClass(m.platform()), "Win7");
  ASSERT_TRUE(m.platform().files.Delete("C:\\Windows\\temp\\ntdll.dll"));
  EXPECT_EQ(GetSysClass(m.platform()), "Win8");

  SimMachine failing;
  failing.Fail("files.Copy", "ntdll");
  EXPECT_EQ(GetNtdllVersion(failing.platform()), "");
  EXPECT_EQ(GetSysClass(failing.platform()), "Unknown");
}

TEST(GetFileVersionInfomation, StringsFixedBlockAndExtraKey) {
  SimMachine m;
  m.PutFile("C:\\a.exe", "MZ");
  sim::FileVersion v = sim::MakeFileVersion(3, 2, 1, 46);
  v.language = 0x0409;
  v.strings.push_back({"CompanyName", "Xunlei"});
  v.strings.push_back({"SpecialBuild", "sb"});
  m.SetFileVersion("C:\\a.exe", v);
  TFileVersionInfomation info;
  info.rComments = "stale";
  ASSERT_TRUE(GetFileVersionInfomation(m.platform(), "C:\\a.exe", info, "SpecialBuild"));
  EXPECT_EQ(info.rCommpanyName, "Xunlei");
  EXPECT_EQ(info.rProductVersion, "3.2.1.46");
  EXPECT_EQ(info.rComments, "");
  EXPECT_EQ(info.rDefineValue, "sb");
  EXPECT_EQ(info.rVsFixedFileInfo[kFixedSignature], 0xFEEF04BDu);
  EXPECT_EQ(FormatFileVersion(info.rVsFixedFileInfo), "3.2.1.46");
  EXPECT_EQ(StringFileInfoPrefix(0x04B00409), "\\StringFileInfo\\040904b0\\");

  v.hasTranslation = false;
  m.SetFileVersion("C:\\a.exe", v);
  ASSERT_TRUE(GetFileVersionInfomation(m.platform(), "C:\\a.exe", info, "SpecialBuild"));
  EXPECT_EQ(info.rProductVersion, "");
  EXPECT_EQ(info.rDefineValue, "");
  EXPECT_EQ(info.rVsFixedFileInfo[kFixedFileVersionLS], (1u << 16) | 46u);

  m.PutFile("C:\\plain.dat", "");
  EXPECT_FALSE(GetFileVersionInfomation(m.platform(), "C:\\plain.dat", info, ""));
  EXPECT_EQ(info.rVsFixedFileInfo[kFixedSignature], 0u);
  EXPECT_EQ(info.rCommpanyName, "");
}

TEST(GetOSMajorVersion, FailureIsLoggedAndGivesZero) {
  SimMachine m;
  OsVersionRecord r;
  ASSERT_TRUE(GetOSVersionInfo(m.platform(), r));
  EXPECT_EQ(r.size, 284u);
  m.Fail("system.GetVersionEx", "", 87);
  EXPECT_FALSE(GetOSVersionInfo(m.platform(), r));
  EXPECT_EQ(r.size, 0u);
  EXPECT_EQ(GetOSMajorVersion(m.platform()), 0u);
  EXPECT_EQ(LogText(m), "2017-08-18 14:05:09 GetOSVersionInfo 加载失败,错误代码：87\r\n");
  // A log that cannot be written does not escape either.
  m.Fail("files.Append");
  EXPECT_EQ(GetOSMajorVersion(m.platform()), 0u);
}

}  // namespace
