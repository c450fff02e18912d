// The system information decisions as plain functions of their inputs.
#include <gtest/gtest.h>

#include "inspect/sysinfo.h"

using namespace lum;

namespace {

TEST(SysClass, TableOfLibraryVersions) {
  const std::pair<const char*, const char*> cases[] = {
      {"6.1.7601.17514", "Win7"}, {"6.2.9200.16384", "Win7"},   {"6.3.9600.17031", "Win8"},
      {"5.2.3790.3959", "WinXP"}, {"5.1.2600.5512", "WinXP"},   {"5.0.2195.6717", "Win2000"},
      {"6.0.6002.18005", "Win7"}, {"10.0.17134.1", "Win10"},    {"6.4.9841.0", "Unknown"},
      {"10", "Unknown"},          {"", "Unknown"},              {"6,1,7601", "Unknown"},
      {" 6.1.7601", "Unknown"},   {"6.1", "Win7"},              {"10.0", "Win10"},
  };
  for (auto [ver, cls] : cases) EXPECT_EQ(SysClassOf(ver), cls) << "'" << ver << "'";
}

struct NameCase {
  unsigned major, minor;
  bool workstation, amd64, r2;
  const char* name;
};

TEST(OsDescriptor, ProductNameTable) {
  const NameCase cases[] = {
      {5, 0, true, false, false, "Windows 2000"},
      {5, 0, false, false, false, "Windows 2000"},
      {5, 1, true, false, false, "Windows XP"},
      {5, 2, true, true, false, "Windows XP"},
      {5, 2, true, false, false, "Windows Server 2003"},
      {5, 2, false, true, true, "Windows Server 2003 R2"},
      {5, 2, false, false, false, "Windows Server 2003"},
      {6, 0, true, true, false, "Windows Vista"},
      {6, 0, false, true, false, "Windows Server 2008"},
      {6, 1, true, false, false, "Windows 7"},
      {6, 1, false, true, false, "Windows Server 2008 R2"},
      {6, 2, true, true, false, "Windows 8"},
      {6, 2, false, true, false, "Windows Server 2012"},
      {6, 3, true, true, false, "Windows 8.1"},
      {6, 3, false, true, false, "Windows Server 2012 R2"},
      {6, 4, true, true, false, "Windows"},
      {10, 0, true, true, false, "Windows"},
      {4, 0, true, false, false, "Windows"},
  };
  for (const NameCase& c : cases)
    EXPECT_EQ(OsProductName(c.major, c.minor, c.workstation, c.amd64, c.r2), c.name)
        << c.major << "." << c.minor << " ws=" << c.workstation << " amd64=" << c.amd64;
}

TEST(OsDescriptor, DescriptorLines) {
  PlatformOsVersion w7{"Windows 7", 6, 1, 7601, 1, true, true};
  EXPECT_EQ(DescriptorLine(w7), "Windows 7 Service Pack 1 (Version 6.1, Build 7601, 64-bit Edition)");
  PlatformOsVersion w81{"Windows 8.1", 6, 3, 0, 0, true, true};
  EXPECT_EQ(DescriptorLine(w81), "Windows 8.1 (Version 6.3, Build 0, 64-bit Edition)");
  PlatformOsVersion xp{"Windows XP", 5, 1, 2600, 3, true, false};
  EXPECT_EQ(DescriptorLine(xp), "Windows XP Service Pack 3 (Version 5.1, Build 2600, 32-bit Edition)");
}

TEST(RunEnvironmentRule, OrderOfTheRules) {
  struct Case {
    bool pe;
    const char* user;
    int inProgress, setupType;
    RunEnvironment want;
  };
  const Case cases[] = {
      {true, "Admin", 0, 0, RunEnvironment::PE},
      {false, "", 0, 0, RunEnvironment::Deployment},
      {false, "Admin", 1, 0, RunEnvironment::Deployment},
      {false, "SYSTEM", 0, 0, RunEnvironment::Deployment},
      {false, "system", 0, 0, RunEnvironment::Deployment},
      {false, "SyStEm", -1, 0, RunEnvironment::Deployment},
      {false, "Admin", 0, 0, RunEnvironment::Desktop},
      {false, "Admin", -1, 0, RunEnvironment::Desktop},
      {false, "Admin", 0, -1, RunEnvironment::Deployment},  // SetupType absent
      {false, "Admin", 0, 2, RunEnvironment::Deployment},
      {false, "systemd", 0, 0, RunEnvironment::Desktop},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecideRunEnvironment(c.pe, c.user, c.inProgress, c.setupType), c.want)
        << c.pe << " '" << c.user << "' " << c.inProgress << " " << c.setupType;
  EXPECT_EQ(RunEnvironmentLabel(RunEnvironment::PE, true), "PE环境");
  EXPECT_EQ(RunEnvironmentLabel(RunEnvironment::Deployment, true), "部署环境");
  EXPECT_EQ(RunEnvironmentLabel(RunEnvironment::Desktop, true), "桌面环境");
  EXPECT_EQ(RunEnvironmentLabel(RunEnvironment::PE, false), "PE");
  EXPECT_EQ(RunEnvironmentLabel(RunEnvironment::Deployment, false), "Deploy");
  EXPECT_EQ(RunEnvironmentLabel(RunEnvironment::Desktop, false), "Desktop");
}

TEST(LanguageRule, OnlyWhole2052IsChinese) {
  EXPECT_EQ(LanguageCode(0), 1033u);
  EXPECT_EQ(LanguageCode(2052), 2052u);
  EXPECT_TRUE(IsSimplifiedChinese(2052));
  for (std::uint32_t lcid : {4100u, 1028u, 3076u, 1033u, 0x0004u}) EXPECT_FALSE(IsSimplifiedChinese(lcid)) << lcid;
}

SysinfoFacts Facts(const std::string& ntver, bool win64, std::uint32_t lcid) {
  SysinfoFacts f;
  f.processorCount = 8;
  f.modulePath = "D:\\Tools\\Lumora.exe";
  f.os = PlatformOsVersion{"Windows", 6, 2, 0, 0, true, win64};
  f.win64 = win64;
  f.ntver = ntver;
  f.languageCode = lcid;
  f.environment = RunEnvironment::Desktop;
  return f;
}

TEST(BuildSysinfo, RecordFieldsAndThe10PrefixRule) {
  struct Case {
    const char* ntver;
    bool win64;
    const char *hname, *namever, *infos, *weik;
  };
  const char* desc64 = "Windows (Version 6.2, Build 0, 64-bit Edition)";
  const char* desc32 = "Windows (Version 6.2, Build 0, 32-bit Edition)";
  const Case cases[] = {
      {"10.0.10586.0", true, "Win10", "Windows 10", "Windows 10 SP0(Ver 10.0.10586.0, x64)", " x64"},
      {"10.0.10586.0", false, "Win10", "Windows 10", "Windows 10 SP0(Ver 10.0.10586.0, x86)", " x86"},
      {"10.0.17134.1", true, "Win10", "Windows 10", "Windows 10 SP0(Ver 10.0.17134.1, x64)", " x64"},
      {"10", true, "Win10", "Windows 10", "Windows 10 SP0(Ver 10, x64)", " x64"},
      {"", true, "Unknown", "Windows", desc64, " x64"},
      {"6.2.9200.16384", false, "Win7", "Windows", desc32, " x86"},
      {"1", true, "Unknown", "Windows", desc64, " x64"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ntver);
    TSysinfo s = BuildSysinfo(Facts(c.ntver, c.win64, 2052));
    EXPECT_EQ(s.ntver, c.ntver);
    EXPECT_EQ(s.hname, c.hname);
    EXPECT_EQ(s.namever, c.namever);
    EXPECT_EQ(s.infos, c.infos);
    EXPECT_EQ(s.weik, c.weik);
    EXPECT_EQ(s.spver, "SP0");
    EXPECT_EQ(s.Toolbit, "x86");
    EXPECT_EQ(s.Toolpath, "D:\\Tools\\");
    EXPECT_EQ(s.Cpu_count, 8);
    EXPECT_EQ(s.slang, "CN");
    EXPECT_EQ(s.langstr, "中文简体");
    EXPECT_EQ(s.syshj, "桌面环境");
    EXPECT_TRUE(s.lang.empty() && s.langtype.empty() && s.langtip.empty() && s.disktoppath.empty());
  }
  TSysinfo sg = BuildSysinfo(Facts("6.1.7601.17514", true, 4100));
  EXPECT_EQ(sg.slang, "EN");
  EXPECT_EQ(sg.langstr, "非中文简体");
  EXPECT_EQ(sg.syshj, "Desktop");
}

}  // namespace
