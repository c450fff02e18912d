// The simulated machine answers as Windows would where the program relies on it.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/sim/sim_machine.h"

using namespace lum;
using lum::sim::SimMachine;

namespace {

Bytes B(std::string_view s) { return Bytes(s.begin(), s.end()); }
std::string S(const Bytes& b) { return std::string(b.begin(), b.end()); }

TEST(SimFiles, PathsResolveCaseInsensitivelyWithEitherSeparator) {
  SimMachine m;
  m.PutFile("C:\\Boot\\BCD.log", "x");
  IFiles& f = m.platform().files;
  for (const char* path : {"C:\\Boot\\BCD.log", "c:\\boot\\bcd.LOG", "C:/BOOT/bcd.log",
                           "C:\\Windows\\..\\Boot\\.\\bcd.log"}) {
    SCOPED_TRACE(path);
    EXPECT_TRUE(f.FileExists(path));
    EXPECT_EQ(f.Read(path).value_or(Bytes{}), B("x"));
  }
  // A write through another spelling replaces the same file, keeping its name.
  ASSERT_TRUE(f.Write("c:\\BOOT\\bcd.log", B("yz")));
  EXPECT_EQ(m.TreeText("C:\\Boot"), "BCD.log 0x20 2\n");
  EXPECT_FALSE(f.FileExists("Boot\\BCD.log"));  // relative paths name nothing
  EXPECT_FALSE(f.FileExists("Q:\\x"));
}

struct FileCase {
  const char* what;
  std::function<bool(IFiles&)> op;
  std::uint32_t error;
};

TEST(SimFiles, FailuresCarryWindowsErrorCodes) {
  const FileCase cases[] = {
      {"write to a read-only file", [](IFiles& f) { return f.Write("C:\\ro.txt", B("n")); }, 5},
      {"delete a read-only file", [](IFiles& f) { return f.Delete("C:\\ro.txt"); }, 5},
      {"append to a read-only file", [](IFiles& f) { return f.Append("C:\\ro.txt", B("n")); }, 5},
      {"delete a folder", [](IFiles& f) { return f.Delete("C:\\dir"); }, 5},
      {"delete a missing file", [](IFiles& f) { return f.Delete("C:\\nope.txt"); }, 2},
      {"delete in a missing folder", [](IFiles& f) { return f.Delete("C:\\no\\x.txt"); }, 3},
      {"create an existing folder", [](IFiles& f) { return f.CreateDir("C:\\DIR"); }, 183},
      {"create below a missing parent", [](IFiles& f) { return f.CreateDir("C:\\a\\b"); }, 3},
      {"write below a missing parent", [](IFiles& f) { return f.Write("C:\\a\\b.txt", B("")); }, 3},
      {"copy onto an existing file", [](IFiles& f) { return f.Copy("C:\\dir\\a.txt", "C:\\ro.txt", true); }, 80},
      {"copy a missing file", [](IFiles& f) { return f.Copy("C:\\none", "C:\\x", false); }, 2},
      {"remove a folder with content", [](IFiles& f) { return f.RemoveDir("C:\\dir"); }, 145},
      {"read a folder", [](IFiles& f) { return f.Read("C:\\dir").has_value(); }, 5},
      {"tree-delete a missing path", [](IFiles& f) { return f.DeleteTree("C:\\none"); }, 2},
      {"write to a drive without medium", [](IFiles& f) { return f.Write("E:\\x", B("")); }, 21},
  };
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.what);
    SimMachine m;
    m.AddDrive('E', {.type = kDriveCdrom, .media = false});
    m.PutFile("C:\\ro.txt", "old");
    m.PutFile("C:\\dir\\a.txt", "a");
    ASSERT_TRUE(m.platform().files.SetAttributes("C:\\ro.txt", kAttrReadOnly | kAttrArchive));
    m.platform().system.SetLastError(0);
    EXPECT_FALSE(c.op(m.platform().files));
    EXPECT_EQ(m.LastError(), c.error);
    EXPECT_EQ(m.ReadFile("C:\\ro.txt").value_or(""), "old");
  }
}

TEST(SimFiles, TreeOperationsAndAttributesFollowTheFiles) {
  SimMachine m;
  IFiles& f = m.platform().files;
  m.PutFile("C:\\work\\sub\\a.bin", "abc");
  EXPECT_EQ(f.GetAttributes("C:\\work"), kAttrDirectory);
  EXPECT_EQ(f.GetAttributes("C:\\work\\sub\\a.bin"), kAttrArchive);
  EXPECT_EQ(f.GetAttributes("C:\\missing"), kInvalidAttributes);
  ASSERT_TRUE(f.SetAttributes("C:\\work\\sub\\a.bin", 0x07));
  ASSERT_TRUE(f.Move("C:\\work\\sub", "C:\\work\\moved"));
  EXPECT_EQ(m.TreeText("C:\\work"), "moved\\ 0x10 0\nmoved\\a.bin 0x07 3\n");
  ASSERT_TRUE(f.Copy("C:\\work\\moved\\a.bin", "C:\\copy.bin", false));
  EXPECT_EQ(m.Attributes("C:\\copy.bin"), 0x07u);
  ASSERT_TRUE(f.SetAttributes("C:\\copy.bin", 0x20));
  ASSERT_TRUE(f.Delete("C:\\copy.bin"));
  ASSERT_TRUE(f.DeleteTree("C:\\work"));
  EXPECT_FALSE(m.Exists("C:\\work"));
  // A later file of the same name starts with the default attributes again.
  m.PutFile("C:\\work\\moved\\a.bin", "");
  EXPECT_EQ(m.Attributes("C:\\work\\moved\\a.bin"), kAttrArchive);
  ASSERT_TRUE(f.Append("C:\\work\\log.txt", B("1")));
  ASSERT_TRUE(f.Append("C:\\work\\log.txt", B("2")));
  EXPECT_EQ(m.ReadFile("C:\\work\\log.txt").value_or(""), "12");
  EXPECT_EQ(f.ReadPrefix("C:\\work\\log.txt", 1).value_or(Bytes{}), B("1"));
  EXPECT_EQ(f.Size("C:\\work\\log.txt").value_or(0), 2u);
  std::vector<DirEntry> list = f.List("C:\\work");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "log.txt");
  EXPECT_TRUE(list[1].isDir);
}

TEST(SimVersions, ResourcesAnswerQueriesAndTravelWithTheFile) {
  SimMachine m;
  m.PutFile("C:\\tool.exe", "MZ");
  sim::FileVersion v = sim::MakeFileVersion(2, 5, 0, 7);
  v.strings.push_back({"CompanyName", "Lumora"});
  m.SetFileVersion("C:\\TOOL.EXE", v);
  ASSERT_TRUE(m.platform().files.Move("C:\\tool.exe", "C:\\Windows\\tool.exe"));
  ASSERT_TRUE(m.platform().files.Copy("C:\\Windows\\tool.exe", "C:\\t2.exe", false));
  IVersionInfo& vi = m.platform().versions;
  EXPECT_FALSE(vi.Load("C:\\tool.exe").has_value());
  std::optional<Bytes> block = vi.Load("c:\\t2.exe");
  ASSERT_TRUE(block);
  EXPECT_EQ(vi.QueryString(*block, "\\StringFileInfo\\080404B0\\companyname").value_or(""), "Lumora");
  EXPECT_EQ(vi.QueryString(*block, "\\StringFileInfo\\080404b0\\ProductVersion").value_or(""), "2.5.0.7");
  EXPECT_FALSE(vi.QueryString(*block, "\\StringFileInfo\\040904b0\\CompanyName"));
  EXPECT_EQ(vi.QueryBinary(*block, "\\VarFileInfo\\Translation").value_or(Bytes{}),
            (Bytes{0x04, 0x08, 0xB0, 0x04}));
  Bytes fixed = vi.QueryBinary(*block, "\\").value_or(Bytes{});
  ASSERT_EQ(fixed.size(), 52u);
  EXPECT_EQ(fixed[0] | fixed[1] << 8 | fixed[2] << 16 | fixed[3] << 24, 0xFEEF04BD);
  EXPECT_EQ(fixed[8] | fixed[9] << 8 | fixed[10] << 16 | fixed[11] << 24, (2 << 16) | 5);
  m.PutFile("C:\\plain.txt", "");
  EXPECT_FALSE(vi.Load("C:\\plain.txt"));
  EXPECT_EQ(m.LastError(), err::ResourceTypeNotFound);
}

TEST(SimEnvironment, DefaultsAndCaseInsensitiveNames) {
  SimMachine m;
  IEnvironment& env = m.platform().env;
  EXPECT_EQ(env.Get("SYSTEMDRIVE"), "C:");
  EXPECT_EQ(env.Get("WinDir"), "C:\\Windows");
  EXPECT_TRUE(m.platform().files.DirExists(env.Get("temp")));
  EXPECT_FALSE(env.Get("username").empty());
  env.Set("Temp", "D:\\t");
  EXPECT_EQ(env.Get("TEMP"), "D:\\t");
  m.UnsetEnv("temp");
  EXPECT_FALSE(env.Has("temp"));
  EXPECT_EQ(env.Get("temp"), "");
}

TEST(SimRegistry, KeysValuesTypesAndAccess) {
  SimMachine m;
  IRegistry& r = m.platform().registry;
  m.SetRegDword(RegRoot::LocalMachine, "SYSTEM\\Setup", "SetupType", 0);
  RegHandle h = 0;
  ASSERT_EQ(r.OpenKey(RegRoot::LocalMachine, "system\\SETUP", kKeyRead, false, h), 0);
  std::uint32_t type = 0;
  Bytes data;
  ASSERT_EQ(r.QueryValue(h, "setuptype", type, data), 0);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(data, (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(r.QueryValue(h, "Missing", type, data), 2);
  EXPECT_EQ(r.SetValue(h, "X", kRegSz, Bytes{}), 5);  // opened for reading only
  r.CloseKey(h);
  EXPECT_EQ(r.OpenKey(RegRoot::LocalMachine, "SYSTEM\\Nope", kKeyRead, false, h), 2);
  ASSERT_EQ(r.OpenKey(RegRoot::LocalMachine, "SOFTWARE\\Lumora\\Sub", kKeyAllAccess, true, h), 0);
  ASSERT_EQ(r.SetValue(h, "Bin", kRegBinary, Bytes{1, 2, 3}), 0);
  r.CloseKey(h);
  EXPECT_EQ(m.RegValue(RegRoot::LocalMachine, "software\\lumora\\sub", "BIN")->data, (Bytes{1, 2, 3}));
  EXPECT_EQ(r.DeleteKey(RegRoot::LocalMachine, "SOFTWARE\\Lumora"), 5);  // has a subkey
  EXPECT_EQ(r.DeleteKey(RegRoot::LocalMachine, "SOFTWARE\\Lumora\\Sub"), 0);
  EXPECT_FALSE(m.RegKeyPresent(RegRoot::LocalMachine, "SOFTWARE\\Lumora\\Sub"));
  EXPECT_FALSE(m.RegKeyPresent(RegRoot::CurrentUser, "SYSTEM\\Setup"));
}

TEST(SimCodePage, Gbk936RoundTripAndUnmappableCharacters) {
  SimMachine m;
  ICodePage& cp = m.platform().codepage;
  EXPECT_EQ(cp.Acp(), 936u);
  EXPECT_EQ(cp.ToAnsi("程序版本：1"), (Bytes{0xB3, 0xCC, 0xD0, 0xF2, 0xB0, 0xE6, 0xB1, 0xBE, 0xA3, 0xBA, '1'}));
  EXPECT_EQ(cp.FromAnsi(cp.ToAnsi("错误：磁盘 ABC")), "错误：磁盘 ABC");
  EXPECT_EQ(S(cp.ToAnsi("a\xF0\x9F\x98\x80" "b")), "a?b");  // an emoji has no GBK code
  EXPECT_EQ(S(cp.ToAnsi("\xD7\xA9")), "?");                  // Hebrew shin neither
  m.SetCodePage(1252);
  EXPECT_EQ(cp.ToAnsi("é"), (Bytes{0xE9}));
}

TEST(SimPrograms, HandlersByPrefixRecordedInOrder) {
  SimMachine m;
  std::vector<std::string> seen;
  m.RegisterProgram("cmd /c", [&](sim::SimRun& r) { seen.push_back("cmd:" + r.commandLine); return 1; });
  m.RegisterProgram("CMD /C SHUTDOWN", [&](sim::SimRun& r) { seen.push_back("shutdown"); return 0; });
  m.RegisterProgram("C:\\t\\FerroYX.exe", [](sim::SimRun& r) { r.Write("row\r\n"); return 0; });
  IProcesses& p = m.platform().processes;
  auto h1 = p.Start("cmd /c shutdown /r /t 0 ", 0);
  auto h2 = p.Start("cmd /c dir", 0);
  ASSERT_TRUE(h1 && h2);
  EXPECT_EQ(p.ExitCode(*h1), 0u);
  EXPECT_EQ(p.ExitCode(*h2), 1u);
  EXPECT_EQ(seen, (std::vector<std::string>{"shutdown", "cmd:cmd /c dir"}));
  EXPECT_FALSE(p.Start("notepad.exe", 0));
  EXPECT_EQ(m.LastError(), err::FileNotFound);
  int pumps = 0;
  CaptureResult c = p.RunCaptured("c:\\T\\ferroyx.exe -l", [&] { ++pumps; });
  EXPECT_TRUE(c.ok);
  EXPECT_EQ(S(c.output), "row\r\n");
  EXPECT_GE(pumps, 1);
  EXPECT_EQ(m.Started(), (std::vector<std::string>{"cmd /c shutdown /r /t 0 ", "cmd /c dir",
                                                   "c:\\T\\ferroyx.exe -l"}));
  EXPECT_EQ(m.FailedStarts(), (std::vector<std::string>{"notepad.exe"}));
}

TEST(SimPrograms, RunningProcessesLiveInSimulatedTime) {
  SimMachine m;
  m.RegisterProgram("slow", [](sim::SimRun&) { return sim::SimExit::RunningFor(250, 7); });
  m.RegisterProgram("forever", [](sim::SimRun&) { return sim::SimExit::Running(); });
  IProcesses& p = m.platform().processes;
  std::uint64_t t0 = m.Tick();
  auto h = p.Start("slow", 0);
  EXPECT_EQ(p.Wait(*h, 100), kWaitTimeout);
  EXPECT_EQ(p.ExitCode(*h), kStillActive);
  EXPECT_EQ(p.Wait(*h, 0xFFFFFFFFu), kWaitObject0);
  EXPECT_EQ(p.ExitCode(*h), 7u);
  EXPECT_EQ(m.Tick() - t0, 250u);
  auto f = p.Start("forever", 0);
  EXPECT_EQ(p.Wait(*f, 0), kWaitTimeout);
  EXPECT_EQ(m.EndProcesses("FOREVER", 3), 1);
  EXPECT_EQ(p.Wait(*f, 100), kWaitObject0);
  EXPECT_EQ(p.ExitCode(*f), 3u);
  // A captured program ended from the message pump.
  m.OnPump([](SimMachine& mm) { if (mm.PumpCount() == 3) mm.EndProcesses("forever", 0); });
  CaptureResult c = p.RunCaptured("forever -x", [&] { m.platform().pump.Pump(); });
  EXPECT_TRUE(c.ok);
  EXPECT_EQ(m.PumpCount(), 3);
}

TEST(SimProcesses, SnapshotAndTerminate) {
  SimMachine m;
  std::uint32_t a = m.AddProcess("C:\\Program Files\\x\\MiniThunderPlatform.exe");
  m.AddProcess("explorer.exe");
  IProcesses& p = m.platform().processes;
  EXPECT_EQ(p.Snapshot().size(), 2u);
  EXPECT_TRUE(p.Terminate(a, 0));
  EXPECT_FALSE(p.Terminate(a, 0));
  ASSERT_EQ(m.Terminated().size(), 1u);
  EXPECT_EQ(m.Terminated()[0].pid, a);
  EXPECT_EQ(p.Snapshot().size(), 1u);
}

TEST(SimFailures, ByOperationArgumentAndCount) {
  SimMachine m;
  IFiles& f = m.platform().files;
  m.Fail("files.Write", "BOOT.INI", err::AccessDenied, 2);
  EXPECT_TRUE(f.Write("C:\\other.txt", B("1")));
  EXPECT_FALSE(f.Write("C:\\boot.ini", B("1")));
  EXPECT_EQ(m.LastError(), err::AccessDenied);
  EXPECT_FALSE(f.Write("C:\\boot.ini", B("1")));
  EXPECT_TRUE(f.Write("C:\\boot.ini", B("1")));  // the count is used up
  m.Fail("files.Copy", "ntdll", err::DiskFull);
  EXPECT_FALSE(f.Copy("C:\\Windows\\system32\\ntdll.dll", "C:\\x.dll", false));
  EXPECT_FALSE(f.Copy("C:\\boot.ini", "C:\\NTDLL.dll", false));  // either argument matches
  EXPECT_EQ(m.LastError(), err::DiskFull);
  m.Fail("volumes.DeviceNumber", "C:", 1);
  EXPECT_FALSE(m.platform().volumes.DeviceNumber('c'));
  m.Fail("processes.Start");
  m.RegisterProgram("x", [](sim::SimRun&) { return 0; });
  EXPECT_FALSE(m.platform().processes.Start("x", 0));
  m.Fail("registry.QueryValue", "SetupType", err::FileNotFound);
  m.SetRegDword(RegRoot::LocalMachine, "SYSTEM\\Setup", "SetupType", 0);
  RegHandle h;
  ASSERT_EQ(m.platform().registry.OpenKey(RegRoot::LocalMachine, "SYSTEM\\Setup", kKeyRead, false, h), 0);
  std::uint32_t type;
  Bytes data;
  EXPECT_EQ(m.platform().registry.QueryValue(h, "SetupType", type, data), 2);
  m.ClearFailures();
  EXPECT_EQ(m.platform().registry.QueryValue(h, "SetupType", type, data), 0);
}

TEST(SimVolumes, DrivesDescribeThemselves) {
  SimMachine m;
  m.AddDrive('D', {.disk = 1, .partition = 2, .bus = kBusTypeUsb, .totalBytes = 8 * sim::kGiB,
                   .freeBytes = 5 * sim::kGiB, .label = "U", .fileSystem = "FAT32"});
  m.AddDrive('Z', {.type = kDriveCdrom, .disk = -1, .media = false});
  IVolumes& v = m.platform().volumes;
  EXPECT_EQ(v.DriveType("D:\\"), kDriveFixed);
  EXPECT_EQ(v.DriveType("Z:\\"), kDriveCdrom);
  EXPECT_EQ(v.DriveType("Q:\\"), kDriveNoRootDir);
  EXPECT_EQ(v.BusType('D').value_or(0), kBusTypeUsb);
  EXPECT_EQ(v.DeviceNumber('D')->partitionNumber, 2u);
  EXPECT_FALSE(v.DeviceNumber('Z'));
  EXPECT_EQ(v.FreeSpace("D:\\")->freeToCaller, 5 * sim::kGiB);
  EXPECT_FALSE(v.FreeSpace("Z:\\"));
  EXPECT_EQ(m.LastError(), err::NotReady);
  EXPECT_EQ(v.Information("d:\\")->fileSystem, "FAT32");
  EXPECT_EQ(v.LogicalDrives(), (1u << 2) | (1u << 3) | (1u << 25));
  EXPECT_EQ(v.DosDeviceTarget("C:"), "\\Device\\HarddiskVolume1");
  ASSERT_TRUE(v.DefineDevice(0, "Q:", "\\Device\\HarddiskVolume9"));
  EXPECT_EQ(v.DosDeviceTarget("Q:"), "\\Device\\HarddiskVolume9");
  ASSERT_TRUE(v.DefineDevice(2, "Q:", ""));
  EXPECT_EQ(v.DosDeviceTarget("Q:"), "");
}

TEST(SimMachineLife, ClockResourcesShellAndRootFolder) {
  std::filesystem::path root;
  {
    SimMachine m;
    root = m.Root();
    EXPECT_TRUE(std::filesystem::is_directory(root / "C"));
    m.SetLocalTime({2020, 12, 31, 23, 59, 59, 500});
    m.platform().clock.Sleep(700);
    LocalTime t = m.platform().clock.Now();
    EXPECT_EQ(t.year, 2021);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.second, 0);
    EXPECT_EQ(t.millisecond, 200);
    m.AddResource("FUN", "RuSort", "MZbytes");
    EXPECT_EQ(S(m.platform().resources.Find("fun", "RUSORT").value_or(Bytes{})), "MZbytes");
    EXPECT_FALSE(m.platform().resources.Find("FUN", "BEDIT"));
    EXPECT_EQ(m.LastError(), err::ResourceNameNotFound);
    EXPECT_FALSE(m.platform().resources.Find("DLL", "XLDL"));
    EXPECT_EQ(m.LastError(), err::ResourceTypeNotFound);
    m.platform().shell.Open("http://example.invalid/");
    EXPECT_EQ(m.ShellOpened(), (std::vector<std::string>{"http://example.invalid/"}));
  }
  EXPECT_FALSE(std::filesystem::exists(root));
}

}  // namespace
