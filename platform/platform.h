#pragma once
// The seam between the portable code and Windows. Every operation the program
// takes from the system goes through one of these interfaces; portable code
// receives them bundled in a Platform and holds no globals of its own.
//
// Paths are Windows paths in UTF-8 ("C:\Windows\temp\x.log"). Each failing call
// leaves its error code in ISystem::LastError(), as GetLastError would.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace lum {

// ---- files and folders -------------------------------------------------------

constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFFu;
constexpr std::uint32_t kAttrReadOnly = 0x01, kAttrHidden = 0x02, kAttrSystem = 0x04,
                        kAttrDirectory = 0x10, kAttrArchive = 0x20;

struct DirEntry {
  std::string name;
  bool isDir = false;
  std::uint64_t size = 0;
  std::uint32_t attributes = 0;
};

class IFiles {
 public:
  virtual ~IFiles() = default;
  virtual bool FileExists(const std::string& path) = 0;  // a file, not a folder
  virtual bool DirExists(const std::string& path) = 0;
  virtual std::optional<Bytes> Read(const std::string& path) = 0;
  // At most n bytes from the start of the file.
  virtual std::optional<Bytes> ReadPrefix(const std::string& path, std::size_t n) = 0;
  virtual std::optional<std::uint64_t> Size(const std::string& path) = 0;
  // Creates the file or empties it, then writes the bytes.
  virtual bool Write(const std::string& path, const Bytes& data) = 0;
  // Opens the file for appending, creating it when missing.
  virtual bool Append(const std::string& path, const Bytes& data) = 0;
  virtual bool Copy(const std::string& from, const std::string& to, bool failIfExists) = 0;
  virtual bool Move(const std::string& from, const std::string& to) = 0;  // replaces the target
  virtual bool Delete(const std::string& path) = 0;                       // DeleteFileW
  // SHFileOperationW FO_DELETE with FOF_SILENT|FOF_NOCONFIRMATION|FOF_NOERRORUI:
  // removes a file or a folder with everything in it; true when it returns 0.
  virtual bool DeleteTree(const std::string& path) = 0;
  virtual bool CreateDir(const std::string& path) = 0;  // one level
  virtual bool RemoveDir(const std::string& path) = 0;  // an empty folder
  virtual std::uint32_t GetAttributes(const std::string& path) = 0;  // kInvalidAttributes when missing
  virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  virtual std::vector<DirEntry> List(const std::string& dir) = 0;
};

// Creates every missing folder of a path.
bool ForceDirectories(IFiles& files, const std::string& path);

// ---- environment ---------------------------------------------------------------

class IEnvironment {
 public:
  virtual ~IEnvironment() = default;
  virtual std::string Get(const std::string& name) = 0;  // empty when absent
  virtual bool Has(const std::string& name) = 0;
  virtual void Set(const std::string& name, const std::string& value) = 0;
};

// ---- ANSI code page ------------------------------------------------------------

class ICodePage {
 public:
  virtual ~ICodePage() = default;
  virtual unsigned Acp() = 0;
  virtual Bytes ToAnsi(const std::string& utf8) = 0;   // unmappable characters become '?'
  virtual std::string FromAnsi(const Bytes& ansi) = 0;
};

// ---- system facts --------------------------------------------------------------

// The extended version record as GetVersionExW fills it (OSVERSIONINFOEXW).
struct OsVersionRecord {
  std::uint32_t size = 284;
  std::uint32_t major = 0, minor = 0, build = 0, platformId = 0;
  std::string csdVersion;
  std::uint16_t spMajor = 0, spMinor = 0, suiteMask = 0;
  std::uint8_t productType = 1;  // 1 workstation, 2 domain controller, 3 server
};

constexpr std::uint16_t kArchIntel = 0, kArchIa64 = 6, kArchAmd64 = 9;

struct MemoryStatus {
  std::uint64_t totalPhys = 0, availPhys = 0;
};

class ISystem {
 public:
  virtual ~ISystem() = default;
  virtual std::optional<OsVersionRecord> QueryOsVersion() = 0;
  // GetNativeSystemInfo looked up by name in KERNEL32.DLL; nullopt when missing.
  virtual std::optional<std::uint16_t> NativeArchitecture() = 0;
  // IsWow64Process looked up by name; nullopt when missing.
  virtual std::optional<bool> IsWow64Process() = 0;
  virtual int GetSystemMetrics(int index) = 0;
  virtual std::uint32_t ThreadLocale() = 0;
  virtual int ProcessorCount() = 0;  // GetSystemInfo
  virtual std::string ModuleFileName() = 0;  // full path of the program's executable
  virtual MemoryStatus Memory() = 0;
  virtual std::uint32_t LastError() = 0;
  virtual void SetLastError(std::uint32_t code) = 0;
  virtual std::string ErrorMessage(std::uint32_t code) = 0;  // FormatMessage text
  virtual void Beep() = 0;  // MessageBeep(0)
  // CPUID: the processor can run 64-bit code (extended leaf 0x80000001, EDX
  // bit 29), whatever the bitness of the running Windows.
  virtual bool HasLongMode() = 0;
  // SetErrorMode for the whole process; returns the mode it replaces.
  virtual std::uint32_t SetErrorMode(std::uint32_t mode) = 0;
};

// SetErrorMode flag: a drive without a medium fails the call instead of
// asking the user to insert a disk.
constexpr std::uint32_t kSemFailCriticalErrors = 0x0001;

// ---- version resources -----------------------------------------------------------

class IVersionInfo {
 public:
  virtual ~IVersionInfo() = default;
  // GetFileVersionInfoSizeW + GetFileVersionInfoW: the resource block; nullopt
  // when the file has none or it cannot be read.
  virtual std::optional<Bytes> Load(const std::string& path) = 0;
  // VerQueryValueW on a loaded block, for a string value ("\StringFileInfo\...").
  virtual std::optional<std::string> QueryString(const Bytes& block, const std::string& subBlock) = 0;
  // VerQueryValueW for a binary value ("\" or "\VarFileInfo\Translation").
  virtual std::optional<Bytes> QueryBinary(const Bytes& block, const std::string& subBlock) = 0;
};

// ---- registry ----------------------------------------------------------------------

enum class RegRoot : std::uint32_t {
  ClassesRoot = 0x80000000u,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
  Users = 0x80000003u,
  CurrentConfig = 0x80000005u,
};
using RegHandle = std::uintptr_t;

constexpr std::uint32_t kKeyRead = 0x20019, kKeyWrite = 0x20006, kKeyAllAccess = 0xF003F;
constexpr std::uint32_t kRegNone = 0, kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4,
                        kRegMultiSz = 7, kRegQword = 11;

// Raw registry calls; every call returns the Windows error code (0 on success).
class IRegistry {
 public:
  virtual ~IRegistry() = default;
  virtual long OpenKey(RegRoot root, const std::string& path, std::uint32_t access, bool create,
                       RegHandle& key) = 0;
  virtual void CloseKey(RegHandle key) = 0;
  // The value's type and raw data (strings as UTF-16LE with their NUL).
  virtual long QueryValue(RegHandle key, const std::string& name, std::uint32_t& type,
                          Bytes& data) = 0;
  virtual long SetValue(RegHandle key, const std::string& name, std::uint32_t type,
                        const Bytes& data) = 0;
  virtual long DeleteValue(RegHandle key, const std::string& name) = 0;
  virtual long DeleteKey(RegRoot root, const std::string& path) = 0;  // a key without subkeys
  virtual long EnumSubKeys(RegHandle key, std::vector<std::string>& names) = 0;
  virtual long EnumValues(RegHandle key, std::vector<std::string>& names) = 0;
};

// ---- processes ---------------------------------------------------------------------

using ProcHandle = std::uintptr_t;
constexpr std::uint32_t kWaitObject0 = 0, kWaitTimeout = 258, kWaitFailed = 0xFFFFFFFFu;
constexpr std::uint32_t kStillActive = 259;

struct ProcessEntry {
  std::uint32_t pid = 0;
  std::string exeFile;  // szExeFile of the ToolHelp entry
};

struct CaptureResult {
  bool ok = false;        // pipe and process were created
  std::uint32_t error = 0;  // the last error when not ok
  Bytes output;           // everything written to standard output and error
  std::uint32_t exitCode = 0;
};

class IProcesses {
 public:
  virtual ~IProcesses() = default;
  // CreateProcessW with the command line, no inheritance, CREATE_NEW_CONSOLE |
  // NORMAL_PRIORITY_CLASS, STARTF_USESHOWWINDOW with the show state.
  virtual std::optional<ProcHandle> Start(const std::string& commandLine, int show) = 0;
  virtual std::uint32_t Wait(ProcHandle process, std::uint32_t milliseconds) = 0;
  virtual std::uint32_t ExitCode(ProcHandle process) = 0;
  virtual void Close(ProcHandle process) = 0;
  // Runs a program with a pipe as standard output and error, hidden, in a new
  // console; reads the pipe while it runs and calls pump every 100 ms.
  virtual CaptureResult RunCaptured(const std::string& commandLine,
                                    const std::function<void()>& pump) = 0;
  // ToolHelp snapshot; empty when the entry points are missing.
  virtual std::vector<ProcessEntry> Snapshot() = 0;
  // OpenProcess(PROCESS_TERMINATE) + TerminateProcess.
  virtual bool Terminate(std::uint32_t pid, std::uint32_t exitCode) = 0;
};

// ---- volumes and devices --------------------------------------------------------------

constexpr std::uint32_t kDriveUnknown = 0, kDriveNoRootDir = 1, kDriveRemovable = 2,
                        kDriveFixed = 3, kDriveRemote = 4, kDriveCdrom = 5, kDriveRamdisk = 6;
constexpr int kBusTypeUsb = 7;

struct StorageDeviceNumber {
  std::uint32_t deviceType = 7;  // FILE_DEVICE_DISK
  std::uint32_t deviceNumber = 0;
  std::uint32_t partitionNumber = 0;
};

struct DiskSpace {
  std::uint64_t freeToCaller = 0, total = 0, totalFree = 0;
};

struct VolumeInformation {
  std::string label, fileSystem;
  std::uint32_t serial = 0;
};

class IVolumes {
 public:
  virtual ~IVolumes() = default;
  virtual std::uint32_t DriveType(const std::string& root) = 0;  // GetDriveTypeW("C:\")
  // Opens "\\.\C:" with GENERIC_READ and asks IOCTL_STORAGE_QUERY_PROPERTY.
  virtual std::optional<int> BusType(char letter) = 0;
  // Opens "\\.\C:" with no access rights and asks IOCTL_STORAGE_GET_DEVICE_NUMBER.
  virtual std::optional<StorageDeviceNumber> DeviceNumber(char letter) = 0;
  virtual std::string DosDeviceTarget(const std::string& name) = 0;  // first string; empty on failure
  virtual bool DefineDevice(std::uint32_t flags, const std::string& name,
                               const std::string& target) = 0;
  // GetDiskFreeSpaceExW with critical-error dialogs switched off.
  virtual std::optional<DiskSpace> FreeSpace(const std::string& root) = 0;
  virtual std::uint32_t LogicalDrives() = 0;
  virtual std::optional<VolumeInformation> Information(const std::string& root) = 0;
};

// ---- shell, power, clock, resources, messages -----------------------------------------

class IShell {
 public:
  virtual ~IShell() = default;
  // ShellExecuteW(NULL, "open", target, NULL, NULL, SW_SHOWNA).
  virtual void Open(const std::string& target) = 0;
  // SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, 0, NULL, 0).
  virtual void DisableScreenSaver() = 0;
  virtual void SetExecutionState(std::uint32_t flags) = 0;
};

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

class IClock {
 public:
  virtual ~IClock() = default;
  virtual LocalTime Now() = 0;             // GetLocalTime
  virtual std::string TimeSeparator() = 0;  // the user locale's, ":" in Chinese and English
  virtual std::uint64_t TickMs() = 0;      // a monotonic millisecond count
  virtual void Sleep(std::uint32_t milliseconds) = 0;
};

class IResources {
 public:
  virtual ~IResources() = default;
  // The bytes of the program's own resource of that type and name (both names,
  // letter case ignored); nullopt with the last error set when missing.
  virtual std::optional<Bytes> Find(const std::string& type, const std::string& name) = 0;
};

class IMessagePump {
 public:
  virtual ~IMessagePump() = default;
  // Dispatches every pending window message of the thread.
  virtual void Pump() = 0;
};

// ---- file digests ----------------------------------------------------------------------

using Sha256Digest = std::array<std::uint8_t, 32>;

class IDigests {
 public:
  virtual ~IDigests() = default;
  // The SHA-256 of a whole file, read in large blocks with the system's own
  // hashing library. progress is called after every block with the bytes
  // hashed so far; returning false stops the hashing. nullopt when the file
  // cannot be read, the system offers no SHA-256, or progress stopped it.
  virtual std::optional<Sha256Digest> Sha256File(
      const std::string& path, const std::function<bool(std::uint64_t done)>& progress) = 0;
};

// Everything the portable code takes from the machine.
struct Platform {
  IFiles& files;
  IEnvironment& env;
  ICodePage& codepage;
  ISystem& system;
  IVersionInfo& versions;
  IRegistry& registry;
  IProcesses& processes;
  IVolumes& volumes;
  IShell& shell;
  IClock& clock;
  IResources& resources;
  IMessagePump& pump;
  IDigests& digests;
};

}  // namespace lum
