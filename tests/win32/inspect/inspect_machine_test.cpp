// The shared process, registry, file and volume operations on the real
// machine under Wine, in the shared test prefix.
#include <gtest/gtest.h>

#include "inspect/oserror.h"
#include "inspect/processes.h"
#include "inspect/regunit.h"
#include "inspect/resources.h"
#include "inspect/sysquery.h"
#include "inspect/volumes.h"
#include "platform/text.h"
#include "tests/win32/platform/machine_support.h"

namespace lum::win32::test {
namespace {

class InspectTest : public ::testing::Test {
 protected:
  Win32Machine machine;
  Platform p = machine.platform();
};

TEST_F(InspectTest, RunAndCaptureDecodesAndEndsEveryLine) {
  struct Case {
    std::string args, expected;
  };
  const Case cases[] = {
      {"silent", ""},
      {"text no-line-break", "no-line-break\r\n"},
      {"hex 610D0A620A630D64", "a\r\nb\r\nc\r\nd\r\n"},  // CR LF, LF, CR all count
      {"hex D6D0CEC40A", "中文\r\n"},                      // the ANSI code page: GBK
      {"hex EFBBBFE4B8AD", "中\r\n"},                      // a UTF-8 mark
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RunAndCapture(p, ChildCommand(c.args)), c.expected) << c.args;
  }
}

TEST_F(InspectTest, RunAndCaptureOfMoreThan64KiB) {
  constexpr int kLines = 10000;  // 120000 bytes: more than any pipe buffer
  std::string out = RunAndCapture(p, ChildCommand("big " + std::to_string(12 * kLines)));
  ASSERT_EQ(out.size(), static_cast<std::size_t>(13 * kLines) + 9);
  EXPECT_EQ(out.substr(0, 13), "line 000001\r\n");
  EXPECT_EQ(out.substr(13 * (kLines - 1), 13), "line 010000\r\n");
  EXPECT_EQ(out.substr(out.size() - 9), "err-end\r\n");
}

TEST_F(InspectTest, RunAndCaptureRaisesWhenTheProgramCannotStart) {
  try {
    RunAndCapture(p, "C:\\no\\such\\tool.exe");
    FAIL() << "no error raised";
  } catch (const OsError& e) {
    EXPECT_NE(e.code(), 0u);
    EXPECT_STRNE(e.what(), "");
    EXPECT_EQ(std::string(e.what()), p.system.ErrorMessage(e.code()));
  }
}

TEST_F(InspectTest, RunAndWaitCodes) {
  EXPECT_EQ(RunAndWait(p, ChildCommand("exit 9"), -1, kShowHide), 9u);
  EXPECT_EQ(RunAndWait(p, "C:\\no\\such\\tool.exe", -1, kShowHide), 0u);
}

TEST_F(InspectTest, RunAndWaitWithoutWaitingAndKillByName) {
  // A copy under a name of its own, so that no other test's child is ended.
  ScratchDir dir;
  std::string name = "LumKill" + std::to_string(::GetCurrentProcessId()) + ".exe";
  std::string exe = dir / name;
  ASSERT_TRUE(p.files.Copy(ProgramDir() + "platform_child.exe", exe, false));
  EXPECT_EQ(RunAndWait(p, "\"" + exe + "\" sleep 30000", 0, kShowHide), kStillActive);

  bool running = false;
  for (const ProcessEntry& e : p.processes.Snapshot())
    running = running || ProcessNameMatches(e.exeFile, name);
  ASSERT_TRUE(running);
  EXPECT_TRUE(KillProcessesByName(p, AsciiLower(name)));  // letter case ignored
  for (int i = 0; i < 50 && running; ++i) {
    p.clock.Sleep(100);
    running = false;
    for (const ProcessEntry& e : p.processes.Snapshot())
      running = running || ProcessNameMatches(e.exeFile, name);
  }
  EXPECT_FALSE(running);
  EXPECT_FALSE(KillProcessesByName(p, name));  // nothing left to match
  p.clock.Sleep(200);  // let the ended process release its file
}

class InspectRegistryTest : public InspectTest {
 protected:
  void SetUp() override {
    key = "Software\\LumoraTests\\w32-inspect-" + std::to_string(::GetCurrentProcessId());
    TRegistry reg(p.registry);
    reg.SetRootKey(RegRoot::CurrentUser);
    ASSERT_TRUE(reg.OpenKey(key, true));
    ASSERT_TRUE(reg.WriteString("text", "12"));
    ASSERT_TRUE(reg.WriteInteger("number", 1));
  }
  void TearDown() override { p.registry.DeleteKey(RegRoot::CurrentUser, key); }
  std::string key;
};

TEST_F(InspectRegistryTest, ReadIntegerOnlyForDwordValues) {
  EXPECT_EQ(RegReadInteger(p, RegRoot::CurrentUser, key, "number"), 1);
  EXPECT_EQ(RegReadInteger(p, RegRoot::CurrentUser, key, "text"), -1);  // REG_SZ
  EXPECT_EQ(RegReadInteger(p, RegRoot::CurrentUser, key, "missing"), -1);
  EXPECT_EQ(RegReadInteger(p, RegRoot::CurrentUser, key + "\\nope", "number"), -1);
  EXPECT_TRUE(RegKeyExists(p, RegRoot::CurrentUser, key));
  EXPECT_FALSE(RegKeyExists(p, RegRoot::CurrentUser, key + "\\nope"));
  // A bare prefix has no setup key.
  EXPECT_EQ(RegReadInteger(p, RegRoot::LocalMachine, "SYSTEM\\Setup", "SetupType"), -1);
}

TEST_F(InspectRegistryTest, MultiStringsRoundTrip) {
  TRegistry reg(p.registry);
  reg.SetRootKey(RegRoot::CurrentUser);
  ASSERT_TRUE(reg.OpenKey(key, false));
  const std::vector<std::vector<std::string>> lists = {
      {"one", "二", "C:\\three"}, {"single"}, {}};
  for (const auto& list : lists) {
    reg.WriteMULTIStrings("multi", list);
    std::vector<std::string> back = {"stale"};
    reg.ReadMULTIStrings("multi", back);
    EXPECT_EQ(back, list);
  }
  // The stored data is REG_MULTI_SZ: each string with its NUL, and one more.
  reg.WriteMULTIStrings("multi", {"a", "bc"});
  std::uint32_t type = 0;
  Bytes data;
  RegHandle h = 0;
  ASSERT_EQ(p.registry.OpenKey(RegRoot::CurrentUser, key, kKeyRead, false, h), 0);
  ASSERT_EQ(p.registry.QueryValue(h, "multi", type, data), 0);
  p.registry.CloseKey(h);
  EXPECT_EQ(type, kRegMultiSz);
  EXPECT_EQ(data, (Bytes{'a', 0, 0, 0, 'b', 0, 'c', 0, 0, 0, 0, 0}));
  std::vector<std::string> none = {"stale"};
  reg.ReadMULTIStrings("missing", none);
  EXPECT_TRUE(none.empty());
}

TEST_F(InspectTest, DeleteFileOrTree) {
  ScratchDir dir;
  std::string tree = dir / "tree";
  ASSERT_TRUE(ForceDirectories(p.files, tree + "\\a\\b"));
  ASSERT_TRUE(p.files.Write(tree + "\\a\\b\\file.txt", Bytes{'x'}));
  ASSERT_TRUE(p.files.Write(tree + "\\top.txt", Bytes{'y'}));
  ASSERT_TRUE(p.files.SetAttributes(tree + "\\top.txt", kAttrReadOnly | kAttrHidden));
  EXPECT_TRUE(DeleteFileOrTree(p, tree));
  EXPECT_FALSE(p.files.DirExists(tree));

  std::string file = dir / "plain.txt";
  ASSERT_TRUE(p.files.Write(file, Bytes{'z'}));
  EXPECT_TRUE(DeleteFileOrTree(p, file));
  EXPECT_FALSE(p.files.FileExists(file));

  EXPECT_FALSE(DeleteFileOrTree(p, dir / "missing"));
}

TEST_F(InspectTest, ReleaseResourceWritesTheBytes) {
  ScratchDir dir;
  std::string target = dir / "released.bin";
  ASSERT_TRUE(ReleaseResource(p, "txt", "lumtest", target));
  EXPECT_EQ(p.files.Read(target), p.resources.Find("TXT", "LUMTEST"));
  EXPECT_FALSE(ReleaseResource(p, "TXT", "LUMTEST", dir / "no-folder\\x.bin"));
}

TEST_F(InspectTest, VolumeQueriesOfTheSystemDrive) {
  EXPECT_EQ(GetVolumeDiskNumber(p, "C:"), 0);
  EXPECT_EQ(GetVolumePartitionNumber(p, "c:\\"), 1);
  EXPECT_EQ(GetVolumeDiskNumber(p, "Z"), -1);  // the host's root
  EXPECT_FALSE(IsUsbVolume(p, "C"));
  EXPECT_FALSE(GetDosDeviceName(p, "C:").empty());
  EXPECT_TRUE(DriveExists(p, 'C'));
  EXPECT_TRUE(DriveExists(p, 'Z'));
  // The free letter is the highest one that does not answer; all above it do.
  std::string letter = GetFreeDriveLetter(p);
  ASSERT_EQ(letter.size(), 2u);
  EXPECT_EQ(letter[1], ':');
  EXPECT_FALSE(DriveExists(p, letter[0]));
  for (char c = 'Z'; c > letter[0]; --c) EXPECT_TRUE(DriveExists(p, c)) << c;
  EXPECT_GE(CountFixedVolumes(p), 1);  // C: at least; Z: never
}

TEST_F(InspectTest, SystemInformationOfTheDefaultPrefix) {
  TSysinfo info;
  GetSysinfo(p, info);
  EXPECT_EQ(info.infos, "Windows 7 Service Pack 1 (Version 6.1, Build 7601, 64-bit Edition)");
  EXPECT_EQ(info.namever, "Windows 7");
  EXPECT_EQ(info.spver, "SP1");
  EXPECT_EQ(info.slang, "CN");
  EXPECT_EQ(info.langstr, "中文简体");
  EXPECT_EQ(info.syshj, "部署环境");  // no SetupType value in a bare prefix
  EXPECT_EQ(info.Toolbit, "x86");
  EXPECT_EQ(info.Toolpath, ProgramDir());
  EXPECT_GE(info.Cpu_count, 1);
#if defined(_WIN64)
  EXPECT_EQ(info.weik, " x86");  // a 64-bit process is not under WOW64
#else
  EXPECT_EQ(info.weik, " x64");
#endif
  EXPECT_EQ(GetOSMajorVersion(p), 6u);
}

}  // namespace
}  // namespace lum::win32::test
