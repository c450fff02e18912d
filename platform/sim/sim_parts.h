#pragma once
// The simulated machine's implementations of the platform interfaces; each is
// a thin view on the SimMachine's state. Internal to platform/sim.
#include "platform/sim/sim_machine.h"

namespace lum::sim {

class SimMachine::FilesImpl : public IFiles {
 public:
  explicit FilesImpl(SimMachine& m) : m_(m) {}
  bool FileExists(const std::string& path) override;
  bool DirExists(const std::string& path) override;
  std::optional<Bytes> Read(const std::string& path) override;
  std::optional<Bytes> ReadPrefix(const std::string& path, std::size_t n) override;
  std::optional<std::uint64_t> Size(const std::string& path) override;
  bool Write(const std::string& path, const Bytes& data) override;
  bool Append(const std::string& path, const Bytes& data) override;
  bool Copy(const std::string& from, const std::string& to, bool failIfExists) override;
  bool Move(const std::string& from, const std::string& to) override;
  bool Delete(const std::string& path) override;
  bool DeleteTree(const std::string& path) override;
  bool CreateDir(const std::string& path) override;
  bool RemoveDir(const std::string& path) override;
  std::uint32_t GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
  std::vector<DirEntry> List(const std::string& dir) override;

 private:
  std::optional<Resolved> Open(const std::string& path);  // resolves, sets the error
  std::optional<Bytes> ReadBytes(const std::string& op, const std::string& path,
                                 std::optional<std::size_t> limit);
  bool WriteBytes(const std::string& op, const std::string& path, const Bytes& data, bool append);
  bool ReadOnly(const Resolved& r) const;
  void Forget(const std::string& key);  // drops attributes and versions at and under key
  void Rename(const std::string& fromKey, const std::string& toKey);
  SimMachine& m_;
};

class SimMachine::EnvImpl : public IEnvironment {
 public:
  explicit EnvImpl(SimMachine& m) : m_(m) {}
  std::string Get(const std::string& name) override;
  bool Has(const std::string& name) override;
  void Set(const std::string& name, const std::string& value) override;

 private:
  SimMachine& m_;
};

class SimMachine::CodePageImpl : public ICodePage {
 public:
  explicit CodePageImpl(SimMachine& m) : m_(m) {}
  unsigned Acp() override { return m_.acp_; }
  Bytes ToAnsi(const std::string& utf8) override;
  std::string FromAnsi(const Bytes& ansi) override;

 private:
  SimMachine& m_;
};

class SimMachine::SystemImpl : public ISystem {
 public:
  explicit SystemImpl(SimMachine& m) : m_(m) {}
  std::optional<OsVersionRecord> QueryOsVersion() override;
  std::optional<std::uint16_t> NativeArchitecture() override;
  std::optional<bool> IsWow64Process() override;
  int GetSystemMetrics(int index) override;
  std::uint32_t ThreadLocale() override { return m_.sys.locale; }
  int ProcessorCount() override { return m_.sys.processors; }
  std::string ModuleFileName() override { return m_.sys.modulePath; }
  MemoryStatus Memory() override { return m_.sys.memory; }
  std::uint32_t LastError() override { return m_.lastError_; }
  void SetLastError(std::uint32_t code) override { m_.lastError_ = code; }
  std::string ErrorMessage(std::uint32_t code) override;
  void Beep() override { ++m_.beeps_; }
  bool HasLongMode() override { return m_.sys.longMode; }
  std::uint32_t SetErrorMode(std::uint32_t mode) override;

 private:
  SimMachine& m_;
};

class SimMachine::VersionsImpl : public IVersionInfo {
 public:
  explicit VersionsImpl(SimMachine& m) : m_(m) {}
  std::optional<Bytes> Load(const std::string& path) override;
  std::optional<std::string> QueryString(const Bytes& block, const std::string& subBlock) override;
  std::optional<Bytes> QueryBinary(const Bytes& block, const std::string& subBlock) override;

 private:
  SimMachine& m_;
};

class SimMachine::RegistryImpl : public IRegistry {
 public:
  explicit RegistryImpl(SimMachine& m) : m_(m) {}
  long OpenKey(RegRoot root, const std::string& path, std::uint32_t access, bool create,
               RegHandle& key) override;
  void CloseKey(RegHandle key) override;
  long QueryValue(RegHandle key, const std::string& name, std::uint32_t& type,
                  Bytes& data) override;
  long SetValue(RegHandle key, const std::string& name, std::uint32_t type,
                const Bytes& data) override;
  long DeleteValue(RegHandle key, const std::string& name) override;
  long DeleteKey(RegRoot root, const std::string& path) override;
  long EnumSubKeys(RegHandle key, std::vector<std::string>& names) override;
  long EnumValues(RegHandle key, std::vector<std::string>& names) override;

 private:
  // The open key behind a handle; nullptr (with the code in error) when the
  // handle is unknown or its key was deleted.
  RegKey* KeyOf(RegHandle key, long& error, const RegOpen** open = nullptr);
  SimMachine& m_;
};

class SimMachine::ProcessesImpl : public IProcesses {
 public:
  explicit ProcessesImpl(SimMachine& m) : m_(m) {}
  std::optional<ProcHandle> Start(const std::string& commandLine, int show) override;
  std::uint32_t Wait(ProcHandle process, std::uint32_t milliseconds) override;
  std::uint32_t ExitCode(ProcHandle process) override;
  void Close(ProcHandle process) override;
  CaptureResult RunCaptured(const std::string& commandLine,
                            const std::function<void()>& pump) override;
  std::vector<ProcessEntry> Snapshot() override;
  bool Terminate(std::uint32_t pid, std::uint32_t exitCode) override;

 private:
  SimMachine& m_;
};

class SimMachine::VolumesImpl : public IVolumes {
 public:
  explicit VolumesImpl(SimMachine& m) : m_(m) {}
  std::uint32_t DriveType(const std::string& root) override;
  std::optional<int> BusType(char letter) override;
  std::optional<StorageDeviceNumber> DeviceNumber(char letter) override;
  std::string DosDeviceTarget(const std::string& name) override;
  bool DefineDevice(std::uint32_t flags, const std::string& name,
                       const std::string& target) override;
  std::optional<DiskSpace> FreeSpace(const std::string& root) override;
  std::uint32_t LogicalDrives() override;
  std::optional<VolumeInformation> Information(const std::string& root) override;

 private:
  // The drive named by the first letter of a root or name; nullptr with the
  // error set when unknown.
  const DriveSlot* Find(const std::string& name);
  SimMachine& m_;
};

class SimMachine::ShellImpl : public IShell {
 public:
  explicit ShellImpl(SimMachine& m) : m_(m) {}
  void Open(const std::string& target) override { m_.shellOpened_.push_back(target); }
  void DisableScreenSaver() override { m_.screenSaverOff_ = true; }
  void SetExecutionState(std::uint32_t flags) override { m_.executionStates_.push_back(flags); }

 private:
  SimMachine& m_;
};

class SimMachine::ClockImpl : public IClock {
 public:
  explicit ClockImpl(SimMachine& m) : m_(m) {}
  LocalTime Now() override;
  std::string TimeSeparator() override { return m_.timeSeparator_; }
  std::uint64_t TickMs() override { return m_.tick_; }
  void Sleep(std::uint32_t milliseconds) override { m_.tick_ += milliseconds; }

 private:
  SimMachine& m_;
};

class SimMachine::ResourcesImpl : public IResources {
 public:
  explicit ResourcesImpl(SimMachine& m) : m_(m) {}
  std::optional<Bytes> Find(const std::string& type, const std::string& name) override;

 private:
  SimMachine& m_;
};

class SimMachine::PumpImpl : public IMessagePump {
 public:
  explicit PumpImpl(SimMachine& m) : m_(m) {}
  void Pump() override {
    ++m_.pumpCount_;
    if (m_.onPump_) m_.onPump_(m_);
  }

 private:
  SimMachine& m_;
};

// SHA-256 through OpenSSL's libcrypto over the host file behind the path.
class SimMachine::DigestsImpl : public IDigests {
 public:
  explicit DigestsImpl(SimMachine& m) : m_(m) {}
  std::optional<Sha256Digest> Sha256File(
      const std::string& path, const std::function<bool(std::uint64_t)>& progress) override;

 private:
  SimMachine& m_;
};

// Helpers shared by the parts.
std::string UpperKey(std::string_view s);  // ASCII upper-casing
Bytes Utf16LeWithNul(const std::string& utf8);

}  // namespace lum::sim
