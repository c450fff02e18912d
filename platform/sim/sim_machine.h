#pragma once
// A simulated Windows machine for host tests. It implements every interface of
// the platform seam: drive letters map to folders under a temporary root that
// lives as long as the machine; environment, file attributes, version
// resources and the registry are kept in memory; programs are handlers
// registered by command-line prefix; any operation can be told to fail.
//
//   lum::sim::SimMachine m;                       // Windows 7 SP1 x64, C: ready
//   m.AddDrive('D', {.disk = 0, .partition = 2, .freeBytes = 80 * lum::sim::kGiB});
//   m.PutFile("D:\\data\\a.txt", "hello");
//   m.RegisterProgram("cmd /c shutdown", [](lum::sim::SimRun&) { return 0; });
//   m.Fail("files.Write", "boot.ini", lum::err::AccessDenied);
//   lum::Platform& p = m.platform();
//
// The default machine: drive C: (fixed, disk 0, partition 1, SATA, NTFS, 100
// GiB with 50 free) holding C:\Windows\system32 (with an ntdll.dll whose
// version resource says 6.1.7601.17514), C:\Windows\temp and the program at
// C:\Lumora\Lumora.exe (version resource of the project version); environment
// SystemDrive=C:, SystemRoot=windir=C:\Windows, temp=tmp=C:\Windows\temp,
// username=Admin, COMPUTERNAME=LUMORA-PC; version 6.1.7601 SP1 workstation,
// native AMD64 under WOW64 (the processor has long mode), locale 2052, 4 processors, 4 GiB of memory,
// ANSI code page 936 (GBK through iconv), local time 2017-08-18 14:05:09;
// HKLM\SYSTEM\Setup with SetupType 0 and SystemSetupInProgress 0 (a desktop).
//
// Operation names for Fail() and what a failing call does (the argument text
// matched against is given after the name; the error goes to LastError). The
// names follow the Windows calls: system.GetVersionEx is QueryOsVersion,
// volumes.QueryDosDevice is DosDeviceTarget, volumes.DefineDosDevice is DefineDevice.
//   files.FileExists files.DirExists (path)                    -> false
//   files.Read files.ReadPrefix files.Size (path)              -> nullopt
//   files.Write files.Append files.Delete files.DeleteTree
//   files.CreateDir files.RemoveDir files.SetAttributes (path) -> false
//   files.Copy files.Move (source and target, either matches)  -> false
//   files.GetAttributes (path)                                 -> kInvalidAttributes
//   files.List (folder)                                        -> empty
//   env.Get (name)                                             -> empty, as if absent
//   system.GetVersionEx system.NativeArchitecture
//   system.IsWow64Process (no argument)                        -> nullopt
//   versions.Load (path) versions.QueryString
//   versions.QueryBinary (sub-block)                           -> nullopt
//   registry.OpenKey registry.DeleteKey (key path)
//   registry.QueryValue registry.SetValue registry.DeleteValue
//   (key path and value name) registry.EnumSubKeys
//   registry.EnumValues (key path)                             -> the error code
//   processes.Start processes.RunCaptured (command line)       -> not started
//   processes.Terminate (executable name)                      -> false
//   processes.Snapshot (no argument)                           -> empty
//   volumes.BusType volumes.DeviceNumber (letter and colon "C:") -> nullopt
//   volumes.QueryDosDevice (name) volumes.DefineDosDevice (name) -> empty / false
//   volumes.FreeSpace volumes.Information (root "C:\")         -> nullopt
//   resources.Find (type and name)                             -> nullopt
//   digests.Sha256File (path)                                  -> nullopt
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace lum::sim {

constexpr std::uint64_t kGiB = 1ull << 30;
constexpr int kBusTypeSata = 11;
constexpr int kBusTypeAta = 3;

struct DriveSpec {
  std::uint32_t type = kDriveFixed;
  int disk = 0;        // device number; -1 makes the device-number query fail
  int partition = 1;   // partition number
  int bus = kBusTypeSata;  // storage bus type; -1 makes the property query fail
  std::uint64_t totalBytes = 100 * kGiB;
  std::uint64_t freeBytes = 50 * kGiB;
  std::string label{};
  std::string fileSystem = "NTFS";
  std::uint32_t serial = 0x5A5A0000;
  bool media = true;      // false: a letter with no medium and no folder (an empty optical drive)
  std::string dosDevice{};  // QueryDosDevice answer; empty: "\Device\HarddiskVolumeN"
};

// A version resource as the tests describe it.
struct FileVersion {
  std::uint16_t language = 0x0804;
  std::uint16_t codePage = 0x04B0;
  bool hasTranslation = true;
  std::vector<std::pair<std::string, std::string>> strings;  // key, value
  std::array<std::uint32_t, 13> fixed{};                      // VS_FIXEDFILEINFO words
};
// A resource with FileVersion and ProductVersion "a.b.c.d" in strings and the
// fixed block (signature, structure version, file and product version).
FileVersion MakeFileVersion(unsigned a, unsigned b, unsigned c, unsigned d);

class SimMachine;

// What a program handler sees: the machine, its command line, and its
// standard output and error.
struct SimRun {
  SimMachine& machine;
  std::string commandLine;
  int show = 0;
  Bytes output;
  void Write(std::string_view text) { output.insert(output.end(), text.begin(), text.end()); }
  void Write(const Bytes& bytes) { output.insert(output.end(), bytes.begin(), bytes.end()); }
};

// A handler's answer: an exit code, or still running.
struct SimExit {
  SimExit(std::uint32_t exitCode = 0) : code(exitCode) {}  // NOLINT: return 0 reads well
  SimExit(int exitCode) : code(static_cast<std::uint32_t>(exitCode)) {}
  // Runs until EndProcesses ends it.
  static SimExit Running() { SimExit e; e.running = true; return e; }
  // Runs for ms of simulated time (waits advance the clock), then exits with code.
  static SimExit RunningFor(std::uint32_t ms, std::uint32_t exitCode = 0) {
    SimExit e(exitCode); e.running = true; e.runMs = ms; return e;
  }
  std::uint32_t code = 0;
  bool running = false;
  std::optional<std::uint32_t> runMs;
};
using SimProgram = std::function<SimExit(SimRun&)>;

struct SimRegValue {
  std::string name;
  std::uint32_t type = kRegNone;
  Bytes data;
};

struct SimTreeEntry {
  std::string path;  // relative to the listed folder, '\' separated, folders end in '\'
  bool isDir = false;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
};

struct SimTermination {
  std::uint32_t pid = 0;
  std::string exeFile;
  std::uint32_t exitCode = 0;
};

// Settable system facts.
struct SimSystemSettings {
  std::optional<OsVersionRecord> version;         // nullopt: GetVersionEx fails
  std::optional<std::uint16_t> nativeArch = kArchAmd64;  // nullopt: no GetNativeSystemInfo
  std::optional<bool> wow64 = true;               // nullopt: no IsWow64Process
  std::map<int, int> metrics;                     // GetSystemMetrics; absent reads 0
  std::uint32_t locale = 2052;
  int processors = 4;
  std::string modulePath = "C:\\Lumora\\Lumora.exe";
  MemoryStatus memory{4 * kGiB, 3 * kGiB};
  bool longMode = true;                           // CPUID: the processor runs 64-bit code
};

class SimMachine {
 public:
  SimMachine();
  ~SimMachine();
  SimMachine(const SimMachine&) = delete;
  SimMachine& operator=(const SimMachine&) = delete;

  Platform& platform() { return *platform_; }

  // ---- drives and files ----
  // Adds the letter, or changes an existing one's description (its folder stays).
  void AddDrive(char letter, const DriveSpec& setup = {});
  void RemoveDrive(char letter);  // the folder goes with it
  const DriveSpec& Drive(char letter) const;
  const std::filesystem::path& Root() const { return root_; }
  // The host path behind a Windows path (which need not exist); empty when the
  // drive is unknown or has no medium.
  std::filesystem::path Host(const std::string& winPath) const;
  // Test set-up and read-back, bypassing attributes and failures. PutFile and
  // PutDir create the missing folders.
  void PutFile(const std::string& winPath, std::string_view content);
  void PutDir(const std::string& winPath);
  std::optional<std::string> ReadFile(const std::string& winPath) const;
  bool Exists(const std::string& winPath) const;
  std::uint32_t Attributes(const std::string& winPath) const;  // kInvalidAttributes when missing
  // Everything under a folder, sorted by path, with attributes.
  std::vector<SimTreeEntry> Tree(const std::string& winDir) const;
  // One line per entry: "path attributes-in-hex size" ("sub\ 0x10 0").
  std::string TreeText(const std::string& winDir) const;

  // Registers the version resource of a file (kept by Copy and Move).
  void SetFileVersion(const std::string& winPath, const FileVersion& version);
  // A shortcut for the common case: Windows version numbers, bitness and the
  // ntdll.dll product version ("" leaves ntdll.dll without a resource).
  void UseWindows(unsigned major, unsigned minor, unsigned build, unsigned spMajor, bool x64,
                  const std::string& ntdllVersion);

  // ---- environment, code page, system ----
  void SetEnv(const std::string& name, const std::string& value);
  void UnsetEnv(const std::string& name);
  std::string Env(const std::string& name) const;
  void SetCodePage(unsigned acp);  // iconv "CP<n>"; 65001 is UTF-8
  SimSystemSettings sys;
  void SetErrorMessage(std::uint32_t code, const std::string& text);
  std::uint32_t LastError() const { return lastError_; }
  int BeepCount() const { return beeps_; }
  // The process error mode and every mode SetErrorMode set, in order.
  std::uint32_t ErrorMode() const { return errorMode_; }
  const std::vector<std::uint32_t>& ErrorModesSet() const { return errorModesSet_; }
  // File accesses that met a drive without a medium while the error mode let
  // Windows ask for a disk: each is a "no disk" dialog on a real machine.
  int NoDiskPrompts() const { return noDiskPrompts_; }

  // ---- registry ----
  void SetRegValue(RegRoot root, const std::string& key, const std::string& name,
                   std::uint32_t type, const Bytes& data);
  void SetRegDword(RegRoot root, const std::string& key, const std::string& name,
                   std::uint32_t value);
  void SetRegString(RegRoot root, const std::string& key, const std::string& name,
                    const std::string& value);  // REG_SZ, UTF-16LE with its NUL
  void AddRegKey(RegRoot root, const std::string& key);
  void DeleteRegValue(RegRoot root, const std::string& key, const std::string& name);
  bool RegKeyPresent(RegRoot root, const std::string& key) const;
  std::optional<SimRegValue> RegValue(RegRoot root, const std::string& key,
                                      const std::string& name) const;

  // ---- programs and processes ----
  // The handler of every command line that starts with prefix (ASCII case
  // ignored); the longest matching prefix wins.
  void RegisterProgram(const std::string& prefix, SimProgram handler);
  // Command lines that started, in order (Start and RunCaptured alike).
  const std::vector<std::string>& Started() const { return started_; }
  // Command lines that could not start (no handler or an injected failure).
  const std::vector<std::string>& FailedStarts() const { return failedStarts_; }
  // Ends the running processes whose command line starts with prefix.
  int EndProcesses(const std::string& prefix, std::uint32_t exitCode);
  // The ToolHelp process list.
  std::uint32_t AddProcess(const std::string& exeFile);  // returns the new pid
  void SetProcesses(const std::vector<ProcessEntry>& list) { processList_ = list; }
  const std::vector<ProcessEntry>& Processes() const { return processList_; }
  const std::vector<SimTermination>& Terminated() const { return terminated_; }

  // ---- resources, pump, shell, clock ----
  void AddResource(const std::string& type, const std::string& name, const Bytes& data);
  void AddResource(const std::string& type, const std::string& name, std::string_view data);
  int PumpCount() const { return pumpCount_; }
  void OnPump(std::function<void(SimMachine&)> callback) { onPump_ = std::move(callback); }
  const std::vector<std::string>& ShellOpened() const { return shellOpened_; }
  bool ScreenSaverDisabled() const { return screenSaverOff_; }
  const std::vector<std::uint32_t>& ExecutionStates() const { return executionStates_; }
  void SetLocalTime(const LocalTime& t);
  void SetTimeSeparator(const std::string& sep) { timeSeparator_ = sep; }
  void Advance(std::uint64_t ms) { tick_ += ms; }
  std::uint64_t Tick() const { return tick_; }

  // ---- failure injection ----
  // The next count calls of the operation whose argument contains argContains
  // (ASCII case ignored; empty matches all) fail with error; -1: every call.
  void Fail(const std::string& operation, const std::string& argContains = "",
            std::uint32_t error = err::AccessDenied, int count = -1);
  void ClearFailures() { failures_.clear(); }

 private:
  class FilesImpl;
  class EnvImpl;
  class CodePageImpl;
  class SystemImpl;
  class VersionsImpl;
  class RegistryImpl;
  class ProcessesImpl;
  class VolumesImpl;
  class ShellImpl;
  class ClockImpl;
  class ResourcesImpl;
  class PumpImpl;
  class DigestsImpl;

  struct DriveSlot {
    DriveSpec setup;
    std::filesystem::path folder;
  };
  // A Windows path resolved onto the host, component by component, ignoring
  // ASCII letter case where an entry already exists.
  struct Resolved {
    char letter = 0;
    std::filesystem::path host;
    std::string key;  // upper-cased canonical Windows path, the key of the in-memory tables
    bool isRoot = false;
  };
  std::optional<Resolved> Resolve(const std::string& winPath, std::uint32_t& error) const;
  std::optional<Resolved> Resolve(const std::string& winPath) const;
  bool Failing(std::string_view op, std::initializer_list<std::string_view> args);
  void SetError(std::uint32_t code) { lastError_ = code; }

  struct Failure {
    std::string op, arg;
    std::uint32_t error;
    int count;
  };
  struct RegKey {
    std::string name;
    std::map<std::string, std::unique_ptr<RegKey>> subkeys;  // by upper-cased name
    std::map<std::string, SimRegValue> values;               // by upper-cased name
  };
  struct RegOpen {
    RegRoot root;
    std::string path;
    std::uint32_t access;
  };
  struct Process {
    std::string commandLine;
    bool running = false;
    std::optional<std::uint64_t> endTick;
    std::uint32_t exitCode = 0;
    Bytes output;
  };
  RegKey* FindKey(RegRoot root, const std::string& path) const;
  RegKey* MakeKey(RegRoot root, const std::string& path);
  const SimProgram* FindProgram(const std::string& commandLine) const;
  // Runs the handler; returns false (error 2) when there is none.
  bool Launch(const std::string& commandLine, int show, Process& out);
  void Settle(Process& proc) const;  // ends a timed process whose time is up

  std::filesystem::path root_;
  std::map<char, DriveSlot> drives_;
  int nextVolume_ = 1;
  std::map<std::string, std::uint32_t> attributes_;
  std::map<std::string, FileVersion> versions_;
  std::map<std::string, std::pair<std::string, std::string>> env_;
  unsigned acp_ = 936;
  std::uint32_t lastError_ = 0;
  std::map<std::uint32_t, std::string> errorMessages_;
  int beeps_ = 0;
  std::uint32_t errorMode_ = 0;
  std::vector<std::uint32_t> errorModesSet_;
  int noDiskPrompts_ = 0;
  mutable std::map<RegRoot, RegKey> registry_;
  std::map<RegHandle, RegOpen> regHandles_;
  RegHandle nextRegHandle_ = 0x100;
  std::vector<std::pair<std::string, SimProgram>> programs_;
  std::map<ProcHandle, Process> procs_;
  ProcHandle nextProc_ = 0x200;
  std::vector<std::string> started_, failedStarts_;
  std::vector<ProcessEntry> processList_;
  std::uint32_t nextPid_ = 1000;
  std::vector<SimTermination> terminated_;
  std::map<char, std::string> dosDefinitions_;
  std::map<std::pair<std::string, std::string>, Bytes> resources_;
  int pumpCount_ = 0;
  std::function<void(SimMachine&)> onPump_;
  std::vector<std::string> shellOpened_;
  bool screenSaverOff_ = false;
  std::vector<std::uint32_t> executionStates_;
  LocalTime timeBase_{2017, 8, 18, 14, 5, 9, 0};
  std::uint64_t timeBaseTick_ = 1000000;  // the starting tick below
  std::uint64_t tick_ = 1000000;
  std::string timeSeparator_ = ":";
  std::vector<Failure> failures_;

  std::unique_ptr<FilesImpl> files_;
  std::unique_ptr<EnvImpl> envImpl_;
  std::unique_ptr<CodePageImpl> codepage_;
  std::unique_ptr<SystemImpl> system_;
  std::unique_ptr<VersionsImpl> versionsImpl_;
  std::unique_ptr<RegistryImpl> registryImpl_;
  std::unique_ptr<ProcessesImpl> processes_;
  std::unique_ptr<VolumesImpl> volumes_;
  std::unique_ptr<ShellImpl> shell_;
  std::unique_ptr<ClockImpl> clock_;
  std::unique_ptr<ResourcesImpl> resourcesImpl_;
  std::unique_ptr<PumpImpl> pump_;
  std::unique_ptr<DigestsImpl> digests_;
  std::unique_ptr<Platform> platform_;
};

}  // namespace lum::sim
