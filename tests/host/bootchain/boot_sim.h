#pragma once
// A simulated machine set up for the boot chains: the program's payload
// resources (the build's stand-ins), the boot-store editor and the ISO tool
// as programs that run the real tool cores against the simulated drives, a
// boot partition that appears behind a temporary drive letter, and drive
// snapshots that can be compared file by file.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "boot/ghost_boot.h"
#include "boot/portable_profile_writer.h"
#include "platform/sim/sim_machine.h"

namespace lum::test {

inline constexpr char kG[] = "{B3CA8E0F-B903-4D4D-BB12-69359F196E93}";
inline constexpr char kSystemEditor[] = "C:\\Windows\\system32\\bcdedit.exe";
inline constexpr char kSysnativeEditor[] = "C:\\Windows\\Sysnative\\bcdedit.exe";
inline constexpr char kCarriedEditor[] = "C:\\Windows\\temp\\BCDEdit.exe";

// The bytes of a payload resource as the build made it ("pe", "gru").
std::string PayloadBytes(const std::string& type, const std::string& name);

// A stand-in file of the restore archive as the build made it ("wvldr").
std::string StandinBytes(const std::string& file);

// One entry of a drive: attributes and, for files, the content.
struct EntryState {
  std::uint32_t attributes = 0;
  bool isDir = false;
  std::string content;
  bool operator==(const EntryState&) const = default;
};
using DriveState = std::map<std::string, EntryState>;  // by upper-cased path below the root

// Everything under a folder of the simulated machine; the undo record
// (ZqUndo\ at the root) only when asked for.
DriveState Snapshot(const sim::SimMachine& m, const std::string& winDir, bool withUndoRecord = false);
// One line per difference, sorted by path: "+ PATH 0xAA" (added), "- PATH"
// (removed), "~ PATH 0xAA->0xBB" (attributes), "~ PATH content" (bytes).
std::vector<std::string> Diff(const DriveState& before, const DriveState& after);
// Expected differences in the order Diff gives them.
std::vector<std::string> Changes(std::vector<std::string> lines);

// A boot partition without a drive letter: defining a letter as
// \Device\Harddisk<disk>\Partition1 makes its files reachable under that
// letter, and removing the definition takes the letter away again while the
// files stay on the partition.
class BootPartition : public IVolumes {
 public:
  BootPartition(sim::SimMachine& m, IVolumes& inner, int disk) : m_(m), inner_(inner), disk_(disk) {}
  std::uint32_t DriveType(const std::string& root) override { return inner_.DriveType(root); }
  std::optional<int> BusType(char letter) override { return inner_.BusType(letter); }
  std::optional<StorageDeviceNumber> DeviceNumber(char letter) override {
    return inner_.DeviceNumber(letter);
  }
  std::string DosDeviceTarget(const std::string& name) override { return inner_.DosDeviceTarget(name); }
  bool DefineDevice(std::uint32_t flags, const std::string& name, const std::string& target) override;
  std::optional<DiskSpace> FreeSpace(const std::string& root) override { return inner_.FreeSpace(root); }
  std::uint32_t LogicalDrives() override { return inner_.LogicalDrives(); }
  std::optional<VolumeInformation> Information(const std::string& root) override {
    return inner_.Information(root);
  }

  // The partition's files ("krppe") with their attributes and content.
  DriveState files;
  // Every definition call: "define Z: \Device\Harddisk0\Partition1" or "remove Z:".
  std::vector<std::string> calls;

 private:
  sim::SimMachine& m_;
  IVolumes& inner_;
  int disk_;
  char mapped_ = 0;
};

// The machine of one test. Defaults: Windows 7 SP1 64-bit, C: the system drive
// on disk 0 partition 1 holding C:\Boot\BCD (the editor's text store) and
// C:\BOOT\KRP8PE6F.ISO (the PE image, an ISO 9660 image made by xorriso with
// /BOOT/KRP8PE6L.WIM), D: the data drive holding D:\ZqGhost\win7x64.gho.
class BootSim {
 public:
  BootSim();

  sim::SimMachine m;
  Platform& p() { return platform_; }
  IProfileWriter& ini() { return ini_; }
  BootPartition& bootPartition() { return *bootPartition_; }

  void UseXp();           // Windows XP SP3 32-bit with the boot.ini below, read-only, hidden, system
  void UseWin7(bool x64);  // Windows 7 SP1
  // The system's editor at its place (it edits the same store as the carried one).
  void InstallSystemEditor(const std::string& path = kSystemEditor);
  // Windows keeps its live store open: copying a file over C:\Boot\BCD fails.
  void LockLiveStore();

  // The chains' editor command lines in the order they started, without the
  // export for the undo record and the read-back after the commands.
  std::vector<std::string> EditorCalls() const;
  // Every editor command line.
  std::vector<std::string> AllEditorCalls() const;
  // Command lines that started and are not the editor's.
  std::vector<std::string> OtherStarts() const;
  std::string Store() const;  // C:\Boot\BCD

  // PreparePeBoot with the workflow's arguments.
  bool RunPe(bool uefi, std::string& error, const std::string& image = "D:\\ZqGhost\\win7x64.gho");
  // PrepareGhostBoot with the workflow's record (data 1:2, system 1:1, no password).
  bool RunGhost(std::string& error);
  // What the workflow does before a preparation: undo what earlier runs left.
  bool UndoEarlierRun();
  // Asked by the preparation between its steps (the user quitting); the
  // last run saw it and undid itself.
  std::function<bool()> stop;
  bool stopped = false;
  static TGhofilesysinfo WorkflowGhostInfo();

  static const char kBootIni[];
  static std::string StoreBefore();

 private:
  PortableProfileWriter ini_;
  std::unique_ptr<BootPartition> bootPartition_;
  Platform platform_;
};

}  // namespace lum::test
