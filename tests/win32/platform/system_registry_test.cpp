// System facts, version resources and the registry of the real machine under
// Wine (a default prefix answers Windows 7 SP1 on a 64-bit machine, locale 2052).
#include <gtest/gtest.h>

#include <cstring>

#include "platform/text.h"
#include "tests/win32/platform/machine_support.h"

namespace lum::win32::test {
namespace {

class SystemTest : public ::testing::Test {
 protected:
  Win32Machine machine;
  Platform p = machine.platform();
};

TEST_F(SystemTest, VersionRecordOfTheDefaultPrefix) {
  std::optional<OsVersionRecord> v = p.system.QueryOsVersion();
  ASSERT_TRUE(v);
  EXPECT_EQ(v->size, 284u);
  EXPECT_EQ(v->major, 6u);
  EXPECT_EQ(v->minor, 1u);
  EXPECT_EQ(v->build, 7601u);
  EXPECT_EQ(v->platformId, 2u);  // VER_PLATFORM_WIN32_NT
  EXPECT_EQ(v->spMajor, 1u);
  EXPECT_EQ(v->csdVersion, "Service Pack 1");
  EXPECT_EQ(v->productType, 1u);  // workstation
}

TEST_F(SystemTest, ArchitectureAndWow64) {
  EXPECT_EQ(p.system.NativeArchitecture(), std::optional<std::uint16_t>(kArchAmd64));
  std::optional<bool> wow = p.system.IsWow64Process();
  ASSERT_TRUE(wow);  // the entry point exists
#if defined(_WIN64)
  EXPECT_FALSE(*wow);  // a 64-bit process is native, not under WOW64
#else
  EXPECT_TRUE(*wow);   // a 32-bit process on the 64-bit prefix
#endif
}

TEST_F(SystemTest, LocaleProcessorsPathAndMemory) {
  EXPECT_EQ(p.system.ThreadLocale(), 2052u);
  EXPECT_GE(p.system.ProcessorCount(), 1);
  std::string exe = p.system.ModuleFileName();
  EXPECT_TRUE(EndsWithAscii(exe, "\\win_platform_test.exe")) << exe;
  EXPECT_EQ(exe[1], ':');
  MemoryStatus m = p.system.Memory();
  EXPECT_GT(m.totalPhys, 0u);
  EXPECT_LE(m.availPhys, m.totalPhys);
  EXPECT_NE(p.system.GetSystemMetrics(0 /* SM_CXSCREEN */), 0);
}

TEST_F(SystemTest, ErrorTextKeepsTheLastError) {
  p.system.SetLastError(1234);
  std::string text = p.system.ErrorMessage(err::FileNotFound);
  EXPECT_FALSE(text.empty());
  EXPECT_GT(static_cast<unsigned char>(text.back()), ' ');  // no trailing line break
  EXPECT_EQ(p.system.LastError(), 1234u);
  EXPECT_EQ(p.system.ErrorMessage(0x2FFFFFFF), "");  // no such message
  EXPECT_EQ(p.system.LastError(), 1234u);
}

TEST_F(SystemTest, NtdllVersionResource) {
  std::string ntdll = p.env.Get("windir") + "\\system32\\ntdll.dll";
  std::optional<Bytes> block = p.versions.Load(ntdll);
  ASSERT_TRUE(block);
  std::optional<Bytes> tr = p.versions.QueryBinary(*block, "\\VarFileInfo\\Translation");
  ASSERT_TRUE(tr);
  ASSERT_GE(tr->size(), 4u);
  char prefix[64];
  std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%02X%02X%02X%02X\\", (*tr)[1], (*tr)[0],
                (*tr)[3], (*tr)[2]);
  std::optional<std::string> pv = p.versions.QueryString(*block, std::string(prefix) + "ProductVersion");
  ASSERT_TRUE(pv);
  EXPECT_TRUE(StartsWithAscii(*pv, "6.1.7601.")) << *pv;
  std::optional<Bytes> fixed = p.versions.QueryBinary(*block, "\\");
  ASSERT_TRUE(fixed);
  ASSERT_EQ(fixed->size(), 52u);  // thirteen 32-bit words
  std::uint32_t signature;
  std::memcpy(&signature, fixed->data(), 4);
  EXPECT_EQ(signature, 0xFEEF04BDu);
}

TEST_F(SystemTest, OwnVersionResourceWithChineseText) {
  std::optional<Bytes> block = p.versions.Load(p.system.ModuleFileName());
  ASSERT_TRUE(block);
  // The lookup of the string table ignores letter case.
  EXPECT_EQ(p.versions.QueryString(*block, "\\StringFileInfo\\080404B0\\ProductName"),
            std::optional<std::string>("测试 Lumora"));
  EXPECT_EQ(p.versions.QueryString(*block, "\\StringFileInfo\\080404b0\\ProductVersion"),
            std::optional<std::string>("5.6.7.8"));
  EXPECT_FALSE(p.versions.QueryString(*block, "\\StringFileInfo\\080404b0\\NoSuchKey"));
  std::optional<Bytes> fixed = p.versions.QueryBinary(*block, "\\");
  ASSERT_TRUE(fixed);
  std::uint32_t words[13];
  ASSERT_EQ(fixed->size(), sizeof words);
  std::memcpy(words, fixed->data(), sizeof words);
  EXPECT_EQ(words[2], 0x00010002u);  // file version 1.2.3.4
  EXPECT_EQ(words[3], 0x00030004u);
}

TEST_F(SystemTest, NoVersionResource) {
  ScratchDir dir;
  std::string f = dir / "plain.txt";
  ASSERT_TRUE(p.files.Write(f, Bytes{'x'}));
  EXPECT_FALSE(p.versions.Load(f));
  EXPECT_FALSE(p.versions.Load(dir / "missing.dll"));
  EXPECT_FALSE(p.versions.QueryString(Bytes{}, "\\"));
}

// Every test works under its own key in HKEY_CURRENT_USER and removes it.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base = "Software\\LumoraTests\\w32-" + std::to_string(::GetCurrentProcessId());
    ASSERT_EQ(p.registry.OpenKey(RegRoot::CurrentUser, base, kKeyAllAccess, true, key), 0);
    ASSERT_NE(key, 0u);
  }
  void TearDown() override {
    p.registry.CloseKey(key);
    p.registry.DeleteKey(RegRoot::CurrentUser, base + "\\child");
    p.registry.DeleteKey(RegRoot::CurrentUser, base);
  }
  static Bytes Utf16z(const std::string& s) {
    std::u16string w = Utf8ToUtf16(s);
    Bytes b;
    for (char16_t c : w) {
      b.push_back(static_cast<std::uint8_t>(c & 0xFF));
      b.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    b.push_back(0);
    b.push_back(0);
    return b;
  }

  Win32Machine machine;
  Platform p = machine.platform();
  std::string base;
  RegHandle key = 0;
};

TEST_F(RegistryTest, ValuesOfEveryTypeRoundTrip) {
  struct Case {
    std::string name;
    std::uint32_t type;
    Bytes data;
  };
  std::vector<Case> cases = {
      {"text", kRegSz, Utf16z("中文 C:\\x")},
      {"number", kRegDword, Bytes{5, 0, 0, 0}},
      {"list", kRegMultiSz, Bytes{'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}},
      {"blob", kRegBinary, Bytes(5000, 0xAB)},  // larger than any first guess
      {"", kRegSz, Utf16z("default value")},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(p.registry.SetValue(key, c.name, c.type, c.data), 0) << c.name;
    std::uint32_t type = 0;
    Bytes data;
    ASSERT_EQ(p.registry.QueryValue(key, c.name, type, data), 0) << c.name;
    EXPECT_EQ(type, c.type) << c.name;
    EXPECT_EQ(data, c.data) << c.name;
  }
  std::vector<std::string> names;
  ASSERT_EQ(p.registry.EnumValues(key, names), 0);
  EXPECT_EQ(names.size(), cases.size());

  EXPECT_EQ(p.registry.DeleteValue(key, "number"), 0);
  std::uint32_t type = 0;
  Bytes data;
  EXPECT_EQ(p.registry.QueryValue(key, "number", type, data), 2);  // ERROR_FILE_NOT_FOUND
  EXPECT_EQ(p.system.LastError(), 2u);
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(p.registry.DeleteValue(key, "number"), 2);
}

TEST_F(RegistryTest, SubkeysOpenEnumerateAndDelete) {
  RegHandle child = 0;
  ASSERT_EQ(p.registry.OpenKey(RegRoot::CurrentUser, base + "\\child", kKeyAllAccess, true, child), 0);
  p.registry.CloseKey(child);
  std::vector<std::string> names;
  ASSERT_EQ(p.registry.EnumSubKeys(key, names), 0);
  EXPECT_EQ(names, std::vector<std::string>{"child"});

  RegHandle ro = 0;
  EXPECT_EQ(p.registry.OpenKey(RegRoot::CurrentUser, base + "\\child", kKeyRead, false, ro), 0);
  p.registry.CloseKey(ro);
  EXPECT_EQ(p.registry.DeleteKey(RegRoot::CurrentUser, base), 5);  // has a subkey: access denied
  EXPECT_EQ(p.registry.DeleteKey(RegRoot::CurrentUser, base + "\\child"), 0);
  RegHandle gone = 0;
  EXPECT_EQ(p.registry.OpenKey(RegRoot::CurrentUser, base + "\\child", kKeyRead, false, gone), 2);
  EXPECT_EQ(gone, 0u);
}

TEST_F(RegistryTest, LocalMachineReadsThroughTheRealRoot) {
  RegHandle h = 0;
  ASSERT_EQ(p.registry.OpenKey(RegRoot::LocalMachine,
                               "Software\\Microsoft\\Windows NT\\CurrentVersion", kKeyRead, false, h),
            0);
  std::uint32_t type = 0;
  Bytes data;
  EXPECT_EQ(p.registry.QueryValue(h, "CurrentVersion", type, data), 0);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(data, Utf16z("6.1"));
  p.registry.CloseKey(h);
  // A bare prefix has no setup key.
  EXPECT_EQ(p.registry.OpenKey(RegRoot::LocalMachine, "SYSTEM\\Setup\\NoSuchKeyHere", kKeyRead,
                               false, h),
            2);
}

}  // namespace
}  // namespace lum::win32::test
